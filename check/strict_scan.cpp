#include "check/strict_scan.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

#include "check/doctype.h"
#include "check/namespaces.h"
#include "check/xml_chars.h"
#include "check/xml_declaration.h"
#include "xml/lexing.h"

namespace velk::check {

namespace {

namespace lex = velk::xml::lex;

enum Kind {
    kChar,
    kReference,
    kCharReference,
    kEntityReference,
    kCdata,
    kLtInValue,
    kCdataEnd,
    kRepeated,
    kName,
    kNamespace,
    kOther,
    kKinds
};

// How the count of findings beyond those shown is told, by kind.
constexpr std::array<const char *, kKinds> kPlural = {
    "characters that XML does not allow",
    "faulty references",
    "character references",
    "references to entities of the set-aside declaration",
    "CDATA sections",
    "'<' in attribute values",
    "']]>' in text",
    "repeated attributes",
    "names that are not XML names",
    "namespace faults",
    "other findings",
};

std::string code_point(std::uint32_t cp) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(cp));
    return text;
}

// Character classes of the bytes in text and in attribute values: what can
// pass without a second look.
enum ByteClass : unsigned char { kPlain, kStop, kAmp, kBracket, kControl, kHigh };
constexpr std::array<ByteClass, 256> make_classes() {
    std::array<ByteClass, 256> t{};
    for (int c = 0; c < 32; ++c)
        t[c] = kControl;
    t['\t'] = t['\n'] = t['\r'] = kPlain;
    t['<'] = kStop;
    t['&'] = kAmp;
    t[']'] = kBracket;
    for (int c = 0x80; c < 256; ++c)
        t[c] = kHigh;
    return t;
}
constexpr std::array<ByteClass, 256> kClasses = make_classes();

class Scanner {
  public:
    Scanner(std::string_view text, ScanObserver *observer, ScanContext context)
        : s_(text), n_(text.size()), observer_(observer), context_(context) {}
    StrictReport run();

  private:
    struct Open {
        std::string_view name;
        std::size_t at;
        std::size_t bindings; // namespace bindings in scope before it
    };

    unsigned char at(std::size_t i) const { return static_cast<unsigned char>(s_[i]); }
    bool shown(Kind kind) { return ++counts_[kind] <= StrictReport::kShown; }
    void add(Kind kind, std::size_t offset, std::string text, bool limit = false) {
        if (shown(kind)) findings_.push_back({offset, true, limit, std::move(text)});
    }
    // A finding after which the text cannot be read on: the scan ends.
    std::size_t stop(std::size_t offset, std::string text, bool limit = false) {
        findings_.push_back({offset, true, limit, std::move(text)});
        stopped_ = true;
        return n_;
    }

    std::size_t character(std::size_t i);
    std::size_t reference(std::size_t amp);
    std::size_t data(std::size_t i);
    std::size_t markup(std::size_t lt);
    std::size_t comment(std::size_t lt);
    std::size_t instruction(std::size_t lt);
    std::size_t cdata(std::size_t lt);
    std::size_t doctype(std::size_t lt);
    std::size_t start_tag(std::size_t lt);
    std::size_t end_tag(std::size_t lt);
    std::size_t attribute_value(std::size_t quote_at, std::size_t *end);
    bool chars_in(std::size_t from, std::size_t to);
    void check_name(std::size_t at, std::string_view name, const char *what);
    void repeated_attributes(std::string_view element);

    std::string_view s_;
    std::size_t n_;
    ScanObserver *observer_;
    ScanContext context_;
    bool stopped_ = false;
    bool root_seen_ = false;
    std::vector<Open> open_;         // elements open here, outermost first
    std::vector<Attribute> attribs_; // attributes of the start tag in hand
    Namespaces namespaces_;
    std::array<std::size_t, kKinds> counts_{};
    std::vector<Finding> findings_;
};

// One character from i on, checked; the index after it.
std::size_t Scanner::character(std::size_t i) {
    std::size_t length;
    const std::uint32_t cp = chars::decode(s_, i, &length);
    if (length == 0) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", at(i));
        add(kChar, i, std::string("text that is not UTF-8 (byte ") + hex + ")");
        return i + 1;
    }
    if (!chars::is_char(cp)) add(kChar, i, "character " + code_point(cp) + " is not allowed in XML");
    return i + length;
}

