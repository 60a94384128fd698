#include "xml/input/escape.h"

#include <array>
#include <cstring>

namespace velk::xml {

namespace {

// What a byte becomes when written: 0 itself, otherwise an index into
// kReplacement.
enum : unsigned char { kSame, kAmp, kLt, kGt, kQuot, kApos, kCr, kLf };

constexpr std::string_view kReplacement[] = {"",       "&amp;",  "&lt;", "&gt;",
                                             "&quot;", "&apos;", "",     "\r\n"};

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

constexpr Table kClean = make_table(true, false);
constexpr Table kCleanCrlf = make_table(true, true);
constexpr Table kRawCrlf = make_table(false, true);

// Copies runs of bytes that stay as they are in one piece and writes the
// replacement of every other byte.
void append_mapped(TextBuffer &out, std::string_view text, const Table &table) {
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const auto *end = p + text.size();
    out.reserve_more(text.size());
    while (p < end) {
        const auto *run = p;
        while (p < end && !table[*p]) ++p;
        out.append(reinterpret_cast<const char *>(run), static_cast<std::size_t>(p - run));
        if (p == end) break;
        out.append(kReplacement[table[*p]]);
        ++p;
    }
}

} // namespace

void append_clean(TextBuffer &out, std::string_view text, LineEnds ends) {
    append_mapped(out, text, ends == LineEnds::crlf ? kCleanCrlf : kClean);
}

void append_raw(TextBuffer &out, std::string_view text, LineEnds ends) {
    if (ends == LineEnds::keep) out.append(text);
    else append_mapped(out, text, kRawCrlf);
}

std::size_t unclean_into(char *out, std::string_view text) {
    if (text.empty()) return 0;
    const char *p = text.data();
    const char *end = p + text.size();
    char *o = out;
    for (;;) {
        const auto *amp = static_cast<const char *>(std::memchr(p, '&', static_cast<std::size_t>(end - p)));
        const char *stop = amp ? amp : end;
        std::memcpy(o, p, static_cast<std::size_t>(stop - p));
        o += stop - p;
        if (!amp) break;
        std::string_view rest(amp + 1, static_cast<std::size_t>(end - amp - 1));
        char c = '&';
        std::size_t used = 1;
        if (rest.substr(0, 4) == "amp;") c = '&', used = 5;
        else if (rest.substr(0, 3) == "lt;") c = '<', used = 4;
        else if (rest.substr(0, 3) == "gt;") c = '>', used = 4;
        else if (rest.substr(0, 5) == "quot;") c = '"', used = 6;
        else if (rest.substr(0, 5) == "apos;") c = '\'', used = 6;
        *o++ = c;
        p = amp + used;
    }
    return static_cast<std::size_t>(o - out);
}

std::string unclean(std::string_view text) {
    std::string out(text.size(), '\0');
    out.resize(unclean_into(out.data(), text));
    return out;
}

} // namespace velk::xml
