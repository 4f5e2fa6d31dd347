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

// Copies [first, last) to p, right-aligned in width blanks as printf pads.
char* writePadded(char* p, const char* first, const char* last, int width)
{
    const int len = static_cast<int>(last - first);
    for (int i = len; i < width; ++i)
        *p++ = ' ';
    std::memcpy(p, first, static_cast<std::size_t>(len));
    return p + len;
}

// to_chars spells non-finite values "inf"/"nan" with a sign for negatives,
// exactly as glibc's printf does. Returns nullptr for a finite v.
char* writeNonFinite(char* p, double v, int width)
{
    if (std::isfinite(v))
        return nullptr;
    const char* text =
        std::isnan(v) ? (std::signbit(v) ? "-nan" : "nan") : (v < 0 ? "-inf" : "inf");
    return writePadded(p, text, text + std::strlen(text), width);
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

// "00" to "99": two digits per division.
constexpr char kDigitPairs[] = "00010203040506070809"
                               "10111213141516171819"
                               "20212223242526272829"
                               "30313233343536373839"
                               "40414243444546474849"
                               "50515253545556575859"
                               "60616263646566676869"
                               "70717273747576777879"
                               "80818283848586878889"
                               "90919293949596979899";

// Writes exactly `digits` decimal digits of v ending just before end;
// returns where they start. 32-bit arithmetic where the value allows it: its
// divisions by constants are the cheaper multiplications.
template <typename Uint> char* digitsBackwardIn(char* end, Uint v, int digits)
{
    for (; digits >= 2; digits -= 2) {
        end -= 2;
        std::memcpy(end, kDigitPairs + 2 * (v % 100), 2);
        v /= 100;
    }
    if (digits > 0)
        *--end = static_cast<char>('0' + v % 10);
    return end;
}

char* digitsBackward(char* end, std::uint64_t v, int digits)
{
    if (v <= UINT32_MAX)
        return digitsBackwardIn(end, static_cast<std::uint32_t>(v), digits);
    return digitsBackwardIn(end, v, digits);
}

constexpr std::uint64_t kPow10[] = {1,
                                    10,
                                    100,
                                    1000,
                                    10000,
                                    100000,
                                    1000000,
                                    10000000,
                                    100000000,
                                    1000000000,
                                    10000000000,
                                    100000000000,
                                    1000000000000,
                                    10000000000000,
                                    100000000000000,
                                    1000000000000000,
                                    10000000000000000,
                                    100000000000000000,
                                    1000000000000000000,
                                    10000000000000000000u};

int digitCount(std::uint64_t v)
{
    int n = 1;
    while (n < 20 && v >= kPow10[n])
        ++n;
    return n;
}

// Writes an optional minus sign and the digits of magnitude, right-aligned
// in width blanks, straight to p; `Decimals` of the digits (at least one more
// is always written) go after a decimal point. A constant, so that the
// divisions below become multiplications.
template <int Decimals>
char* writeDigits(char* p, bool negative, std::uint64_t magnitude, int width)
{
    constexpr int decimals = Decimals;
    constexpr std::uint64_t unit = kPow10[decimals];
    const std::uint64_t whole = magnitude / unit;
    const int wholeDigits = digitCount(whole);
    const int len = negative + wholeDigits + (decimals > 0 ? decimals + 1 : 0);
    if (width > len) {
        const int pad = width - len;
        if (pad <= 16) // one fixed-size copy; the room asked of callers covers the overshoot
            std::memcpy(p, "                ", 16);
        else
            std::memset(p, ' ', static_cast<std::size_t>(pad));
        p += pad;
    }
    if (negative)
        *p++ = '-';
    char* const end = p + (len - negative);
    char* q = digitsBackward(end, magnitude - whole * unit, decimals);
    if (decimals > 0)
        *--q = '.';
    digitsBackward(q, whole, wholeDigits);
    return end;
}

// Exact fixed-point digits for |v| < 1e9 and up to 8 decimals, the values a
// data file is made of: v = m * 2^-s, so v * 10^p = m * 10^p / 2^s, rounded to
// nearest with ties to even as printf does. Several times faster than the
// general algorithm behind to_chars. Returns nullptr when v is out of its
// range (NaN and infinities included).
char* writeFixedFast(char* out, double v, int precision, int width)
{
    if (!(std::fabs(v) < 1e9) || precision < 0 || precision > 8)
        return nullptr;
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
    const unsigned __int128 scaled = static_cast<unsigned __int128>(mantissa) * kPow10[precision];
    std::uint64_t q = 0;
    if (shift < 100) { // otherwise scaled < 2^80 is far below half a unit: q stays 0
        // Adding just under half a unit, plus one when the truncated value is
        // odd, carries exactly when rounding to nearest, ties to even, goes up.
        const unsigned __int128 one = 1;
        const unsigned __int128 odd = (scaled >> shift) & 1;
        q = static_cast<std::uint64_t>((scaled + ((one << (shift - 1)) - 1) + odd) >> shift);
    }
    switch (precision) {
    case 8:
        return writeDigits<8>(out, negative, q, width);
    case 4:
        return writeDigits<4>(out, negative, q, width);
    case 0:
        return writeDigits<0>(out, negative, q, width);
    case 1:
        return writeDigits<1>(out, negative, q, width);
    case 2:
        return writeDigits<2>(out, negative, q, width);
    case 3:
        return writeDigits<3>(out, negative, q, width);
    case 5:
        return writeDigits<5>(out, negative, q, width);
    case 6:
        return writeDigits<6>(out, negative, q, width);
    default:
        return writeDigits<7>(out, negative, q, width);
    }
}

} // namespace

