#include "check/doctype.h"

#include "check/xml_chars.h"

namespace velk::check {

namespace {

bool at_space(std::string_view s, std::size_t i) {
    return i < s.size() && chars::is_space(static_cast<unsigned char>(s[i]));
}

// A quoted literal at i: the index after its closing quote, or npos.
std::size_t literal_end(std::string_view s, std::size_t i) {
    if (i >= s.size() || (s[i] != '"' && s[i] != '\'')) return std::string_view::npos;
    const std::size_t close = s.find(s[i], i + 1);
    return close == std::string_view::npos ? close : close + 1;
}

// The internal subset from i (after its '['): the index of the ']' that ends
// it, or npos when the input ends first.
std::size_t subset_end(std::string_view s, std::size_t i) {
    while (i < s.size()) {
        const char c = s[i];
        std::size_t next = i + 1;
        if (c == ']') return i;
        if (c == '"' || c == '\'')
            next = literal_end(s, i);
        else if (s.compare(i, 4, "<!--") == 0)
            next = s.find("-->", i + 4) + 3;
        else if (s.compare(i, 2, "<?") == 0)
            next = s.find("?>", i + 2) + 2;
        if (next == std::string_view::npos || next < i) return std::string_view::npos;
        i = next;
    }
    return std::string_view::npos;
}

} // namespace

std::size_t doctype_end(std::string_view s, std::size_t lt, std::string *fault) {
    const std::size_t n = s.size();
    std::size_t k = lt + 9;
    if (!at_space(s, k)) {
        *fault = "a blank must follow '<!DOCTYPE'";
        return k;
    }
    k = chars::skip_spaces(s, k);
    const std::size_t name = k;
    while (k < n && !at_space(s, k) && s[k] != '>' && s[k] != '[')
        ++k;
    if (!chars::is_name(s.substr(name, k - name))) {
        *fault = "the document type declaration names no XML name";
        return name;
    }
    std::size_t next = chars::skip_spaces(s, k);
    const bool system = s.compare(next, 6, "SYSTEM") == 0, pub = s.compare(next, 6, "PUBLIC") == 0;
    if (next > k && (system || pub)) {
        k = next + 6;
        for (int literal = 0; literal < (pub ? 2 : 1); ++literal) {
            const std::size_t end = at_space(s, k) ? literal_end(s, chars::skip_spaces(s, k)) : k;
            if (end == k || end == std::string_view::npos) {
                *fault = std::string("'") + (pub ? "PUBLIC" : "SYSTEM") + "' must be followed by " +
                         (pub ? "two quoted identifiers" : "a quoted identifier");
                return next;
            }
            k = end;
        }
        next = chars::skip_spaces(s, k);
    }
    if (next < n && s[next] == '[') {
        const std::size_t close = subset_end(s, next + 1);
        if (close == std::string_view::npos) {
            *fault = "the input ends inside the internal subset of the document type declaration";
            return next;
        }
        next = chars::skip_spaces(s, close + 1);
    }
    if (next >= n || s[next] != '>') {
        *fault = "the document type declaration does not end with '>' here";
        return next;
    }
    return next + 1;
}

} // namespace velk::check
