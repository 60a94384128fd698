// Helpers for the XML suites: parsing as a caller does, reading records, and
// (tree_dump.h) a plain dump of a tree for comparisons.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "support.h"
#include "tree_dump.h"
#include "xml/node.h"

namespace velk_test {

using velk::xml::XmlAttrib;
using velk::xml::XmlNode;

inline XmlNode *node_of(velk_handle h) { return velk::xml::as_node(h); }

// xmlParse with the caller's string passed by reference; the string stays
// the caller's and is released here.
inline velk_handle parse(std::string_view text) {
    velk_bstr s = bs(text);
    velk_handle root = xmlParse(&s);
    take(s);
    return root;
}

inline std::string xml_error() { return take(xmlLastError()); }

inline std::string str(const char *stored) { return stored ? std::string(stored) : std::string(); }
inline std::string tag(velk_handle h) { return str(node_of(h)->tag); }

inline std::string tree_text(velk_handle h, int indent = 0) { return take(xmlTreeToString(h, indent)); }
inline std::string node_text(velk_handle h, int indent = 0) { return take(xmlNodeToString(h, indent)); }

// The writer's line-end normalisation, done the plain way: every CR removed,
// then every LF made CR LF.
inline std::string crlf(std::string_view s) {
    std::string no_cr, out;
    for (char c : s)
        if (c != '\r') no_cr += c;
    for (char c : no_cr)
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

} // namespace velk_test
