// The parser's lexing rules: which bytes end a name, how a tag name ends,
// where a comment ends, and which references it undoes. The parser reads
// with them, and the tool's well-formedness check asks them where it must
// agree with the parser, so that the two cannot drift apart.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "frame/compiler.h"

namespace velk::xml::lex {

inline unsigned char byte_at(const char *s, std::size_t i) { return static_cast<unsigned char>(s[i]); }
// The parser's blank: every byte up to the space, NUL and controls included.
inline bool is_blank(unsigned char c) { return c <= 32; }
inline bool is_quote(unsigned char c) { return c == '"' || c == '\''; }

using Stops = std::array<bool, 256>;

// A set of bytes that end a run of a name: every blank and the bytes Extra,
// all of them below "@" (0x40), where names rarely have a byte.
template <char... Extra> struct StopSet {
    static_assert(((static_cast<unsigned char>(Extra) < 0x40) && ...), "a stop byte at or above 0x40");
    static constexpr Stops make_table() {
        Stops t{};
        for (int c = 0; c <= 32; ++c)
            t[c] = true;
        for (char c : {Extra...})
            t[static_cast<unsigned char>(c)] = true;
        return t;
    }
    static constexpr Stops kTable = make_table();
};

// Bytes that end a run of a tag name: every one that has a role there.
using TagNameStops = StopSet<'-', '"', '\'', '<', '=', '>', '/', '?'>;
// Bytes that end a run of an attribute name.
using AttribNameStops = StopSet<'"', '\'', '<', '=', '>'>;

// The first byte from i on that the set stops; n when none does. Where the
// processor compares 16 bytes at once, it finds the bytes below 0x40 of 16
// at a time, one compare for any set, and asks the table only about those:
// in a name they are few (digits, ".", ":"), and the first is mostly the
// stop.
template <class Set> inline std::size_t run_end(const char *s, std::size_t i, std::size_t n) {
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
        // c <= 0x3F as unsigned bytes: the smaller of c and 0x3F is c.
        int low = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(bytes, _mm_set1_epi8(0x3F)), bytes));
        for (; low != 0; low &= low - 1) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(low));
            if (Set::kTable[byte_at(s, at)]) return at;
        }
    }
#endif
    while (i < n && !Set::kTable[byte_at(s, i)])
        ++i;
    return i;
}

// How the name of a tag, read from the byte after its "<", ends.
enum class NameEnd {
    unfinished,  // the input ends first
    blank,       // at a blank: attributes (or nothing) follow
    gt,          // at ">"
    slash_gt,    // at "/>": an element closed at once
    slash_blank, // at "/" and a blank, as in "<b/ >": closed, attributes may follow
    question_gt, // at "?>", in a name that begins with "?"
    comment,     // the name is "!--": a comment begins
    invalid,     // at a quote, "<" or "="
};

struct TagName {
    NameEnd end;
    std::size_t name_end; // one past the name's last byte
    std::size_t at;       // the byte that ended it (the ">" of "/>" and "?>")
};

// A "/" or "?" that ends nothing is part of the name, and so is a "-" that
// does not complete "<!--". A closed element's name loses the slashes before
// its closing one ("<b//>" is a closed "b"), so that no element name ends in
// "/", which the writer could not give back; end tags keep their name as
// written.
// Inlined where it is called: the parser meets it at every tag.
VELK_ALWAYS_INLINE TagName tag_name(const char *s, std::size_t n, std::size_t start) {
    auto without_slashes = [&](std::size_t end) {
        if (s[start] != '/')
            while (end > start + 1 && s[end - 1] == '/')
                --end;
        return end;
    };
    // A first "/" or "?" ends nothing (that of an end tag, of an
    // instruction): the scan begins behind it.
    for (std::size_t i = start + (start < n && (s[start] == '/' || s[start] == '?'));;) {
        const std::size_t j = run_end<TagNameStops>(s, i, n);
        if (j == n) return {NameEnd::unfinished, n, n};
        const unsigned char c = byte_at(s, j);
        // The commonest ends first, each a branch of its own.
        if (c == '>') return {NameEnd::gt, j, j};
        if (is_blank(c)) return {NameEnd::blank, j, j};
        if (c == '-') {
            if (j - start == 2 && s[start] == '!' && s[start + 1] == '-') return {NameEnd::comment, j + 1, j};
        } else if (is_quote(c) || c == '<' || c == '=') {
            return {NameEnd::invalid, j, j};
        } else if (c == '/' && j > start && s[start] != '/' && j + 1 < n && is_blank(byte_at(s, j + 1))) {
            return {NameEnd::slash_blank, without_slashes(j), j};
        } else if (j > start && j + 1 < n && s[j + 1] == '>' && (c == '/' || s[start] == '?')) {
            if (c == '/') return {NameEnd::slash_gt, without_slashes(j), j + 1};
            return {NameEnd::question_gt, j, j + 1};
        }
        i = j + 1;
    }
}

// The ">" that ends a comment whose body begins at from: the first one behind
// two dashes, where the dashes of "<!--" count ("<!-->" is a whole comment).
// n when there is none.
inline std::size_t comment_end(const char *s, std::size_t n, std::size_t from) {
    while (from < n) {
        const auto *gt = static_cast<const char *>(std::memchr(s + from, '>', n - from));
        if (!gt) break;
        const auto j = static_cast<std::size_t>(gt - s);
        if (s[j - 1] == '-' && s[j - 2] == '-') return j;
        from = j + 1;
    }
    return n;
}

// The one of the five entities that the text after an "&" begins with: its
// character, and *length the bytes it takes after the "&" ("lt;" takes 3).
// Zero when it begins none; the "&" then stands for itself.
inline char entity(std::string_view after_amp, std::size_t *length) {
    // Compared one by one with literals: each test is then a fixed-size
    // compare, where a table of names would cost a call per name.
    char c = 0;
    if (after_amp.substr(0, 4) == "amp;")
        c = '&', *length = 4;
    else if (after_amp.substr(0, 3) == "lt;")
        c = '<', *length = 3;
    else if (after_amp.substr(0, 3) == "gt;")
        c = '>', *length = 3;
    else if (after_amp.substr(0, 5) == "quot;")
        c = '"', *length = 5;
    else if (after_amp.substr(0, 5) == "apos;")
        c = '\'', *length = 5;
    return c;
}

} // namespace velk::xml::lex
