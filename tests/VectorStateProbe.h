#pragma once
// Whether this thread's upper AVX state is in use (XGETBV with ECX 1, where
// the processor has it), and a way to put it in use, as a library may leave
// it: the tests of the threads that run shots start from there.

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#include <cstdint>

namespace vectorprobe {

inline bool available()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__builtin_cpu_supports("avx") || !__get_cpuid_count(0x0d, 1, &a, &b, &c, &d))
        return false;
    return (a & (1u << 2)) != 0; // XGETBV with ECX 1
}

inline bool upperInUse()
{
    std::uint32_t lo = 0, hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(1));
    return (lo & (1u << 2)) != 0; // the AVX state
}

inline void dirtyUpper()
{
    __asm__ volatile("vpcmpeqd %%ymm7, %%ymm7, %%ymm7" ::: "xmm7");
}

} // namespace vectorprobe

#else

namespace vectorprobe {
inline bool available()
{
    return false;
}
inline bool upperInUse()
{
    return false;
}
inline void dirtyUpper() {}
} // namespace vectorprobe

#endif