// Checks the characters from one index to another; false when one failed.
bool Scanner::chars_in(std::size_t from, std::size_t to) {
    const std::size_t before = counts_[kChar];
    for (std::size_t i = from; i < to;)
        i = at(i) >= 0x20 && at(i) < 0x80 ? i + 1 : character(i);
    return counts_[kChar] == before;
}

void Scanner::check_name(std::size_t at, std::string_view name, const char *what) {
    if (!chars::is_name(name)) add(kName, at, std::string(what) + " " + quoted(name) + " is not an XML name");
}

// An "&" in character data or an attribute value; the index after the
// reference, or after the "&" when it begins none.
std::size_t Scanner::reference(std::size_t amp) {
    std::size_t k = amp + 1;
    if (k < n_ && s_[k] == '#') {
        const bool hex = k + 1 < n_ && s_[k + 1] == 'x';
        const std::size_t digits = k + (hex ? 2 : 1);
        std::uint32_t value = 0;
        for (k = digits; k < n_; ++k) {
            const unsigned c = at(k);
            if (!(hex ? chars::is_hex_digit(c) : chars::is_digit(c))) break;
            const unsigned d = chars::is_digit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
            value = value > 0x10FFFF ? value : value * (hex ? 16 : 10) + d;
        }
        if (k == digits || k >= n_ || s_[k] != ';') {
            add(kReference, amp, "character reference that is not '&#DIGITS;' or '&#xHEX;'");
            return amp + 1;
        }
        const std::string_view ref = s_.substr(amp, k + 1 - amp);
        if (!chars::is_char(value) || value > 0x10FFFF)
            add(kReference, amp, "character reference " + quoted(ref) + " is to no XML character");
        else
            add(kCharReference, amp,
                "character references are not read: the parser keeps " + quoted(ref) +
                    " as literal text (and writes it back as " +
                    quoted("&amp;" + std::string(ref.substr(1))) + ")",
                true);
        return k + 1;
    }
    while (k < n_ && k - amp <= 64 && at(k) != ';' && at(k) != '<' && at(k) != '&' && !chars::is_space(at(k)))
        ++k;
    if (k >= n_ || s_[k] != ';' || k == amp + 1) {
        add(kReference, amp, "'&' that begins no reference (XML writes it '&amp;')");
        return amp + 1;
    }
    const std::string_view name = s_.substr(amp + 1, k - amp - 1);
    std::size_t length = 0;
    if (lex::entity(s_.substr(amp + 1), &length) && length == name.size() + 1) return k + 1;
    if (!chars::is_name(name))
        add(kReference, amp, "'&' that begins no reference (XML writes it '&amp;')");
    else if (context_.doctype_set_aside)
        add(kEntityReference, amp,
            "entity " + quoted(name) +
                " is not read: the document type declaration that may declare it is set aside (the parser "
                "keeps " +
                quoted("&" + std::string(name) + ";") + " as literal text)",
            true);
    else
        add(kReference, amp,
            "entity " + quoted(name) +
                " is not declared: a document without a document type declaration has only amp, lt, gt, "
                "quot and apos (the parser keeps " +
                quoted("&" + std::string(name) + ";") + " as literal text)");
    return k + 1;
}

// Character data from i to the next "<"; the index of that "<", or the end.
std::size_t Scanner::data(std::size_t i) {
    const std::size_t start = i;
    const bool outside = open_.empty();
    while (i < n_) {
        const unsigned char c = at(i);
        if (outside) {
            if (c == '<') break;
            if (!chars::is_space(c)) {
                add(kOther, i,
                    root_seen_ ? "text after the top-level element" : "text before the top-level element");
                while (i < n_ && s_[i] != '<')
                    ++i;
                break;
            }
            ++i;
            continue;
        }
        switch (kClasses[c]) {
        case kPlain:
            ++i;
            continue;
        case kStop:
            break;
        case kAmp:
            i = reference(i);
            continue;
        case kBracket:
            if (s_.substr(i, 3) == "]]>") add(kCdataEnd, i, "']]>' in text (XML writes it ']]&gt;')");
            ++i;
            continue;
        case kControl:
        case kHigh:
            i = character(i);
            continue;
        }
        break;
    }
    if (!outside && i > start && observer_) observer_->text(s_.substr(start, i - start));
    return i;
}

