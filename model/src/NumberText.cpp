#include "NumberText.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace numtext {

namespace {

void appendPadded(std::string& out, const char* first, const char* last, int width)
{
    const int len = static_cast<int>(last - first);
    if (width > len)
        out.append(static_cast<std::size_t>(width - len), ' ');
    out.append(first, last);
}

// to_chars spells non-finite values "inf"/"nan" with a sign for negatives,
// exactly as glibc's printf does.
bool appendNonFinite(std::string& out, double v, int width)
{
    if (std::isfinite(v))
        return false;
    const char* text = std::isnan(v) ? (std::signbit(v) ? "-nan" : "nan")
                                     : (v < 0 ? "-inf" : "inf");
    const char* end = text;
    while (*end)
        ++end;
    appendPadded(out, text, end, width);
    return true;
}

locale_t cLocale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

void appendInt(std::string& out, long long v, int width)
{
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    appendPadded(out, buf, res.ptr, width);
}

// Exact fixed-point digits for |v| < 1e9 and up to 8 decimals, the values a
// data file is made of: v = m * 2^-s, so v * 10^p = m * 10^p / 2^s, rounded to
// nearest with ties to even as printf does. Several times faster than the
// general algorithm behind to_chars. Returns false when v is out of its range.
bool appendFixedFast(std::string& out, double v, int precision, int width)
{
    if (!(std::fabs(v) < 1e9) || precision > 8)
        return false;
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const bool negative = bits >> 63;
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    std::uint64_t mantissa = bits & ((std::uint64_t(1) << 52) - 1);
    int shift = 1074; // subnormal: m * 2^-1074
    if (biased != 0) {
        mantissa |= std::uint64_t(1) << 52;
        shift = 1075 - biased; // at least 23, since |v| < 1e9 < 2^30
    }
    static const std::uint64_t pow10[] = {1, 10, 100, 1000, 10000, 100000, 1000000,
                                          10000000, 100000000};
    const unsigned __int128 scaled = static_cast<unsigned __int128>(mantissa) * pow10[precision];
    std::uint64_t q = 0;
    if (shift < 100) { // otherwise scaled < 2^80 is far below half a unit: q stays 0
        q = static_cast<std::uint64_t>(scaled >> shift);
        const unsigned __int128 rest = scaled & ((static_cast<unsigned __int128>(1) << shift) - 1);
        const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
        if (rest > half || (rest == half && (q & 1)))
            ++q;
    }

    char buf[40];
    char* end = buf + sizeof buf;
    char* p = end;
    for (int i = 0; i < precision; ++i) {
        *--p = static_cast<char>('0' + q % 10);
        q /= 10;
    }
    if (precision > 0)
        *--p = '.';
    do {
        *--p = static_cast<char>('0' + q % 10);
        q /= 10;
    } while (q != 0);
    if (negative)
        *--p = '-';
    appendPadded(out, p, end, width);
    return true;
}

void appendFixed(std::string& out, double v, int precision, int width)
{
    if (appendNonFinite(out, v, width))
        return;
    if (appendFixedFast(out, v, precision, width))
        return;
    // The largest double has 309 integer digits; 400 leaves room for decimals.
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, precision);
    appendPadded(out, buf, res.ptr, width);
}

void appendGeneral(std::string& out, double v)
{
    if (appendNonFinite(out, v, 0))
        return;
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
    out.append(buf, res.ptr);
}

int parseInt(const char* text)
{
    const char* p = text;
    while (isSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (value <= static_cast<long long>(INT_MAX) + 1)
            value = value * 10 + (*p - '0');
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

double parseDouble(const char* text, const char** end)
{
    // Plain decimal text takes the fast exact parser; anything unusual (hex,
    // overflow, a '+' sign) goes to strtod, whose behaviour is the reference.
    const char* p = text;
    while (isSpace(*p))
        ++p;
    const char* digits = *p == '-' ? p + 1 : p;
    if ((*digits >= '0' && *digits <= '9') || *digits == '.') {
        const bool hex = digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
        double v = 0.0;
        const auto res = std::from_chars(p, p + std::strlen(p), v);
        if (!hex && res.ec == std::errc()) {
            if (end)
                *end = res.ptr;
            return v;
        }
    }
    char* stop = nullptr;
    const double v = strtod_l(text, &stop, cLocale());
    if (end)
        *end = stop;
    return v;
}

int parseTriple(const char* text, double v[3])
{
    const char* p = text;
    int count = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            // ", " in the pattern: a literal comma, then any white space.
            if (*p != ',')
                break;
            ++p;
            while (isSpace(*p))
                ++p;
        }
        const char* end = nullptr;
        const double value = parseDouble(p, &end);
        if (end == p)
            break;
        v[i] = value;
        p = end;
        ++count;
    }
    return count;
}

} // namespace numtext
