// The characters of XML 1.0 (Fifth Edition) over UTF-8: what a document may
// hold, and what names are made of; and how the check's messages quote text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velk::check::chars {

// The code point of the UTF-8 sequence at s[i], its length in *length; zero
// length when the bytes there are no shortest-form sequence of a scalar
// value (no surrogates, nothing over U+10FFFF).
inline std::uint32_t decode(std::string_view s, std::size_t i, std::size_t *length) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    *length = 0;
    if (c < 0x80) {
        *length = 1;
        return c;
    }
    std::size_t len;
    unsigned char lo = 0x80, hi = 0xBF;
    std::uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF)
        len = 2, cp = c & 0x1Fu;
    else if (c >= 0xE0 && c <= 0xEF)
        len = 3, cp = c & 0x0Fu, lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
    else if (c >= 0xF0 && c <= 0xF4)
        len = 4, cp = c & 0x07u, lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
    else
        return 0;
    if (i + len > s.size() || b(i + 1) < lo || b(i + 1) > hi) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
        cp = cp << 6 | (b(i + k) & 0x3Fu);
    }
    *length = len;
    return cp;
}

// Char: tab, line feed, carriage return, and the rest from U+0020 on but
// U+FFFE and U+FFFF (surrogates never decode).
inline bool is_char(std::uint32_t cp) {
    return cp >= 0x20 ? cp != 0xFFFE && cp != 0xFFFF : cp == 0x9 || cp == 0xA || cp == 0xD;
}

inline bool is_letter(std::uint32_t c) { return (c | 0x20) - 'a' < 26u; }
inline bool is_digit(std::uint32_t c) { return c - '0' < 10u; }
inline bool is_hex_digit(std::uint32_t c) { return is_digit(c) || (c | 0x20) - 'a' < 6u; }

inline bool is_space(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The index of the first byte from i on that is no XML space (is_space);
// s.size() when there is none.
inline std::size_t skip_spaces(std::string_view s, std::size_t i) {
    while (i < s.size() && is_space(static_cast<unsigned char>(s[i])))
        ++i;
    return i;
}

inline bool is_name_start(std::uint32_t cp) {
    if (cp < 0x80) return is_letter(cp) || cp == ':' || cp == '_';
    return (cp >= 0xC0 && cp <= 0xD6) || (cp >= 0xD8 && cp <= 0xF6) || (cp >= 0xF8 && cp <= 0x2FF) ||
           (cp >= 0x370 && cp <= 0x37D) || (cp >= 0x37F && cp <= 0x1FFF) || cp == 0x200C || cp == 0x200D ||
           (cp >= 0x2070 && cp <= 0x218F) || (cp >= 0x2C00 && cp <= 0x2FEF) ||
           (cp >= 0x3001 && cp <= 0xD7FF) || (cp >= 0xF900 && cp <= 0xFDCF) ||
           (cp >= 0xFDF0 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0xEFFFF);
}

inline bool is_name_char(std::uint32_t cp) {
    return is_name_start(cp) || is_digit(cp) || cp == '-' || cp == '.' || cp == 0xB7 ||
           (cp >= 0x300 && cp <= 0x36F) || cp == 0x203F || cp == 0x2040;
}

// Whether the bytes are one XML Name.
inline bool is_name(std::string_view s) {
    if (s.empty()) return false;
    for (std::size_t i = 0, len = 0; i < s.size(); i += len) {
        const std::uint32_t cp = decode(s, i, &len);
        if (len == 0 || !(i == 0 ? is_name_start(cp) : is_name_char(cp))) return false;
    }
    return true;
}

} // namespace velk::check::chars

namespace velk::check {

// A name or value as the check's messages show it: in single quotes.
inline std::string quoted(std::string_view s) { return "'" + std::string(s) + "'"; }

} // namespace velk::check