std::size_t Scanner::markup(std::size_t lt) {
    const std::string_view rest = s_.substr(lt);
    if (rest.substr(0, 4) == "<!--") return comment(lt);
    if (rest.substr(0, 2) == "<?") return instruction(lt);
    if (rest.substr(0, 9) == "<![CDATA[") return cdata(lt);
    if (rest.substr(0, 9) == "<!DOCTYPE") return doctype(lt);
    if (rest.substr(0, 2) == "<!")
        return stop(lt, "'<!' that begins no comment or CDATA section (XML writes '<' in text as '&lt;')");
    if (rest.substr(0, 2) == "</") return end_tag(lt);
    return start_tag(lt);
}

std::size_t Scanner::comment(std::size_t lt) {
    const std::size_t body = lt + 4;
    const std::size_t dashes = s_.find("--", body);
    if (dashes == std::string_view::npos) return stop(lt, "the input ends inside this comment");
    if (dashes + 2 >= n_ || s_[dashes + 2] != '>') {
        add(kOther, dashes,
            "'--' inside a comment (XML ends a comment at its first '--', which '>' must follow)");
        const std::size_t end = lex::comment_end(s_.data(), n_, body);
        return end < n_ ? end + 1 : stop(lt, "the input ends inside this comment");
    }
    const std::size_t gt = dashes + 2;
    if (lex::comment_end(s_.data(), n_, body) != gt)
        return stop(lt,
                    "comment that begins '<!-->' or '<!--->': the parser ends it at that '>', XML at the "
                    "next '-->'",
                    true);
    chars_in(body, dashes);
    if (observer_) observer_->comment(s_.substr(body, dashes - body));
    return gt + 1;
}

std::size_t Scanner::instruction(std::size_t lt) {
    const std::size_t close = s_.find("?>", lt + 2);
    if (close == std::string_view::npos) return stop(lt, "the input ends inside this processing instruction");
    const lex::TagName t = lex::tag_name(s_.data(), n_, lt + 1);
    const std::string_view target = s_.substr(lt + 2, t.name_end > lt + 2 ? t.name_end - lt - 2 : 0);
    if (t.end != lex::NameEnd::blank && t.end != lex::NameEnd::question_gt)
        return stop(lt, "processing instruction without a target name");
    if (target.empty()) return stop(lt, "processing instruction without a target name");
    if (target == "xml") return stop(lt, "XML declaration that is not at the very start of the document");
    if (target.size() == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' &&
        (target[2] | 0x20) == 'l')
        add(kName, lt, "processing instruction target " + quoted(target) + " is reserved");
    check_name(lt + 2, target, "processing instruction target");
    if (target.find(':') != std::string_view::npos)
        add(kNamespace, lt + 2,
            "processing instruction target " + quoted(target) + " holds a ':' (namespaces in XML)");
    chars_in(t.name_end, close);
    if (observer_) observer_->instruction(target);
    std::string why;
    if (!read_pseudo_attributes(s_, t.name_end, close, observer_, &why))
        return stop(t.name_end, "processing instruction data that the parser cannot read: " + why, true);
    return close + 2;
}

std::size_t Scanner::cdata(std::size_t lt) {
    const std::size_t end = s_.find("]]>", lt + 9);
    add(kCdata, lt,
        "CDATA sections are not read: the parser takes '<![CDATA[' for the start of an element, not text",
        true);
    if (end == std::string_view::npos) return stop(lt, "the input ends inside this CDATA section");
    chars_in(lt + 9, end);
    return end + 3;
}

