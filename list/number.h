// The numeric value of an entry's data text, the key of the numeric sort.
#pragma once

#include <string_view>

namespace velk::list {

// The number a text begins with, as a double. Leading blanks, tabs and line
// feeds are skipped; then comes either a decimal number (optional sign,
// digits, optional decimal point with more digits, optional exponent after E,
// e, D or d with an optional sign) or a radix form: an ampersand followed by
// H or h and hexadecimal digits, by O, o, Q or q and octal digits, by B or b
// and binary digits, or directly by octal digits. Reading stops at the first
// byte that does not fit. A text that does not begin with a number is 0;
// magnitudes beyond a double's range are infinite, below it zero. Digit
// strings and exponents of any length are read without overflow and without
// allocating.
double numeric_value(std::string_view text) noexcept;

} // namespace velk::list
