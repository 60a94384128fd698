// One dump of an XML tree, shared by the test suites and the fuzz targets:
// every field of every node reached through the tree links from root and its
// following siblings, in document order, one line per node indented by its
// level in the tree:
//
//   TYPE dDEPTH cCLOSED [TAG] {COMMENT BODY} 'NAME=VALUE ...
//
// A comment body is shown when there is one. Texts pass through `text` first
// (none: as stored; or the writer's line-end normalisation). The walk keeps
// no call stack, so deeply nested inputs are dumped as well.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "xml/node.h"

namespace velk_test {

using TextMap = std::function<std::string(std::string)>;

// Elements only leaves out text, comment and instruction nodes (their
// children are still visited).
inline std::string dump(std::uintptr_t root, const TextMap &text = {}, bool elements_only = false) {
    using velk::xml::XmlAttrib;
    using velk::xml::XmlNode;
    auto put = [&](const char *stored) {
        std::string s = stored ? stored : "";
        return text ? text(std::move(s)) : s;
    };
    std::string out;
    std::vector<const XmlNode *> open; // the nodes whose children are being dumped
    for (const XmlNode *node = velk::xml::as_node(root); node || !open.empty();) {
        if (!node) { // a sibling chain ended: on with the next sibling of its parent
            node = open.back()->nextSibling;
            open.pop_back();
            continue;
        }
        if (!elements_only || node->nodeType == velk::xml::kElement) {
            out += std::string(open.size(), ' ') + std::to_string(node->nodeType) + " d" +
                   std::to_string(node->depth) + " c" + std::to_string(node->closed) + " [" + put(node->tag) +
                   "]";
            // A body that maps to nothing is shown as no body.
            std::string body = put(node->comment);
            if (!body.empty()) out += " {" + body + "}";
            for (const XmlAttrib *a = node->attribs; a; a = a->next)
                out += std::string(" ") + a->quote + put(a->name) + "=" + put(a->value);
            out += "\n";
        }
        if (node->firstChild) {
            open.push_back(node);
            node = node->firstChild;
        } else {
            node = node->nextSibling;
        }
    }
    return out;
}

} // namespace velk_test
