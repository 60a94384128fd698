#include "document_maker.h"

#include <cstdint>
#include <string_view>

namespace velk_fuzz {

namespace {

constexpr std::size_t kMaxDepth = 40;
constexpr int kMaxItems = 400;

// Name characters of every edition of XML, as UTF-8, but the colon, which
// only joins a declared prefix to a name (qualified()). No target made of
// them spells "xml" in any case (no "m"), which instructions may not be named.
constexpr std::string_view kNameStarts[] = {"a", "b", "x", "Z", "_", "\xC3\xA9", "\xCE\xB1", "\xE4\xB8\xAD"};
constexpr std::string_view kNameChars[] = {
    "a", "q", "Z", "0", "9", "-", ".", "_", "\xC3\xA9", "\xCE\xB1", "\xE4\xB8\xAD", "\xC2\xB7"};
constexpr std::string_view kBlanks[] = {" ", "\t", "\n", "\r", "\r\n"};
constexpr std::string_view kWords[] = {"x", "Sea", "12.50", "a b", "MIXED case"};
constexpr std::string_view kEntities[] = {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"};
// Delimiters that character data may hold as they are ('>' and ']' apart).
constexpr std::string_view kTextMarks[] = {"'", "\"", "=", "/", "?", "!", "-", ";", "#", "%"};
// Those an attribute value may hold, in an instruction's data too (no "?").
constexpr std::string_view kValueMarks[] = {"=", "/", "!", "-", ";", "#", ">"};
// The pieces of character data and of attribute values, in the order the
// bytes choose them: ']' and '>' are text's, the other quote a value's.
enum Piece { kBlank, kEntity, kNonAscii, kBracket, kGreater, kOtherQuote, kMark, kWord };
constexpr Piece kTextPieces[] = {kBlank, kEntity, kNonAscii, kBracket, kGreater, kMark, kWord};
constexpr Piece kValuePieces[] = {kBlank, kEntity, kNonAscii, kOtherQuote, kMark, kWord};
constexpr std::string_view kEncodings[] = {"UTF-8", "utf-8", "Utf-8"};
constexpr std::string_view kDelimiters = "<>/?!-=\"'&;[] \r\n";

template <typename T, std::size_t N> T pick(FuzzedDataProvider &in, const T (&from)[N]) {
    return from[in.ConsumeIntegralInRange<std::size_t>(0, N - 1)];
}

void put_utf8(std::string &out, std::uint32_t c) {
    if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    }
    out += static_cast<char>(0x80 | (c & 0x3F));
}

} // namespace

std::string DocumentMaker::name() {
    std::string name(pick(in_, kNameStarts));
    for (int n = in_.ConsumeIntegralInRange(0, 4); n > 0; --n)
        name += pick(in_, kNameChars);
    return name;
}

std::string DocumentMaker::qualified() {
    return prefix_declared_ && in_.ConsumeIntegralInRange(0, 3) == 0 ? "p:" + name() : name();
}

void DocumentMaker::blanks(bool at_least_one) {
    for (int n = in_.ConsumeIntegralInRange(at_least_one ? 1 : 0, 2); n > 0; --n)
        out_ += pick(in_, kBlanks);
}

void DocumentMaker::equals() {
    blanks(false);
    out_ += '=';
    blanks(false);
}

void DocumentMaker::non_ascii() {
    std::uint32_t c;
    switch (in_.ConsumeIntegralInRange(0, 2)) {
    case 0:
        c = in_.ConsumeIntegralInRange<std::uint32_t>(0x80, 0x7FF);
        break;
    case 1: // without the surrogates, U+FFFE and U+FFFF
        c = in_.ConsumeIntegralInRange<std::uint32_t>(0x800, 0xFFFD);
        if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
        break;
    default:
        c = in_.ConsumeIntegralInRange<std::uint32_t>(0x10000, 0x10FFFF);
    }
    put_utf8(out_, c);
}

void DocumentMaker::characters(char quote) {
    const bool text = quote == 0;
    for (int n = in_.ConsumeIntegralInRange(text ? 1 : 0, text ? 6 : 4); n > 0; --n) {
        switch (text ? pick(in_, kTextPieces) : pick(in_, kValuePieces)) {
        case kBlank:
            out_ += pick(in_, kBlanks);
            break;
        case kEntity:
            out_ += pick(in_, kEntities);
            break;
        case kNonAscii:
            non_ascii();
            break;
        case kBracket:
            out_ += ']';
            break;
        case kGreater: // never "]]>"
            if (out_.size() >= 2 && out_.compare(out_.size() - 2, 2, "]]") == 0) out_ += ' ';
            out_ += '>';
            break;
        case kOtherQuote:
            out_ += quote == '"' ? '\'' : '"';
            break;
        case kMark:
            out_ += text ? pick(in_, kTextMarks) : pick(in_, kValueMarks);
            break;
        case kWord:
            out_ += pick(in_, kWords);
        }
    }
}

void DocumentMaker::comment() {
    out_ += "<!--";
    const std::size_t body = out_.size();
    for (int n = in_.ConsumeIntegralInRange(0, 5); n > 0; --n) {
        switch (in_.ConsumeIntegralInRange(0, 4)) {
        case 0:
            out_ += pick(in_, kBlanks);
            break;
        case 1:
            non_ascii();
            break;
        case 2: // never "--"
            if (out_.size() == body || out_.back() != '-') out_ += '-';
            break;
        case 3:
            out_ += in_.PickValueInArray({'<', '>', '&', '!'});
            break;
        default:
            out_ += pick(in_, kWords);
        }
    }
    if (out_.size() > body && out_.back() == '-') out_ += 'x'; // the body never ends in "-"
    out_ += "-->";
}

void DocumentMaker::instruction() {
    out_ += "<?" + name();
    // Mostly data that the parser reads (name="value" pairs or none): other
    // data is refused by a limit, for the whole document.
    switch (in_.ConsumeIntegralInRange(0, 5)) {
    case 0:
    case 1:
    case 2: // name="value" pairs
        for (int n = in_.ConsumeIntegralInRange(1, 3); n > 0; --n) {
            blanks(true);
            out_ += name();
            equals();
            char quote = in_.ConsumeBool() ? '"' : '\'';
            out_ += quote;
            characters(quote);
            out_ += quote;
        }
        blanks(false);
        break;
    case 3: // other data, with no "?"
        blanks(true);
        for (int n = in_.ConsumeIntegralInRange(1, 4); n > 0; --n) {
            if (in_.ConsumeBool())
                out_ += pick(in_, kWords);
            else
                out_ += in_.PickValueInArray({"<", ">", "&", "=", " ", "\""});
        }
        break;
    default: // no data
        blanks(false);
    }
    out_ += "?>";
}

void DocumentMaker::declaration() {
    auto pseudo_attribute = [this](std::string_view name, std::string_view value) {
        blanks(true);
        out_ += name;
        equals();
        char quote = in_.ConsumeBool() ? '"' : '\'';
        out_ += quote;
        out_ += value;
        out_ += quote;
    };
    out_ += "<?xml";
    pseudo_attribute("version", "1.0");
    if (in_.ConsumeBool()) pseudo_attribute("encoding", pick(in_, kEncodings));
    if (in_.ConsumeBool()) pseudo_attribute("standalone", in_.ConsumeBool() ? "yes" : "no");
    blanks(false);
    out_ += "?>";
}

void DocumentMaker::misc() {
    for (int n = in_.ConsumeIntegralInRange(0, 3); n > 0; --n) {
        switch (in_.ConsumeIntegralInRange(0, 2)) {
        case 0:
            comment();
            break;
        case 1:
            instruction();
            break;
        default:
            blanks(true);
        }
    }
}

bool DocumentMaker::start_tag(std::string *tag, bool top) {
    // The top-level element may declare the prefix "p", which its own name,
    // the names below it and their attributes may then use.
    const bool declares = top && in_.ConsumeBool();
    prefix_declared_ = prefix_declared_ || declares;
    *tag = qualified();
    out_ += "<" + *tag;
    if (declares) {
        blanks(true);
        out_ += "xmlns:p=\"urn:p\"";
    }
    std::vector<std::string> names;
    for (int n = in_.ConsumeIntegralInRange(0, 4); n > 0; --n) {
        std::string attribute = qualified();
        bool repeated = false;
        for (const std::string &seen : names)
            repeated = repeated || seen == attribute;
        if (repeated) continue;
        blanks(true);
        out_ += attribute;
        equals();
        char quote = in_.ConsumeBool() ? '"' : '\'';
        out_ += quote;
        characters(quote);
        out_ += quote;
        names.push_back(std::move(attribute));
    }
    blanks(false);
    bool open = !in_.ConsumeBool();
    out_ += open ? ">" : "/>";
    return open;
}

std::string DocumentMaker::document() {
    out_.clear();
    if (in_.ConsumeIntegralInRange(0, 7) == 0) out_ += "\xEF\xBB\xBF";
    if (in_.ConsumeBool()) declaration();
    misc();
    std::vector<std::string> open; // the elements not ended yet, innermost last
    std::string tag;
    prefix_declared_ = false;
    if (start_tag(&tag, true)) open.push_back(tag);
    // Bytes that run out read as 0: the innermost element ends.
    for (int items = 0; !open.empty(); ++items) {
        switch (items < kMaxItems ? in_.ConsumeIntegralInRange(0, 5) : 0) {
        case 0:
            out_ += "</" + open.back();
            blanks(false);
            out_ += ">";
            open.pop_back();
            break;
        case 1:
            if (open.size() < kMaxDepth && start_tag(&tag, false)) open.push_back(tag);
            break;
        case 2:
            characters(0);
            break;
        case 3:
            comment();
            break;
        case 4:
            instruction();
            break;
        default:
            blanks(true);
        }
    }
    misc();
    return std::move(out_);
}

void mutate(FuzzedDataProvider &in, std::string *document, int changes) {
    for (; changes > 0 && !document->empty(); --changes) {
        std::size_t at = in.ConsumeIntegralInRange<std::size_t>(0, document->size() - 1);
        char delimiter = kDelimiters[in.ConsumeIntegralInRange<std::size_t>(0, kDelimiters.size() - 1)];
        switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0:
            document->erase(at, 1);
            break;
        case 1:
            document->insert(at, 1, (*document)[at]);
            break;
        case 2:
            document->insert(at, 1, in.ConsumeBool() ? delimiter : in.ConsumeIntegral<char>());
            break;
        default: { // the first delimiter from there on becomes the one chosen
            std::size_t found = document->find_first_of(kDelimiters, at);
            if (found != std::string::npos) (*document)[found] = delimiter;
        }
        }
    }
}

} // namespace velk_fuzz
