// The indented form of a document that keeps its data: only the white space
// between elements is laid out anew, and every element that holds text keeps
// it byte for byte, so the text reads back as the same document once
// whitespace-only text is left aside.
#pragma once

#include <cstdint>
#include <string>

#include "velk_xml.h"

namespace velkxml {

struct PrettyOptions {
    int indent = 2;   // blanks per level (0: none)
    bool tab = false; // one tab per level instead of blanks
};

// The most bytes of indentation pretty_print() writes: nesting makes the
// indentation grow with the square of the depth, past what memory holds.
constexpr std::uint64_t kMaxIndentation = 0xFFFFFFFEu;

// The document (its first node's handle; the top-level nodes are it and its
// following siblings) as text, with LF line ends and a final LF:
//   - each top-level node on a line of its own;
//   - an element whose children are all text on one line, its text as is:
//     <title>Sea &lt;and&gt; Sky</title>
//   - an element with mixed content (text with more than white space beside
//     other nodes) on one line with its whole subtree, nothing added or left
//     out: <p>Some <b>bold</b> text</p>
//   - otherwise the whitespace-only text children are left out and each
//     other child goes on a line of its own, one level deeper, with the end
//     tag on a line of its own.
// Nodes are written as the library's compact writer writes them (escaped
// texts and attribute values, "<a x=\"1\" />", comment bodies as stored),
// but line breaks inside texts, values and comments are kept as they are.
// The top level follows the same rules. "" for document 0. Throws
// std::length_error, before it writes anything, when the indentation would
// pass kMaxIndentation bytes.
std::string pretty_print(velk_handle document, const PrettyOptions &options);

} // namespace velkxml
