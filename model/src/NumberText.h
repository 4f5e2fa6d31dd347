#pragma once
// Locale-free number text for the data file. Parview runs under the user's
// locale (Qt calls setlocale at start-up), so printf/scanf would write and read
// "154,887" in a German session; these helpers always use a point.
//
// Output matches the printf conversions of the format ("%6d", "%8.4f",
// "%8.8f", "%g") digit for digit; std::to_chars gives the same exactly rounded
// digits without the locale and several times faster.

#include <cstddef>
#include <string>

namespace numtext {

// The longest text one of the write functions below produces for a width of
// at most 32: the fixed form of the largest double.
constexpr std::size_t kMaxNumberChars = 400;

// Each writes at p, which must have kMaxNumberChars bytes of room, and
// returns the end of what it wrote (no terminating NUL).
// printf("%*d", width, v)
char* writeInt(char* p, long long v, int width = 0);
// printf("%*.*f", width, precision, v), precision at most 60
char* writeFixed(char* p, double v, int precision, int width);
// printf("%g", v)
char* writeGeneral(char* p, double v);

// The same, appended to a string.
void appendInt(std::string& out, long long v, int width = 0);
void appendFixed(std::string& out, double v, int precision, int width);
void appendGeneral(std::string& out, double v);

// Like atoi: optional white space and sign, then decimal digits, stopping at
// the first other character; 0 when there are none. Saturates at the int range.
int parseInt(const char* text);

// The longest leading decimal number: optional white space and sign, digits
// with an optional point, an optional exponent; 0 when there is none. With
// decimalOnly false it also takes what scanf's %lg takes besides (hex, inf,
// nan). Returns the character after the number in *end (text when none).
double parseDouble(const char* text, const char** end = nullptr, bool decimalOnly = true);

// Like sscanf(text, "%lg, %lg, %lg", &v[0], &v[1], &v[2]) in the "C" locale: reads up to three
// numbers, stopping at the first mismatch; returns how many were read. The
// components not read are left as they are.
int parseTriple(const char* text, double v[3]);

} // namespace numtext
