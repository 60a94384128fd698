#include "strict_scan.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

namespace velkxml {

namespace {

enum Kind {
    kUtf16,
    kNotUtf8,
    kCutOff,
    kNotClosed,
    kSecondTop,
    kOutsideText,
    kRepeated,
    kNoValue,
    kDeclaration,
    kCdata,
    kNumeric,
    kEntity,
    kAmpersand,
    kLtInValue,
    kKinds
};

// How the count of findings beyond those shown is told, by kind.
constexpr std::array<const char *, kKinds> kPlural = {
    "byte order marks",
    "bytes that are not UTF-8",
    "unfinished tags",
    "elements not closed",
    "further top-level elements",
    "texts outside the top-level element",
    "repeated attributes",
    "attributes without a value",
    "declarations",
    "CDATA sections",
    "numeric character references",
    "unknown entity references",
    "bare '&'",
    "'<' in attribute values",
};

using Table = std::array<bool, 256>;

// Bytes that end a run of a tag name and of an attribute name, as the parser
// has them.
constexpr Table make_table(const char *bytes) {
    Table t{};
    for (int c = 0; c <= 32; ++c)
        t[c] = true;
    for (const char *p = bytes; *p; ++p)
        t[static_cast<unsigned char>(*p)] = true;
    for (int c = 0x80; c < 256; ++c)
        t[c] = true; // checked as UTF-8 on the way
    return t;
}
constexpr Table kTagNameStops = make_table("-\"'<=>/?");
constexpr Table kAttribNameStops = make_table("\"'<=>");

inline bool is_blank(unsigned char c) { return c <= 32; } // the parser's blank
inline bool is_space(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
inline bool is_quote(unsigned char c) { return c == '"' || c == '\''; }
inline bool is_name_byte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c == ':' || c >= 0x80;
}
inline bool is_digit(unsigned char c, bool hex) {
    return (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
}

std::string quoted(std::string_view s) { return "'" + std::string(s) + "'"; }

class Scanner {
  public:
    explicit Scanner(std::string_view text) : s_(text), n_(text.size()) {}
    StrictReport run();

  private:
    struct Named {
        std::string_view name;
        std::size_t at;
    };

    unsigned char at(std::size_t i) const { return static_cast<unsigned char>(s_[i]); }
    // Whether one more finding of the kind is shown (and counts it).
    bool shown(Kind kind) { return ++counts_[kind] <= StrictReport::kShown; }
    void add(std::size_t offset, std::string text) { findings_.push_back({offset, true, std::move(text)}); }
    // The index after a run of bytes that the table does not stop, each byte
    // of 128 and over checked as UTF-8 on the way.
    // The end of an element's name that a closing slash at k follows: the
    // slashes before it are that slash's too ("<b//>" is a closed "b").
    std::size_t name_end(std::size_t start, std::size_t k) const {
        while (k > start + 1 && s_[k - 1] == '/')
            --k;
        return k;
    }
    std::size_t skip_run(std::size_t k, const Table &stops) {
        for (;;) {
            while (k < n_ && !stops[at(k)])
                ++k;
            if (k >= n_ || at(k) < 0x80) return k;
            k = utf8(k);
        }
    }
    std::size_t utf8(std::size_t i);
    std::size_t data(std::size_t i);
    void reference(std::size_t i);
    std::size_t tag(std::size_t lt);
    std::size_t comment(std::size_t lt);
    std::size_t close(std::size_t lt, std::string_view name, bool closed, std::size_t gt);
    void repeated_attributes(std::string_view element);

    std::string_view s_;
    std::size_t n_;
    bool check_utf8_ = true;
    std::vector<Named> open_;    // elements open here, outermost first
    std::vector<Named> attribs_; // attributes of the tag in hand
    std::size_t top_elements_ = 0;
    std::array<std::size_t, kKinds> counts_{};
    std::vector<Finding> findings_;
};

// Checks the UTF-8 sequence that starts at i; the index after it, or after
// the one byte that starts no valid sequence.
std::size_t Scanner::utf8(std::size_t i) {
    if (!check_utf8_) return i + 1;
    unsigned char c = at(i), lo = 0x80, hi = 0xBF;
    std::size_t len = 0;
    if (c >= 0xC2 && c <= 0xDF)
        len = 2;
    else if (c == 0xE0)
        len = 3, lo = 0xA0;
    else if (c == 0xED)
        len = 3, hi = 0x9F; // no surrogates
    else if (c >= 0xE1 && c <= 0xEF)
        len = 3;
    else if (c == 0xF0)
        len = 4, lo = 0x90;
    else if (c >= 0xF1 && c <= 0xF3)
        len = 4;
    else if (c == 0xF4)
        len = 4, hi = 0x8F;
    bool valid = len > 0 && i + len <= n_ && at(i + 1) >= lo && at(i + 1) <= hi;
    for (std::size_t k = 2; valid && k < len; ++k)
        valid = at(i + k) >= 0x80 && at(i + k) <= 0xBF;
    if (valid) return i + len;
    if (shown(kNotUtf8)) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", c);
        add(i, std::string("text that is not UTF-8 (byte ") + hex + ")");
    }
    return i + 1;
}

// A "&" in character data or an attribute value: the parser turns only the
// five entities of XML back into their characters and keeps anything else
// as it stands, and a rewrite then escapes its "&".
void Scanner::reference(std::size_t i) {
    std::size_t k = i + 1;
    if (k < n_ && s_[k] == '#') {
        bool hex = k + 1 < n_ && s_[k + 1] == 'x';
        std::size_t digits = k + (hex ? 2 : 1);
        k = digits;
        while (k < n_ && k - digits < 16 && is_digit(at(k), hex))
            ++k;
        if (k > digits && k < n_ && s_[k] == ';') {
            if (shown(kNumeric)) {
                std::string_view ref = s_.substr(i, k + 1 - i);
                add(i, "numeric character reference " + quoted(ref) +
                           ", kept as literal text (written back as " +
                           quoted("&amp;" + std::string(ref.substr(1))) + ")");
            }
            return;
        }
    } else {
        while (k < n_ && k - i <= 32 && is_name_byte(at(k)))
            ++k;
        if (k > i + 1 && k < n_ && s_[k] == ';') {
            std::string_view name = s_.substr(i + 1, k - i - 1);
            if (name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos") return;
            if (shown(kEntity)) {
                std::string_view ref = s_.substr(i, k + 1 - i);
                add(i, "entity reference " + quoted(ref) +
                           " is none of the five the parser knows, kept as literal "
                           "text (written back as " +
                           quoted("&amp;" + std::string(name) + ";") + ")");
            }
            return;
        }
    }
    if (shown(kAmpersand)) add(i, "'&' that begins no entity reference (XML writes it '&amp;')");
}

// Character data from i to the next "<"; returns the index of that "<", or
// the end.
std::size_t Scanner::data(std::size_t i) {
    const bool outside = open_.empty();
    bool told = false;
    while (i < n_) {
        unsigned char c = at(i);
        if (c == '<') return i;
        if (outside && !told && !is_space(c)) {
            told = true;
            if (shown(kOutsideText)) add(i, "text outside the top-level element");
        }
        if (c >= 0x80) {
            i = utf8(i);
            continue;
        }
        if (c == '&' && !outside) reference(i);
        ++i;
    }
    return i;
}

// "<!--" at lt: the comment ends at a ">" behind two dashes, those of the
// opening "<!--" included, as the parser reads it.
std::size_t Scanner::comment(std::size_t lt) {
    std::size_t i = lt + 4;
    while (i < n_) {
        unsigned char c = at(i);
        if (c == '>' && s_[i - 1] == '-' && s_[i - 2] == '-') return i + 1;
        i = c >= 0x80 ? utf8(i) : i + 1;
    }
    if (shown(kCutOff)) add(lt, "the input ends inside this comment");
    return n_;
}

std::size_t Scanner::tag(std::size_t lt) {
    if (s_.substr(lt + 1, 3) == "!--") return comment(lt);
    const std::size_t start = lt + 1;
    std::size_t k = start;
    std::string_view name;
    bool closed = false;
    // The tag name, ended as the parser ends it.
    for (;;) {
        k = skip_run(k, kTagNameStops);
        if (k >= n_) break;
        unsigned char c = at(k);
        if (is_blank(c)) {
            name = s_.substr(start, k - start);
            ++k;
            break;
        }
        if (c == '>') return close(lt, s_.substr(start, k - start), false, k);
        bool slash_ends = c == '/' && k > start && s_[start] != '/';
        if (slash_ends && k + 1 < n_ && is_blank(at(k + 1))) { // "<b/ >"
            name = s_.substr(start, name_end(start, k) - start);
            closed = true;
            ++k;
            break;
        }
        if (k > start && k + 1 < n_ && s_[k + 1] == '>' &&
            (c == '/' || s_[start] == '?')) { // "<b/>", "<?t?>"
            const std::size_t end = c == '/' ? name_end(start, k) : k;
            return close(lt, s_.substr(start, end - start), c == '/', k + 1);
        }
        ++k; // part of the name
    }
    // Attributes, each a name, "=" and a quoted value; a name without a value,
    // last in its tag, is dropped by the parser.
    const bool markup = !name.empty() && (name[0] == '!' || name[0] == '/' || name[0] == '?');
    attribs_.clear();
    while (k < n_) {
        unsigned char c = at(k);
        if (c == '>') return close(lt, name, closed, k);
        if (c == '/') {
            closed = true;
            ++k;
            continue;
        }
        if (is_blank(c) || is_quote(c) || c == '<' || c == '=') { // the last three the parser refuses here
            ++k;
            continue;
        }
        closed = false;
        const std::size_t a = k;
        k = skip_run(k, kAttribNameStops);
        if (k >= n_) break;
        c = at(k);
        std::string_view attrib = s_.substr(a, k - a);
        if (c == '>') {
            if (!markup && shown(kNoValue))
                add(a, "attribute " + quoted(attrib) + " has no value, and the parser drops it");
            return close(lt, name, false, k);
        }
        if (!is_blank(c) && c != '=') continue; // a quote or "<" the parser refuses
        while (k < n_ && (is_blank(at(k)) || at(k) == '='))
            ++k;
        if (k >= n_ || !is_quote(at(k))) continue;
        const char quote = s_[k++];
        while (k < n_ && s_[k] != quote) {
            c = at(k);
            if (c >= 0x80) {
                k = utf8(k);
                continue;
            }
            if (!markup && c == '<' && shown(kLtInValue))
                add(k, "'<' in an attribute value (XML writes it '&lt;')");
            if (!markup && c == '&') reference(k);
            ++k;
        }
        if (k >= n_) break;
        attribs_.push_back({attrib, a});
        ++k;
    }
    if (shown(kCutOff)) add(lt, "the input ends inside this tag");
    return n_;
}

void Scanner::repeated_attributes(std::string_view element) {
    if (attribs_.size() < 2) return;
    auto tell = [&](const Named &a) {
        if (shown(kRepeated))
            add(a.at, "attribute " + quoted(a.name) + " given again on element " + quoted(element));
    };
    if (attribs_.size() <= 16) {
        for (std::size_t i = 1; i < attribs_.size(); ++i)
            for (std::size_t j = 0; j < i; ++j)
                if (attribs_[i].name == attribs_[j].name) {
                    tell(attribs_[i]);
                    break;
                }
        return;
    }
    std::vector<Named> sorted = attribs_;
    std::sort(sorted.begin(), sorted.end(), [](const Named &x, const Named &y) {
        return x.name != y.name ? x.name < y.name : x.at < y.at;
    });
    for (std::size_t i = 1; i < sorted.size(); ++i)
        if (sorted[i].name == sorted[i - 1].name) tell(sorted[i]);
}

// The tag from lt to the ">" at gt is complete; the index after it.
std::size_t Scanner::close(std::size_t lt, std::string_view name, bool closed, std::size_t gt) {
    if (name.empty() || name[0] == '?') return gt + 1; // "<>" and instructions
    if (name[0] == '/') {
        if (!open_.empty()) open_.pop_back();
        return gt + 1;
    }
    if (name[0] == '!') {
        if (name.substr(0, 8) == "![CDATA[") {
            if (shown(kCdata)) add(lt, "CDATA section, which the parser reads as an element, not as text");
        } else if (shown(kDeclaration)) {
            add(lt, name == "!DOCTYPE"
                        ? "document type declaration, which the parser reads as an element that "
                          "holds the rest of the document"
                        : "declaration " + quoted("<" + std::string(name)) +
                              ", which the parser reads as an element");
        }
        return gt + 1;
    }
    if (open_.empty() && ++top_elements_ > 1 && shown(kSecondTop))
        add(lt, "another top-level element " + quoted(name) + " (a document has one)");
    repeated_attributes(name);
    if (!closed) open_.push_back({name, lt});
    return gt + 1;
}

StrictReport Scanner::run() {
    std::size_t i = 0;
    Finding mark;
    if (utf16_mark(s_, mark)) {
        ++counts_[kUtf16];
        findings_.push_back(mark);
        check_utf8_ = false; // every byte would be told
        i = 2;
    } else if (s_.substr(0, 3) == "\xEF\xBB\xBF") {
        i = 3; // the UTF-8 byte order mark
    }
    while (i < n_) {
        i = data(i);
        if (i < n_) i = tag(i);
    }
    for (const Named &e : open_) {
        if (!shown(kNotClosed)) break;
        add(e.at, "element " + quoted(e.name) + " is not closed at the end of the input");
    }
    counts_[kNotClosed] = std::max(counts_[kNotClosed], open_.size());

    StrictReport report;
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const Finding &x, const Finding &y) { return x.offset < y.offset; });
    report.findings = std::move(findings_);
    if (top_elements_ == 0) report.findings.push_back({0, false, "no top-level element"});
    for (int k = 0; k < kKinds; ++k)
        if (counts_[k] > StrictReport::kShown)
            report.more.push_back(std::to_string(counts_[k] - StrictReport::kShown) + " more " + kPlural[k]);
    return report;
}

} // namespace

bool utf16_mark(std::string_view text, Finding &finding) {
    if (text.substr(0, 2) != "\xFF\xFE" && text.substr(0, 2) != "\xFE\xFF") return false;
    finding = {0, true, "UTF-16 byte order mark: the parser reads single bytes, not UTF-16 text"};
    return true;
}

StrictReport strict_scan(std::string_view text) { return Scanner(text).run(); }

} // namespace velkxml
