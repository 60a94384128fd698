#include "xml/escape.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "frame/memory.h"

namespace velk::xml {

namespace {

// What a byte becomes when written: itself (kSame), a replacement from
// kReplacement, or, for the NUL that ends a stored text, the end (kStop).
enum : unsigned char { kSame, kAmp, kLt, kGt, kQuot, kApos, kCr, kLf, kStop };

constexpr std::string_view kReplacement[] = {"", "&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "", "\r\n"};
constexpr std::size_t kLongestReplacement = 6;

using Table = std::array<unsigned char, 256>;

constexpr Table make_table(bool entities, bool crlf) {
    Table t{};
    if (entities) {
        t['&'] = kAmp;
        t['<'] = kLt;
        t['>'] = kGt;
        t['"'] = kQuot;
        t['\''] = kApos;
    }
    if (crlf) {
        t['\r'] = kCr;
        t['\n'] = kLf;
    }
    return t;
}

constexpr Table with_stop(Table t) {
    t[0] = kStop;
    return t;
}

constexpr Table kClean = make_table(true, false);
constexpr Table kCleanCrlf = make_table(true, true);
constexpr Table kRawCrlf = make_table(false, true);
constexpr Table kCleanZ = with_stop(kClean);
constexpr Table kCleanCrlfZ = with_stop(kCleanCrlf);
constexpr Table kRawZ = with_stop(Table{});
constexpr Table kRawCrlfZ = with_stop(kRawCrlf);

// Writes the mapped bytes straight into the buffer, a block of input at a
// time with room for the longest replacement of every byte, so that the
// inner loop has no capacity test. With a stop class the text ends at its
// first NUL, which spares a separate strlen pass over stored texts.
const unsigned char *map_into(TextBuffer &out, const unsigned char *p, const unsigned char *end,
                              const Table &table) {
    constexpr std::size_t kBlock = 256;
    for (;;) {
        std::size_t block = end ? std::min<std::size_t>(kBlock, static_cast<std::size_t>(end - p)) : kBlock;
        if (block == 0) return p;
        char *o = out.open_tail(block * kLongestReplacement);
        char *const start = o;
        const unsigned char *stop = p + block;
        while (p < stop) {
            unsigned char c = *p;
            unsigned char kind = table[c];
            if (kind == kSame) {
                *o++ = static_cast<char>(c);
                ++p;
            } else if (kind == kStop) {
                out.close_tail(static_cast<std::size_t>(o - start));
                return p;
            } else {
                std::string_view r = kReplacement[kind];
                std::memcpy(o, r.data(), r.size());
                o += r.size();
                ++p;
            }
        }
        out.close_tail(static_cast<std::size_t>(o - start));
    }
}

void append_mapped(TextBuffer &out, std::string_view text, const Table &table) {
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    if (!text.empty()) map_into(out, p, p + text.size(), table);
}

#if defined(__SSE2__)
// The replacements again, each in 8 bytes, so that one is copied with a
// copy of fixed size.
struct Padded {
    char bytes[8];
    std::size_t size;
};
constexpr std::array<Padded, std::size(kReplacement)> make_padded() {
    std::array<Padded, std::size(kReplacement)> padded{};
    for (std::size_t kind = 0; kind < padded.size(); ++kind) {
        for (std::size_t i = 0; i < kReplacement[kind].size(); ++i)
            padded[kind].bytes[i] = kReplacement[kind][i];
        padded[kind].size = kReplacement[kind].size();
    }
    return padded;
}
constexpr auto kPadded = make_padded();
static_assert(kLongestReplacement <= sizeof(Padded::bytes));

// A table and the bytes it does not write as themselves, which find()
// tells for 16 bytes at once.
template <const Table &kTable, char... Mapped> struct Mapping {
    static constexpr const Table &table = kTable;
    static int find(__m128i bytes) {
        __m128i hits = _mm_setzero_si128();
        ((hits = _mm_or_si128(hits, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(Mapped)))), ...);
        return _mm_movemask_epi8(hits);
    }
};
using CleanZ = Mapping<kCleanZ, '&', '<', '>', '"', '\'', 0>;
using CleanCrlfZ = Mapping<kCleanCrlfZ, '&', '<', '>', '"', '\'', '\r', '\n', 0>;
using RawZ = Mapping<kRawZ, 0>;
using RawCrlfZ = Mapping<kRawCrlfZ, '\r', '\n', 0>;

// Writes the bytes of the 16 at chunk from the k-th on, at o: one copy of 16
// bytes unless that would read into the next page, where the text may end.
inline void put_rest(char *o, const unsigned char *chunk, int k) {
    const unsigned char *from = chunk + k;
    if ((reinterpret_cast<std::uintptr_t>(from) & 4095) <= 4096 - 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o),
                         _mm_loadu_si128(reinterpret_cast<const __m128i *>(from)));
    } else {
        for (; k < 16; ++k)
            *o++ = static_cast<char>(chunk[k]);
    }
}

