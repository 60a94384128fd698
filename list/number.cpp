#include "list/number.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace velk::list {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The value of c as a digit of the base (2, 8 or 16); -1 when it is none.
int digit_in(char c, int base) {
    int value;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    else
        return -1;
    return value < base ? value : -1;
}

// Digits of a radix 2^bits from p on, correctly rounded. The leading digits
// are kept exactly in 64 bits; once those are full, further digits only move
// the binary exponent and note whether anything non-zero was dropped. The
// kept value then has more than 54 significant bits, so folding that note
// into its lowest bit rounds exactly as the whole digit string would.
double radix_value(const char *p, const char *end, int bits) {
    const int base = 1 << bits;
    const std::uint64_t room = std::uint64_t{1} << (64 - bits); // below this, one more digit fits
    std::uint64_t kept = 0;
    bool dropped_nonzero = false;
    int shift = 0;
    for (; p < end; ++p) {
        int digit = digit_in(*p, base);
        if (digit < 0) break;
        if (kept < room) {
            kept = (kept << bits) | static_cast<unsigned>(digit);
        } else {
            dropped_nonzero |= digit != 0;
            if (shift < 4096) shift += bits; // far beyond a double's range already
        }
    }
    return std::ldexp(static_cast<double>(kept | (dropped_nonzero ? 1u : 0u)), shift);
}

// Powers of ten that a double holds exactly.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Significant digits passed to the conversion. Any decimal number with more
// digits rounds to a double exactly as its first 780 digits followed by a
// non-zero digit do, so longer strings are cut there.
constexpr int kMaxDigits = 780;
// Exponent values beyond this are equivalent: the result is 0 or infinite.
constexpr std::int64_t kExponentCap = 100000000;

// The correctly rounded value of D x 10^scale, where D is the integer of
// the digits in [int_begin, int_end) and [frac_begin, frac_end) and lies
// within a factor 10^340 or so of 1. Digits beyond kMaxDigits are replaced
// by a single 1 when any of them is non-zero.
double convert(const char *int_begin, const char *int_end, const char *frac_begin, const char *frac_end,
               std::int64_t scale) {
    char digits[kMaxDigits + 32];
    int count = 0;
    bool dropped_nonzero = false;
    const char *parts[2][2] = {{int_begin, int_end}, {frac_begin, frac_end}};
    for (const auto &part : parts) {
        for (const char *d = part[0]; d < part[1]; ++d) {
            if (count == 0 && *d == '0') continue;
            if (count < kMaxDigits) {
                digits[count++] = *d;
            } else {
                dropped_nonzero |= *d != '0';
                ++scale;
            }
        }
    }
    if (dropped_nonzero) {
        digits[count++] = '1';
        --scale;
    }
    char *out = digits + count;
    *out++ = 'e';
    out = std::to_chars(out, digits + sizeof digits, scale).ptr;
    double value = 0.0;
    if (std::from_chars(digits, out, value).ec == std::errc::result_out_of_range)
        value = count + scale > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return value;
}

// A decimal number from p on (the sign included).
double decimal_value(const char *p, const char *end) {
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    const char *int_begin = p;
    while (p < end && is_digit(*p))
        ++p;
    const char *int_end = p, *frac_begin = p, *frac_end = p;
    if (p < end && *p == '.') {
        frac_begin = ++p;
        while (p < end && is_digit(*p))
            ++p;
        frac_end = p;
    }
    if (int_begin == int_end && frac_begin == frac_end) return 0.0; // no digit: no number

    std::int64_t exponent = 0;
    if (p < end && (*p == 'E' || *p == 'e' || *p == 'D' || *p == 'd')) {
        const char *q = p + 1;
        bool exponent_negative = false;
        if (q < end && (*q == '+' || *q == '-')) exponent_negative = *q++ == '-';
        for (; q < end && is_digit(*q); ++q)
            if (exponent < kExponentCap) exponent = exponent * 10 + (*q - '0');
        if (exponent_negative) exponent = -exponent;
    }

    // The digits of both parts read as one integer D: the value is
    // D x 10^scale. Leading zeros do not count. Short numbers are worked out
    // here from their first digits; the rest go to a correctly rounding
    // conversion.
    std::int64_t scale = exponent - (frac_end - frac_begin);
    std::uint64_t mantissa = 0; // the first 19 significant digits
    std::int64_t count = 0;     // significant digits
    for (const char *d = int_begin; d < int_end; ++d) {
        if (count == 0 && *d == '0') continue;
        if (count++ < 19) mantissa = mantissa * 10 + static_cast<unsigned>(*d - '0');
    }
    for (const char *d = frac_begin; d < frac_end; ++d) {
        if (count == 0 && *d == '0') continue;
        if (count++ < 19) mantissa = mantissa * 10 + static_cast<unsigned>(*d - '0');
    }
    double value;
    if (count == 0) {
        value = 0.0;
    } else if (count <= 15 && scale >= -22 && scale <= 22) {
        // Both the digits and the power of ten are exact, so one operation
        // gives the correctly rounded result.
        double m = static_cast<double>(mantissa);
        value = scale >= 0 ? m * kExactPowers[scale] : m / kExactPowers[-scale];
    } else if (count + scale > 310) {
        value = std::numeric_limits<double>::infinity(); // at least 10^310
    } else if (count + scale < -330) {
        value = 0.0; // below 10^-330, under half the smallest double
    } else {
        value = convert(int_begin, int_end, frac_begin, frac_end, scale);
    }
    return negative ? -value : value;
}

} // namespace

double numeric_value(std::string_view text) noexcept {
    const char *p = text.data(), *end = p + text.size();
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\n'))
        ++p;
    if (p == end || *p != '&') return decimal_value(p, end);
    ++p;
    if (p < end) {
        switch (*p) {
        case 'H':
        case 'h':
            return radix_value(p + 1, end, 4);
        case 'O':
        case 'o':
        case 'Q':
        case 'q':
            return radix_value(p + 1, end, 3);
        case 'B':
        case 'b':
            return radix_value(p + 1, end, 1);
        default:
            break;
        }
    }
    return radix_value(p, end, 3); // octal digits directly after the ampersand
}

} // namespace velk::list
