// Linking and releasing XML nodes.
#pragma once

#include "xml/node.h"

namespace velk::xml {

// Appends child as the last child of parent and gives it parent's depth + 1.
// The child's own links (next sibling, children, chain) are left as they are.
// A null parent does nothing.
void add_child(XmlNode *parent, XmlNode *child) noexcept;

// Releases a chain of attribute records with their texts.
void free_attribs(XmlAttrib *attrib) noexcept;

// Releases every node from this one to the end of its creation chain, with
// its texts and attributes. Tree links are not followed.
void free_chain(XmlNode *node) noexcept;

} // namespace velk::xml
