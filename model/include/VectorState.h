#pragma once
// Threads that run shots start with the processor's vector registers in the
// state the simulation's own code expects.
//
// On x86 a library that leaves the upper halves of the AVX registers in use
// (in a GUI process Qt's start-up does) makes every later SSE instruction of
// that thread, and of threads it starts, pay for a state transition: the
// shots ran ten times slower in Parview than in Shotlab. vzeroupper clears
// that state; the threads that run shots do it first.

namespace quillmoor {

inline void cleanVectorState()
{
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx)
        __asm__ volatile("vzeroupper" ::: "memory");
#endif
}

} // namespace quillmoor
