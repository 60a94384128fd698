// Shared by the fuzz targets: the library's texts through the plain face,
// and a dump of a tree for comparing two parses.
#pragma once

#include <cstdlib>
#include <string>
#include <string_view>

#include "frame/testing.h"
#include "velk_strings.h"
#include "velk_xml.h"
#include "xml/node.h"

namespace velk_fuzz {

using velk_strings::free_string;
inline velk_bstr bs(std::string_view s) { return velk_strings::make_string(s); }
inline std::string take(velk_bstr s) { return velk_strings::take_string(s); }

inline velk_handle parse(std::string_view text) {
    velk_bstr s = bs(text);
    velk_handle root = xmlParse(&s);
    free_string(s);
    return root;
}

inline std::string str(const char *stored) { return stored ? stored : ""; }

// Every node along the tree links (or its elements only), in document order,
// with its kind, depth, closed mark, texts and attributes. Iterative: inputs
// can nest deeply.
inline std::string dump(velk_handle root, bool elements_only = false) {
    using velk::xml::XmlNode;
    std::string out;
    const XmlNode *node = velk::xml::as_node(root);
    while (node) {
        if (!elements_only || node->nodeType == velk::xml::kElement) {
            out += std::to_string(node->nodeType) + "/" + std::to_string(node->depth) + "/" +
                   std::to_string(node->closed) + "[" + str(node->tag) + "|" + str(node->comment) + "]";
            for (auto *a = node->attribs; a; a = a->next)
                out += " " + str(a->name) + "=" + std::string(1, a->quote) + str(a->value);
            out += "\n";
        }
        if (node->firstChild) {
            node = node->firstChild;
            continue;
        }
        while (node && !node->nextSibling)
            node = node->parent;
        if (node) node = node->nextSibling;
    }
    return out;
}

inline void require(bool ok) {
    if (!ok) std::abort();
}

// Blocks held by the library, counted from the first call on.
inline long live_blocks() {
    velk::testing::count_blocks();
    return velk::testing::live_blocks();
}

} // namespace velk_fuzz
