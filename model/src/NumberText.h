#pragma once
// Locale-free number text for the data file. Parview runs under the user's
// locale (Qt calls setlocale at start-up), so printf/scanf would write and read
// "154,887" in a German session; these helpers always use a point.
//
// Output matches the printf conversions of the format ("%6d", "%8.4f",
// "%8.8f", "%g") digit for digit; std::to_chars gives the same exactly rounded
// digits without the locale and several times faster.

#include <string>

namespace numtext {

// printf("%*d", width, v)
void appendInt(std::string& out, long long v, int width = 0);
// printf("%*.*f", width, precision, v)
void appendFixed(std::string& out, double v, int precision, int width);
// printf("%g", v)
void appendGeneral(std::string& out, double v);

// Like atoi: optional white space and sign, then decimal digits, stopping at
// the first other character; 0 when there are none. Saturates at the int range.
int parseInt(const char* text);

// Like strtod in the "C" locale: the longest leading number (optional white
// space, sign, digits, point, exponent; also inf/nan/hex as strtod knows them).
// Returns the character after the number in *end (text itself when none).
double parseDouble(const char* text, const char** end = nullptr);

// Like sscanf(text, "%lg, %lg, %lg", &v[0], &v[1], &v[2]): reads up to three
// numbers, stopping at the first mismatch; returns how many were read. The
// components not read are left as they are.
int parseTriple(const char* text, double v[3]);

} // namespace numtext