// map_into for a stored text, 16 bytes at a time where it is aligned (every
// block of the library's own pages is) and blocks may be read whole: an
// aligned load never leaves the page of the text's last bytes, so reading
// past the NUL is harmless. The bytes the table maps are found all at once,
// the runs between them are copied whole, and the NUL ends it.
template <class M> void map_stored(TextBuffer &out, const unsigned char *p) {
    if ((reinterpret_cast<std::uintptr_t>(p) & 15) != 0 || !blocks_read_whole()) {
        map_into(out, p, nullptr, M::table);
        return;
    }
    for (;; p += 16) {
        char *const start = out.open_tail(16 * kLongestReplacement + 16);
        const __m128i chunk = _mm_load_si128(reinterpret_cast<const __m128i *>(p));
        int mapped = M::find(chunk);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(start), chunk);
        if (!mapped) {
            out.close_tail(16);
            continue;
        }
        char *o = start;
        for (int k = 0;;) { // bytes before k are written
            const int at = mapped ? __builtin_ctz(static_cast<unsigned>(mapped)) : 16;
            if (k > 0) put_rest(o, p, k);
            o += at - k;
            if (at == 16) break;
            const unsigned char kind = M::table[p[at]];
            if (kind == kStop) {
                out.close_tail(static_cast<std::size_t>(o - start));
                return;
            }
            std::memcpy(o, kPadded[kind].bytes, sizeof kPadded[kind].bytes);
            o += kPadded[kind].size;
            k = at + 1;
            mapped &= mapped - 1;
        }
        out.close_tail(static_cast<std::size_t>(o - start));
    }
}
#else
template <const Table &kTable> struct Mapping { static constexpr const Table &table = kTable; };
using CleanZ = Mapping<kCleanZ>;
using CleanCrlfZ = Mapping<kCleanCrlfZ>;
using RawZ = Mapping<kRawZ>;
using RawCrlfZ = Mapping<kRawCrlfZ>;

template <class M> void map_stored(TextBuffer &out, const unsigned char *p) {
    map_into(out, p, nullptr, M::table);
}
#endif

template <class M> void append_stored(TextBuffer &out, const char *stored) {
    if (stored) map_stored<M>(out, reinterpret_cast<const unsigned char *>(stored));
}

} // namespace

void append_clean(TextBuffer &out, std::string_view text, LineEnds ends) {
    append_mapped(out, text, ends == LineEnds::crlf ? kCleanCrlf : kClean);
}

void append_raw(TextBuffer &out, std::string_view text, LineEnds ends) {
    if (ends == LineEnds::keep)
        out.append(text);
    else
        append_mapped(out, text, kRawCrlf);
}

void append_clean(TextBuffer &out, const char *stored, LineEnds ends) {
    if (ends == LineEnds::crlf)
        append_stored<CleanCrlfZ>(out, stored);
    else
        append_stored<CleanZ>(out, stored);
}

void append_raw(TextBuffer &out, const char *stored, LineEnds ends) {
    if (ends == LineEnds::crlf)
        append_stored<RawCrlfZ>(out, stored);
    else
        append_stored<RawZ>(out, stored);
}

} // namespace velk::xml
