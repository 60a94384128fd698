// Searches over an XML tree. Two ways of reaching nodes: find_node walks the
// creation chain of one parse (document order), the other searches follow
// the tree links, so they also reach nodes linked in after parsing.
#pragma once

#include <cstdint>
#include <string_view>

#include "xml/node.h"

namespace velk::xml {

// An element whose stored tag equals tag exactly and, when attr_name is not
// empty, whose value for that attribute equals attr_value ("" also matches
// an element without the attribute).
bool element_matches(const XmlNode *node, std::string_view tag, std::string_view attr_name,
                     std::string_view attr_value) noexcept;

// From start along the creation chain to its end, skipping nodes shallower
// than start; depth -1 means any depth, otherwise the stored depth must equal
// it. start itself is the first candidate.
XmlNode *find_node(XmlNode *start, std::int32_t depth, std::string_view tag, std::string_view attr_name,
                   std::string_view attr_value) noexcept;

// Along the tree links: the node, its subtree, then each following sibling
// with its subtree. A node deeper than depth (unless -1) ends the search of
// its sibling chain. Keeps its own stack, so tree depth costs no call stack;
// may throw std::bad_alloc.
XmlNode *find_node_recursive(XmlNode *node, std::int32_t depth, std::string_view tag,
                             std::string_view attr_name, std::string_view attr_value);

// The first element child whose stored tag equals the trimmed tag.
XmlNode *find_child(const XmlNode *parent, std::string_view tag) noexcept;
// The first child of any kind whose trimmed stored tag equals the trimmed
// tag and whose value for attr_name equals attr_value.
XmlNode *find_specific_child(const XmlNode *parent, std::string_view tag, std::string_view attr_name,
                             std::string_view attr_value) noexcept;

// The first text node met descending from the node's first child along
// first-child links; null when there is none.
XmlNode *find_data_child(const XmlNode *node) noexcept;

} // namespace velk::xml
