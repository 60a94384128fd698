// Where the parser's messages place a byte, "(LINE:COL)", and back. Line:
// one more for every carriage return; a line feed is an ordinary byte.
// Column: the distance from the first "<" (origin) on the first line, from
// the last carriage return (which is column 1) after that. The parser places
// its messages by it, and the tool turns those places back into bytes by it.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace velk::xml {

struct MessagePosition {
    long line;
    std::size_t column;
};

inline MessagePosition message_position(std::string_view text, std::size_t origin, std::size_t at) {
    const char *s = text.data();
    MessagePosition place{1, 0};
    std::size_t line_start = origin;
    std::size_t column_base = 0;
    const char *p = s + origin + 1;
    const char *end = s + at + 1;
    while (const auto *cr =
               static_cast<const char *>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)))) {
        ++place.line;
        line_start = static_cast<std::size_t>(cr - s);
        column_base = 1;
        p = cr + 1;
    }
    place.column = at - line_start + column_base;
    return place;
}

// The byte that a message's place names; false when the text has no such
// byte.
inline bool message_offset(std::string_view text, std::size_t origin, MessagePosition place,
                           std::size_t *offset) {
    const char *s = text.data();
    if (place.line < 1 || origin >= text.size()) return false;
    std::size_t line_start = origin;
    std::size_t column_base = 0;
    for (long line = 1; line < place.line; ++line) {
        const void *cr = std::memchr(s + line_start + 1, '\r', text.size() - line_start - 1);
        if (!cr) return false;
        line_start = static_cast<std::size_t>(static_cast<const char *>(cr) - s);
        column_base = 1;
    }
    if (place.column < column_base) return false;
    *offset = line_start + place.column - column_base;
    return *offset < text.size();
}

} // namespace velk::xml
