// Named lists as XML: the XML list form in both directions, and the
// attributes of a node as a list.
//
//   <list name="NAME">CRLF
//   <listitem name="NAME">DATA</listitem>CRLF     once per entry, in order
//   </list>
//
// Names and data are escaped with the five entities when written; reading
// takes them from a parsed tree, already unescaped.
#pragma once

#include <string_view>

#include "frame/text_buffer.h"
#include "list/node.h"
#include "xml/node.h"

namespace velk::bridge {

// Appends the list form of the list (null: no entries) under the list name
// as given. Throws std::bad_alloc when the text cannot grow.
void write_list_form(TextBuffer &out, const list::ListNode *list, std::string_view list_name);

// A new list from the "listitem" children of the first "list" element found
// from the node on along the creation chain. Later items with a name that
// matches an earlier one replace its data. Null for a null node, when no item
// is found, and when memory runs out (the XML error text says which).
list::ListNode *read_list_form(xml::XmlNode *node);

// A new list of the node's attributes (name, value) in order, merged by name
// as read_list_form merges items. Null when the node has none and when memory
// runs out.
list::ListNode *attribs_to_list(const xml::XmlNode *node);

} // namespace velk::bridge
