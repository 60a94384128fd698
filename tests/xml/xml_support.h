// Helpers for the XML suites: parsing as a caller does, reading records, and
// a plain dump of a tree for comparisons.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "support.h"
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

// Every field of every node reached through the tree links from root and its
// siblings, one line per node, indented by tree level; texts pass through
// `text` first (identity, or the writer's normalisation).
inline std::string dump(
    velk_handle root, const std::function<std::string(std::string)> &text = [](std::string s) { return s; }) {
    std::string out;
    std::function<void(const XmlNode *, int)> walk = [&](const XmlNode *n, int level) {
        for (; n; n = n->nextSibling) {
            out += std::string(level, ' ') + std::to_string(n->nodeType) + " d" + std::to_string(n->depth) +
                   " c" + std::to_string(n->closed) + " [" + text(str(n->tag)) + "]";
            // A body that normalises to nothing is written as no body.
            std::string body = text(str(n->comment));
            if (!body.empty()) out += " {" + body + "}";
            for (const XmlAttrib *a = n->attribs; a; a = a->next)
                out += std::string(" ") + a->quote + text(str(a->name)) + "=" + text(str(a->value));
            out += "\n";
            walk(n->firstChild, level + 1);
        }
    };
    walk(node_of(root), 0);
    return out;
}

} // namespace velk_test
