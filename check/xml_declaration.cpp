#include "check/xml_declaration.h"

#include <vector>

#include "check/xml_chars.h"
#include "xml/lexing.h"

namespace velk::check {

namespace {

namespace lex = velk::xml::lex;

struct Pair {
    std::string_view name, value;
    std::size_t at;
};

// Reads the pairs; false with *why set where the parser would read them
// otherwise than XML does.
bool read_pairs(std::string_view s, std::size_t k, std::size_t close, std::vector<Pair> *pairs,
                std::string *why) {
    const char *p = s.data();
    const std::size_t n = s.size();
    const std::string_view data = s.substr(0, close); // blanks are skipped up to the "?>"
    for (;;) {
        const std::size_t blank = k;
        k = chars::skip_spaces(data, k);
        if (k == close) return true;
        if (k == blank) {
            *why = "a blank must come before each name=\"value\" pair";
            return false;
        }
        const std::size_t a = k;
        k = lex::run_end<lex::AttribNameStops>(p, k, n);
        if (k == a || k > close || !chars::is_name(s.substr(a, k - a))) {
            *why = "it reads an instruction's data as name=\"value\" pairs";
            return false;
        }
        const std::string_view name = s.substr(a, k - a);
        k = chars::skip_spaces(data, k);
        const bool equals = k < close && s[k] == '=';
        k = chars::skip_spaces(data, k + (equals ? 1 : 0));
        if (!equals || k >= close || !lex::is_quote(static_cast<unsigned char>(s[k]))) {
            *why = "it reads an instruction's data as name=\"value\" pairs";
            return false;
        }
        const std::size_t end = s.find(s[k], k + 1);
        if (end == std::string_view::npos || end > close) {
            *why = "a value runs past the '?>' that ends the instruction";
            return false;
        }
        pairs->push_back({name, s.substr(k + 1, end - k - 1), a});
        k = end + 1;
    }
}

bool is_encoding_name(std::string_view name) {
    if (name.empty() || !chars::is_letter(static_cast<unsigned char>(name[0]))) return false;
    for (char c : name)
        if (!chars::is_letter(static_cast<unsigned char>(c)) &&
            !chars::is_digit(static_cast<unsigned char>(c)) && c != '.' && c != '_' && c != '-')
            return false;
    return true;
}

std::string lower_case(std::string_view name) {
    std::string lower;
    for (char c : name)
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return lower;
}

bool all_digits(std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// Encodings in which every ASCII character is its one ASCII byte: US-ASCII,
// ISO-8859-1 to -16 and windows-1250 to -1258. A text of ASCII bytes alone
// reads the same in them as in UTF-8.
bool is_ascii_compatible(std::string_view name) {
    const std::string lower = lower_case(name);
    const std::string_view n = lower;
    if (n == "us-ascii" || n == "ascii") return true;
    if (n.substr(0, 9) == "iso-8859-") { // parts 1 to 16; there is no 12
        const std::string_view part = n.substr(9);
        if (!all_digits(part)) return false;
        return (part.size() == 1 && part != "0") ||
               (part.size() == 2 && part[0] == '1' && part[1] <= '6' && part != "12");
    }
    return n.size() == 12 && n.substr(0, 11) == "windows-125" && n[11] <= '8' && all_digits(n.substr(11));
}

bool ascii_only(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

} // namespace

bool read_pseudo_attributes(std::string_view s, std::size_t from, std::size_t close, ScanObserver *observer,
                            std::string *why) {
    std::vector<Pair> pairs;
    if (!read_pairs(s, from, close, &pairs, why)) return false;
    if (observer)
        for (const Pair &pair : pairs)
            observer->attribute(pair.name, pair.value);
    return true;
}

std::size_t xml_declaration(std::string_view s, std::size_t at, ScanObserver *observer, std::string *fault,
                            bool *limit) {
    const std::size_t close = s.find("?>", at + 5);
    if (close == std::string_view::npos) {
        *fault = "the input ends inside the XML declaration";
        return at;
    }
    std::vector<Pair> pairs;
    std::string why;
    if (!read_pairs(s, at + 5, close, &pairs, &why)) {
        *fault = "XML declaration that is not version, encoding and standalone, each name=\"value\"";
        return at;
    }
    if (observer) {
        observer->instruction("xml");
        for (const Pair &pair : pairs)
            observer->attribute(pair.name, pair.value);
    }
    // version="1.x", then encoding, then standalone: each in its place.
    static constexpr std::string_view kOrder[] = {"version", "encoding", "standalone"};
    std::size_t next = 0;
    for (const Pair &pair : pairs) {
        std::size_t place = next;
        while (place < 3 && pair.name != kOrder[place])
            ++place;
        if (place == 3 || (next == 0 && place != 0)) {
            *fault = next == 0 ? "the XML declaration must begin with its version"
                               : quoted(pair.name) + " where the XML declaration has version, encoding and "
                                                     "standalone, in that order";
            return pair.at;
        }
        next = place + 1;
        const std::string_view v = pair.value;
        if (place == 0 && !(v.size() > 2 && v.substr(0, 2) == "1." &&
                            v.find_first_not_of("0123456789", 2) == std::string_view::npos)) {
            *fault = "version " + quoted(v) + " is not 1.x";
            return pair.at;
        }
        if (place == 1 && !is_encoding_name(v)) {
            *fault = "encoding " + quoted(v) + " is not an encoding name";
            return pair.at;
        }
        if (place == 2 && v != "yes" && v != "no") {
            *fault = "standalone must be 'yes' or 'no'";
            return pair.at;
        }
        if (place == 1 && lower_case(v) != "utf-8" && !(is_ascii_compatible(v) && ascii_only(s))) {
            *fault = "encoding " + quoted(v) +
                     " is not read: the library reads and writes the bytes as they stand, as UTF-8";
            *limit = true;
            return pair.at;
        }
    }
    if (next == 0) {
        *fault = "the XML declaration must begin with its version";
        return at;
    }
    return close + 2;
}

} // namespace velk::check
