// Attributes of elements and processing instructions: a chain of XmlAttrib
// records in insertion order. Names match after blanks (0x20 only) are
// removed at both ends, byte for byte and case-sensitively.
#pragma once

#include <cstdint>
#include <string_view>

#include "frame/text.h"
#include "xml/node.h"

namespace velk::xml {

// The first attribute whose name matches; nameless records are skipped.
XmlAttrib *find_attrib(const XmlNode *node, std::string_view wanted) noexcept;
std::int32_t attrib_count(const XmlNode *node) noexcept;
// The name at a position counted from 1, trimmed; "" outside the chain.
std::string_view attrib_name(const XmlNode *node, std::int32_t position) noexcept;
// The value of the first match, exactly as stored; "" when none matches.
std::string_view attrib_value(const XmlNode *node, std::string_view wanted) noexcept;

// Replaces the value of the first match (its place and quote stay) or
// appends a new attribute written with double quotes. False, with the node
// unchanged, for a blank name or when memory runs out.
bool set_attrib(XmlNode *node, std::string_view name, std::string_view value) noexcept;

} // namespace velk::xml
