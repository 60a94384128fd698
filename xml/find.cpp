#include "xml/find.h"

#include <vector>

#include "xml/attrib.h"

namespace velk::xml {

bool element_matches(const XmlNode *node, std::string_view tag, std::string_view attr_name,
                     std::string_view attr_value) noexcept {
    if (node->nodeType != kElement || !node->tag || tag_of(node) != tag) return false;
    return attr_name.empty() || attrib_value(node, attr_name) == attr_value;
}

XmlNode *find_node(XmlNode *start, std::int32_t depth, std::string_view tag, std::string_view attr_name,
                   std::string_view attr_value) noexcept {
    if (!start) return nullptr;
    const std::int32_t floor = start->depth;
    for (XmlNode *n = start; n; n = n->docNext) {
        if ((depth == -1 || depth == n->depth) && n->depth >= floor &&
            element_matches(n, tag, attr_name, attr_value))
            return n;
    }
    return nullptr;
}

XmlNode *find_node_recursive(XmlNode *node, std::int32_t depth, std::string_view tag,
                             std::string_view attr_name, std::string_view attr_value) {
    // Each entry is a sibling chain still to be searched once the subtree
    // being searched now is done; only chains that exist are kept.
    std::vector<XmlNode *> pending;
    for (;;) {
        if (!node || (depth != -1 && node->depth > depth)) {
            if (pending.empty()) return nullptr;
            node = pending.back();
            pending.pop_back();
            continue;
        }
        if ((depth == -1 || depth == node->depth) && element_matches(node, tag, attr_name, attr_value))
            return node;
        if ((depth == -1 || node->depth < depth) && node->firstChild) {
            if (node->nextSibling) pending.push_back(node->nextSibling);
            node = node->firstChild;
        } else {
            node = node->nextSibling;
        }
    }
}

XmlNode *find_child(const XmlNode *parent, std::string_view tag) noexcept {
    if (!parent) return nullptr;
    tag = trim_blanks(tag);
    for (XmlNode *c = parent->firstChild; c; c = c->nextSibling)
        if (c->nodeType == kElement && tag_of(c) == tag) return c;
    return nullptr;
}

XmlNode *find_specific_child(const XmlNode *parent, std::string_view tag, std::string_view attr_name,
                             std::string_view attr_value) noexcept {
    if (!parent) return nullptr;
    tag = trim_blanks(tag);
    for (XmlNode *c = parent->firstChild; c; c = c->nextSibling)
        if (c->tag && trim_blanks(tag_of(c)) == tag && attrib_value(c, attr_name) == attr_value) return c;
    return nullptr;
}

XmlNode *find_data_child(const XmlNode *node) noexcept {
    if (!node) return nullptr;
    for (XmlNode *c = node->firstChild; c; c = c->firstChild)
        if (c->nodeType == kText) return c;
    return nullptr;
}

} // namespace velk::xml
