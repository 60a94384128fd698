#include "xml/escape.h"

#include <algorithm>
#include <array>
#include <cstring>

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

void append_mapped(TextBuffer &out, const char *stored, const Table &table) {
    if (stored) map_into(out, reinterpret_cast<const unsigned char *>(stored), nullptr, table);
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
    append_mapped(out, stored, ends == LineEnds::crlf ? kCleanCrlfZ : kCleanZ);
}

void append_raw(TextBuffer &out, const char *stored, LineEnds ends) {
    append_mapped(out, stored, ends == LineEnds::crlf ? kRawCrlfZ : kRawZ);
}

} // namespace velk::xml
