// Helpers on byte texts that the list and XML cores share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace velk {

// Whether one of the 8 bytes of x is c: the bytes equal to c are the zero
// bytes of x ^ c..c, which the borrow of a subtraction finds all at once.
inline bool word_has_byte(std::uint64_t x, unsigned char c) noexcept {
    const std::uint64_t y = x ^ (0x0101010101010101u * c);
    return ((y - 0x0101010101010101u) & ~y & 0x8080808080808080u) != 0;
}

// Copies a text of at most 16 bytes without a call, as two words that may
// overlap (one or three bytes for the shortest), and tells whether it holds
// the byte c. Names, tags and the texts between tags are mostly this short.
inline bool copy_short(char *to, const char *from, std::size_t size, unsigned char c) noexcept {
    if (size >= 8) {
        std::uint64_t head, tail;
        std::memcpy(&head, from, 8);
        std::memcpy(&tail, from + size - 8, 8);
        std::memcpy(to, &head, 8);
        std::memcpy(to + size - 8, &tail, 8);
        return word_has_byte(head, c) || word_has_byte(tail, c);
    }
    if (size >= 4) {
        std::uint32_t head, tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + size - 4, 4);
        std::memcpy(to, &head, 4);
        std::memcpy(to + size - 4, &tail, 4);
        return word_has_byte(head | std::uint64_t(tail) << 32, c);
    }
    if (size == 0) return false;
    const char first = from[0], middle = from[size / 2], last = from[size - 1];
    to[0] = first;
    to[size / 2] = middle;
    to[size - 1] = last;
    return first == char(c) || middle == char(c) || last == char(c);
}

// Copies bytes; a short run without a call.
inline void copy_bytes(char *to, const char *from, std::size_t size) noexcept {
    if (size <= 16)
        copy_short(to, from, size, 0);
    else
        std::memcpy(to, from, size);
}

// The text without leading and trailing blanks (0x20 only; tabs and line ends
// stay), as names and tags are compared.
inline std::string_view trim_blanks(std::string_view s) noexcept {
    std::size_t begin = 0, end = s.size();
    while (begin < end && s[begin] == ' ')
        ++begin;
    while (end > begin && s[end - 1] == ' ')
        --end;
    return s.substr(begin, end - begin);
}

} // namespace velk
