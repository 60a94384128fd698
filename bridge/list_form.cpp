#include "bridge/list_form.h"

#include <new>

#include "bridge/merging_builder.h"
#include "frame/errors.h"
#include "frame/messages.h"
#include "list/core.h"
#include "xml/attrib.h"
#include "xml/data.h"
#include "xml/escape.h"
#include "xml/find.h"

namespace velk::bridge {

using list::ListNode;
using xml::LineEnds;
using xml::XmlNode;

namespace {

// Builds a list from the name/data pairs that visit hands to its callback
// (the callback answers false when memory ran out). Null, with the message
// set, when memory ran out; a partly built list never leaves.
template <class Visit> ListNode *build_list(Visit &&visit) {
    try {
        MergingBuilder builder;
        if (visit([&](std::string_view name, std::string_view data) { return builder.put(name, data); }))
            return builder.release();
    } catch (const std::bad_alloc &) {
    }
    set_error(Family::xml, messages::kOutOfMemory);
    return nullptr;
}

} // namespace

void write_list_form(TextBuffer &out, const ListNode *list, std::string_view list_name) {
    out.append("<list name=\"");
    xml::append_clean(out, list_name, LineEnds::keep);
    out.append("\">\r\n");
    for (const ListNode *node = list; node; node = node->next) {
        out.append("<listitem name=\"");
        xml::append_clean(out, list::name_text(node), LineEnds::keep);
        out.append("\">");
        xml::append_clean(out, list::data_text(node), LineEnds::keep);
        out.append("</listitem>\r\n");
    }
    out.append("</list>");
}

ListNode *read_list_form(XmlNode *node) {
    if (!node) return nullptr;
    XmlNode *list_element = xml::find_node(node, -1, "list", {}, {});
    if (!list_element) {
        set_error(Family::xml, messages::kListNodeNotFound);
        return nullptr;
    }
    // Only the tag decides what an item is: other children (the line ends
    // between items, comments, other elements) are passed over.
    return build_list([&](auto &&put) {
        for (XmlNode *child = list_element->firstChild; child; child = child->nextSibling) {
            if (xml::node_tag(child) != "listitem") continue;
            if (!put(xml::attrib_value(child, "name"), xml::child_data(child))) return false;
        }
        return true;
    });
}

ListNode *attribs_to_list(const XmlNode *node) {
    if (!node) return nullptr;
    return build_list([&](auto &&put) {
        for (const xml::XmlAttrib *a = node->attribs; a; a = a->next)
            if (!put(text_read(a->name), text_read(a->value))) return false;
        return true;
    });
}

} // namespace velk::bridge