std::size_t Scanner::doctype(std::size_t lt) {
    std::string fault;
    const std::size_t end = doctype_end(s_, lt, &fault);
    if (!fault.empty()) return stop(end, fault);
    // The parser reads "<!DOCTYPE" as a tag name, then the declaration's
    // name as an attribute's: dropped when '>' follows it at once (an element
    // "!DOCTYPE" that holds the rest of the document), refused otherwise.
    const std::size_t name = chars::skip_spaces(s_, lt + 9);
    const std::size_t after = lex::run_end<lex::AttribNameStops>(s_.data(), name, n_);
    return stop(lt,
                std::string("document type declarations are not read: the parser ") +
                    (s_[after] == '>'
                         ? "takes this one for an element '!DOCTYPE' that holds the rest of the document"
                         : "refuses this one"),
                true);
}

std::size_t Scanner::start_tag(std::size_t lt) {
    const lex::TagName t = lex::tag_name(s_.data(), n_, lt + 1);
    if (t.end == lex::NameEnd::unfinished) return stop(lt, "the input ends inside this tag");
    if (t.name_end == lt + 1) return stop(lt, "'<' that begins no tag (XML writes it '&lt;')");
    // The parser's name of "<b//>" is "b": the slashes before the closing
    // one are left out.
    if (t.end == lex::NameEnd::slash_gt && t.name_end != t.at - 1)
        return stop(t.name_end, "'/' in a tag that '>' does not follow");
    const std::string_view name = s_.substr(lt + 1, t.name_end - lt - 1);
    check_name(lt + 1, name, "element name");
    if (open_.empty() && root_seen_)
        add(kOther, lt, "another top-level element " + quoted(name) + " (a document has one)");
    root_seen_ = true;
    if (observer_) observer_->start_tag(name);
    attribs_.clear();
    bool empty = t.end == lex::NameEnd::slash_gt;
    std::size_t k = t.at;
    switch (t.end) {
    case lex::NameEnd::gt:
    case lex::NameEnd::slash_gt:
        break;
    case lex::NameEnd::blank:
        // Attributes, each after a blank: a name, "=" and a quoted value.
        for (;;) {
            const std::size_t blank = k;
            k = chars::skip_spaces(s_, k);
            if (k >= n_) return stop(lt, "the input ends inside this tag");
            const unsigned char c = at(k);
            if (c == '>') break;
            if (c == '/') {
                if (k + 1 < n_ && s_[k + 1] == '>') {
                    empty = true;
                    ++k;
                    break;
                }
                return stop(k, "'/' in a tag that '>' does not follow");
            }
            if (lex::is_blank(c)) return stop(k, "character " + code_point(c) + " is not allowed in XML");
            if (k == blank) return stop(k, "attributes are not separated by a blank");
            const std::size_t a = k;
            k = lex::run_end<lex::AttribNameStops>(s_.data(), k, n_);
            if (k == a) return stop(k, quoted(s_.substr(k, 1)) + " where an attribute name belongs");
            const std::string_view attrib = s_.substr(a, k - a);
            check_name(a, attrib, "attribute name");
            k = chars::skip_spaces(s_, k);
            if (k >= n_ || s_[k] != '=')
                return stop(a, "attribute " + quoted(attrib) + " without '=' and a value");
            k = chars::skip_spaces(s_, k + 1);
            if (k >= n_ || !lex::is_quote(at(k)))
                return stop(k, "the value of attribute " + quoted(attrib) + " is not in quotes");
            std::size_t value;
            k = attribute_value(k, &value);
            if (stopped_) return n_;
            attribs_.push_back({attrib, s_.substr(value, k - value - 1), a});
            if (observer_) observer_->attribute(attrib, attribs_.back().value);
        }
        break;
    case lex::NameEnd::slash_blank:
        return stop(t.at, "'/' in a tag that '>' does not follow");
    default:
        return stop(t.at, quoted(s_.substr(t.at, 1)) + " after the element name " + quoted(name));
    }
    repeated_attributes(name);
    std::string fault;
    const std::size_t bindings = namespaces_.size();
    if (!namespaces_.enter(name, attribs_, &fault)) add(kNamespace, lt, fault + " (namespaces in XML)");
    if (observer_) observer_->start_tag_end(empty);
    if (empty)
        namespaces_.leave(bindings);
    else
        open_.push_back({name, lt, bindings});
    return k + 1;
}

