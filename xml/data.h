// Reading element data and adding simple children (an element holding one
// text node). Texts are read and stored raw; escaping belongs to the writer.
#pragma once

#include <string_view>

#include "xml/node.h"

namespace velk::xml {

// The node's stored tag text of any kind; "" for null.
std::string_view node_tag(const XmlNode *node) noexcept;
// The text of the node's data child; "" when there is none.
std::string_view child_data(const XmlNode *node) noexcept;
// The data of the first element with that tag one level below the node,
// searched along the creation chain.
std::string_view extract_simple_child_data(XmlNode *node, std::string_view tag) noexcept;
// The data of the first element with that tag from the node on, at any
// depth, along the creation chain.
std::string_view child_tag_data(XmlNode *node, std::string_view tag) noexcept;

// Appends an element with the trimmed tag, holding one text node with the
// data, as the parent's last child; the two nodes are on no creation chain.
// Null, with the tree unchanged, for a blank tag, a null parent, or when any
// block cannot be had.
XmlNode *add_simple_child(XmlNode *parent, std::string_view tag, std::string_view data) noexcept;

} // namespace velk::xml
