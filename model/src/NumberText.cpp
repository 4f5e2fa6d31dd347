#include "NumberText.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
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

void appendFixed(std::string& out, double v, int precision, int width)
{
    if (appendNonFinite(out, v, width))
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
