#include "bridge/list_form.h"

#include <new>

#include "bridge/list_builder.h"
#include "frame/errors.h"
#include "list/core.h"
#include "xml/attrib/attrib.h"
#include "xml/input/escape.h"
#include "xml/query/data.h"
#include "xml/query/find.h"

namespace velk::bridge {

using list::ListNode;
using xml::LineEnds;
using xml::XmlNode;

namespace {

constexpr std::string_view kOutOfMemory = "Out of memory";

} // namespace

void write_list_form(xml::TextBuffer &out, const ListNode *list, std::string_view list_name) {
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
        set_error(Family::xml, "List node not found in xml");
        return nullptr;
    }
    try {
        ListBuilder builder;
        // Only the tag decides what an item is: other children (the line ends
        // between items, comments, other elements) are passed over.
        for (XmlNode *child = list_element->firstChild; child; child = child->nextSibling) {
            if (xml::node_tag(child) != "listitem") continue;
            if (!builder.put(xml::attrib_value(child, "name"), xml::child_data(child))) {
                set_error(Family::xml, kOutOfMemory);
                return nullptr;
            }
        }
        return builder.release();
    } catch (const std::bad_alloc &) {
        set_error(Family::xml, kOutOfMemory);
        return nullptr;
    }
}

ListNode *attribs_to_list(const XmlNode *node) {
    if (!node) return nullptr;
    try {
        ListBuilder builder;
        for (const xml::XmlAttrib *a = node->attribs; a; a = a->next) {
            if (!builder.put(text_read(a->name), text_read(a->value))) {
                set_error(Family::xml, kOutOfMemory);
                return nullptr;
            }
        }
        return builder.release();
    } catch (const std::bad_alloc &) {
        set_error(Family::xml, kOutOfMemory);
        return nullptr;
    }
}

} // namespace velk::bridge