// The value in quotes at quote_at; *start is its first byte. The index after
// the closing quote.
std::size_t Scanner::attribute_value(std::size_t quote_at, std::size_t *start) {
    const char quote = s_[quote_at];
    std::size_t i = *start = quote_at + 1;
    while (i < n_ && s_[i] != quote) {
        const unsigned char c = at(i);
        switch (kClasses[c]) {
        case kPlain:
        case kBracket:
            ++i;
            break;
        case kStop:
            add(kLtInValue, i, "'<' in an attribute value (XML writes it '&lt;')");
            ++i;
            break;
        case kAmp:
            i = reference(i);
            break;
        case kControl:
        case kHigh:
            i = character(i);
            break;
        }
    }
    if (i >= n_) return stop(quote_at, "the input ends inside this attribute value");
    return i + 1;
}

std::size_t Scanner::end_tag(std::size_t lt) {
    const lex::TagName t = lex::tag_name(s_.data(), n_, lt + 1);
    if (t.end == lex::NameEnd::unfinished) return stop(lt, "the input ends inside this tag");
    const std::string_view name = s_.substr(lt + 2, t.name_end - lt - 2);
    std::size_t k = t.at;
    if (t.end == lex::NameEnd::blank) k = chars::skip_spaces(s_, k);
    if (k >= n_) return stop(lt, "the input ends inside this tag");
    if (s_[k] != '>' || (t.end != lex::NameEnd::blank && t.end != lex::NameEnd::gt))
        return stop(k, quoted(s_.substr(k, 1)) + " in the end tag of " + quoted(name));
    if (open_.empty()) return stop(lt, "end tag " + quoted(name) + " with no element open");
    const Open &open = open_.back();
    if (open.name != name)
        return stop(lt, "end tag " + quoted(name) + " where element " + quoted(open.name) + " is open");
    namespaces_.leave(open.bindings);
    open_.pop_back();
    if (observer_) observer_->end_tag(name);
    return k + 1;
}

void Scanner::repeated_attributes(std::string_view element) {
    if (attribs_.size() < 2) return;
    auto tell = [&](const Attribute &a) {
        add(kRepeated, a.at, "attribute " + quoted(a.name) + " given again on element " + quoted(element));
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
    std::vector<Attribute> sorted = attribs_;
    std::sort(sorted.begin(), sorted.end(), [](const Attribute &x, const Attribute &y) {
        return x.name != y.name ? x.name < y.name : x.at < y.at;
    });
    for (std::size_t i = 1; i < sorted.size(); ++i)
        if (sorted[i].name == sorted[i - 1].name) tell(sorted[i]);
}

StrictReport Scanner::run() {
    std::size_t i = 0;
    if (s_.substr(0, 2) == "\xFF\xFE" || s_.substr(0, 2) == "\xFE\xFF") {
        i = stop(0, "UTF-16 is not read: the parser reads single bytes, and refuses this text", true);
    } else {
        if (s_.substr(0, 3) == "\xEF\xBB\xBF") i = 3; // the UTF-8 byte order mark
        if (s_.substr(i, 5) == "<?xml" && i + 5 < n_ && (chars::is_space(at(i + 5)) || s_[i + 5] == '?')) {
            std::string fault;
            bool limit = false;
            const std::size_t end = xml_declaration(s_, i, observer_, &fault, &limit);
            i = fault.empty() ? end : stop(end, fault, limit);
        }
    }
    while (i < n_) {
        i = data(i);
        if (i < n_) i = markup(i);
    }
    if (!stopped_) {
        for (const Open &e : open_) {
            if (!shown(kOther)) break;
            findings_.push_back(
                {e.at, true, false, "element " + quoted(e.name) + " is not closed at the end of the input"});
        }
    }
    StrictReport report;
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const Finding &x, const Finding &y) { return x.offset < y.offset; });
    report.findings = std::move(findings_);
    if (!root_seen_ && !stopped_) report.findings.push_back({0, false, false, "no top-level element"});
    for (int k = 0; k < kKinds; ++k)
        if (counts_[k] > StrictReport::kShown)
            report.more.push_back(std::to_string(counts_[k] - StrictReport::kShown) + " more " + kPlural[k]);
    return report;
}

} // namespace

StrictReport strict_scan(std::string_view text, ScanObserver *observer, ScanContext context) {
    return Scanner(text, observer, context).run();
}

} // namespace velk::check
