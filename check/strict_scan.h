// The well-formedness check of an XML document without a document type
// declaration, in one pass over its bytes and without recursion (open
// elements are kept on the heap). It finds what XML 1.0 forbids, and where a
// document is well-formed but the library's parser would read it otherwise
// (a document type declaration, a CDATA section, a character reference, an
// encoding other than UTF-8), it refuses with the reason and what the parser
// would do. Where the two must agree (what ends a name, a comment, a tag),
// the scan asks the parser's own lexing rules (xml/lexing.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velk::check {

struct Finding {
    std::size_t offset = 0; // the byte it is about
    bool placed = true;     // false for a finding about the whole text
    bool limit = false;     // well-formed XML that the library does not read as XML means
    std::string text;
};

struct StrictReport {
    // Findings by offset, then the unplaced one. The scan stops at the first
    // finding that leaves the rest of the text unreadable; a text with no
    // such finding is reported whole, at most kShown findings of a kind.
    std::vector<Finding> findings;
    // For each kind with more than kShown findings: "N more ..." .
    std::vector<std::string> more;
    bool clean() const { return findings.empty(); }
    // Whether there are findings and each is one of the library's limits:
    // well-formed as far as the scan read (it may stop at a limit). Findings
    // beyond those shown are of the kinds shown, each kind a limit or not.
    bool only_limits() const {
        for (const Finding &f : findings)
            if (!f.limit) return false;
        return !findings.empty();
    }

    static constexpr std::size_t kShown = 10;
};

// What the scan of a well-formed text saw, in document order: the markup as
// the parser takes it apart. Values and character data are as written,
// references not undone.
class ScanObserver {
  public:
    virtual ~ScanObserver() = default;
    virtual void start_tag(std::string_view name) = 0;
    virtual void attribute(std::string_view name, std::string_view value) = 0;
    // The start tag is complete; empty for "<name/>", which ends at once.
    virtual void start_tag_end(bool empty) = 0;
    virtual void end_tag(std::string_view name) = 0;
    // Character data inside the top-level element, between two pieces of
    // markup; never empty.
    virtual void text(std::string_view data) = 0;
    virtual void comment(std::string_view body) = 0;
    // A processing instruction, the XML declaration among them; its data,
    // which the parser reads as name="value" pairs, follows as attribute()
    // calls.
    virtual void instruction(std::string_view target) = 0;
};

// What the scan is told of the text beyond its bytes.
struct ScanContext {
    // A document type declaration was taken out of the text before the scan
    // (the tool sets it aside): a reference to an entity other than the five
    // may be to one it declares, and is told as not read, not as a fault.
    bool doctype_set_aside = false;
};

StrictReport strict_scan(std::string_view text, ScanObserver *observer = nullptr, ScanContext context = {});

} // namespace velk::check
