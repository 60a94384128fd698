// What XML forbids and the library's parser accepts, found by one light pass
// over the bytes of a text that the parser has read without an error. The
// pass reads tags, attribute values and comments the way the parser does, so
// that both see the same markup, and keeps a stack of open elements (on the
// heap; depth costs no call stack).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velkxml {

struct Finding {
    std::size_t offset = 0; // the byte it is about
    bool placed = true;     // false for a finding about the whole text
    std::string text;
};

struct StrictReport {
    // Placed findings by offset, then the others; at most kShown of a kind.
    std::vector<Finding> findings;
    // For each kind with more than kShown findings: "N more ..." .
    std::vector<std::string> more;
    bool clean() const { return findings.empty(); }

    static constexpr std::size_t kShown = 10;
};

StrictReport strict_scan(std::string_view text);

// Whether the text begins with a UTF-16 byte order mark, and the finding
// that says so.
bool utf16_mark(std::string_view text, Finding &finding);

} // namespace velkxml