char* writeInt(char* p, long long v, int width)
{
    // The magnitude of the most negative value still fits the unsigned type.
    const std::uint64_t magnitude =
        v < 0 ? std::uint64_t(0) - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    return writeDigits<0>(p, v < 0, magnitude, width);
}

char* writeFixed(char* p, double v, int precision, int width)
{
    if (char* end = writeFixedFast(p, v, precision, width))
        return end;
    if (char* end = writeNonFinite(p, v, width))
        return end;
    // The largest double has 309 integer digits; 400 leaves room for decimals.
    char buf[kMaxNumberChars];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, precision);
    return writePadded(p, buf, res.ptr, width);
}

char* writeGeneral(char* p, double v)
{
    if (char* end = writeNonFinite(p, v, 0))
        return end;
    auto res = std::to_chars(p, p + 64, v, std::chars_format::general, 6);
    return res.ptr;
}

void appendInt(std::string& out, long long v, int width)
{
    char buf[kMaxNumberChars];
    out.append(buf, writeInt(buf, v, width));
}

void appendFixed(std::string& out, double v, int precision, int width)
{
    char buf[kMaxNumberChars];
    out.append(buf, writeFixed(buf, v, precision, width));
}

void appendGeneral(std::string& out, double v)
{
    char buf[kMaxNumberChars];
    out.append(buf, writeGeneral(buf, v));
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

namespace {

// strtod in the "C" locale: the reference for what scanf's %lg takes.
double cLibraryDouble(const char* text, const char** end)
{
    char* stop = nullptr;
    const double v = strtod_l(text, &stop, cLocale());
    if (end)
        *end = stop;
    return v;
}

} // namespace

double parseDouble(const char* text, const char** end, bool decimalOnly)
{
    const char* p = text;
    while (isSpace(*p))
        ++p;
    const char* digits = (*p == '-' || *p == '+') ? p + 1 : p;
    const bool decimal = (*digits >= '0' && *digits <= '9') || *digits == '.';
    const bool hex = decimal && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    if (decimal && !(hex && !decimalOnly)) {
        // from_chars is exact and fast but knows no '+' sign.
        double v = 0.0;
        const auto res = std::from_chars(digits, digits + std::strlen(digits), v);
        if (res.ec == std::errc()) {
            if (end)
                *end = res.ptr;
            return *p == '-' ? -v : v;
        }
        if (res.ec == std::errc::result_out_of_range)
            return cLibraryDouble(text, end); // overflow to infinity, underflow to 0
    }
    if (!decimalOnly && !decimal)
        return cLibraryDouble(text, end); // inf, nan
    if (!decimalOnly && hex)
        return cLibraryDouble(text, end);
    if (end)
        *end = text;
    return 0.0;
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
        const double value = parseDouble(p, &end, false);
        if (end == p)
            break;
        v[i] = value;
        p = end;
        ++count;
    }
    return count;
}

} // namespace numtext
