// Helpers on byte texts that the list and XML cores share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velk {

// Where a short text is stored 16 bytes at once: its block is asked for as
// 16 bytes, and the 16 bytes read from where the text begins are stored with
// those behind the text cleared. Not on Windows, where every block is a
// GlobalAlloc of the text's own size.
#if defined(__SSE2__) && !defined(_WIN32)
#define VELK_SHORT_TEXTS_AT_ONCE 1
// The 16 bytes at p with those from the size-th on cleared (size <= 16); the
// 16 bytes at p may be read.
inline __m128i first_bytes(const char *p, std::size_t size) noexcept {
    alignas(16) static constexpr unsigned char kKeep[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    return _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)),
                         _mm_loadu_si128(reinterpret_cast<const __m128i *>(kKeep + 16 - size)));
}
#endif

// Whether one of the bytes of the word x is c: the bytes equal to c are the
// zero bytes of x ^ c..c, which the borrow of a subtraction finds all at once.
template <class Word> inline bool word_has_byte(Word x, unsigned char c) noexcept {
    constexpr Word kOnes = Word(~Word(0)) / 0xFF; // 0x01 in every byte
    const Word y = x ^ Word(kOnes * c);
    return Word((y - kOnes) & ~y & Word(kOnes * 0x80)) != 0;
}

// Copies size bytes (one to two words) as two words that may overlap, and
// tells whether they hold the byte c.
template <class Word>
inline bool copy_words(char *to, const char *from, std::size_t size, unsigned char c) noexcept {
    Word head, tail;
    std::memcpy(&head, from, sizeof(Word));
    std::memcpy(&tail, from + size - sizeof(Word), sizeof(Word));
    std::memcpy(to, &head, sizeof(Word));
    std::memcpy(to + size - sizeof(Word), &tail, sizeof(Word));
    return word_has_byte(head, c) || word_has_byte(tail, c);
}

// Copies a text of at most 16 bytes without a call (one or three bytes for
// the shortest), and tells whether it holds the byte c. Names, tags and the
// texts between tags are mostly this short.
inline bool copy_short(char *to, const char *from, std::size_t size, unsigned char c) noexcept {
    if (size >= 8) return copy_words<std::uint64_t>(to, from, size, c);
    if (size >= 4) return copy_words<std::uint32_t>(to, from, size, c);
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
