// The public records of api/velk_records.h must be the library's own records
// byte for byte, on every target: callers read fields at these offsets.
#include <cstddef>

#include "list/node.h"
#include "list/sort.h"
#include "velk_records.h"
#include "xml/node.h"

namespace {

#define VELK_SAME_FIELD(Public, Internal, field)                                                             \
    static_assert(offsetof(Public, field) == offsetof(Internal, field), #Public "." #field " moved");        \
    static_assert(sizeof(Public::field) == sizeof(Internal::field), #Public "." #field " changed width")

using velk::list::ListNode;
VELK_SAME_FIELD(::ListNode, ListNode, data);
VELK_SAME_FIELD(::ListNode, ListNode, name);
VELK_SAME_FIELD(::ListNode, ListNode, capacity);
VELK_SAME_FIELD(::ListNode, ListNode, next);
static_assert(sizeof(::ListNode) == sizeof(ListNode), "ListNode changed size");

using velk::xml::XmlAttrib;
VELK_SAME_FIELD(::XmlAttrib, XmlAttrib, quote);
VELK_SAME_FIELD(::XmlAttrib, XmlAttrib, name);
VELK_SAME_FIELD(::XmlAttrib, XmlAttrib, value);
VELK_SAME_FIELD(::XmlAttrib, XmlAttrib, next);
static_assert(sizeof(::XmlAttrib) == sizeof(XmlAttrib), "XmlAttrib changed size");

using velk::xml::XmlNode;
VELK_SAME_FIELD(::XmlNode, XmlNode, nodeType);
VELK_SAME_FIELD(::XmlNode, XmlNode, depth);
VELK_SAME_FIELD(::XmlNode, XmlNode, closed);
VELK_SAME_FIELD(::XmlNode, XmlNode, tag);
VELK_SAME_FIELD(::XmlNode, XmlNode, comment);
VELK_SAME_FIELD(::XmlNode, XmlNode, attribs);
VELK_SAME_FIELD(::XmlNode, XmlNode, firstChild);
VELK_SAME_FIELD(::XmlNode, XmlNode, parent);
VELK_SAME_FIELD(::XmlNode, XmlNode, nextSibling);
VELK_SAME_FIELD(::XmlNode, XmlNode, prevSibling);
VELK_SAME_FIELD(::XmlNode, XmlNode, docNext);
static_assert(sizeof(::XmlNode) == sizeof(XmlNode), "XmlNode changed size");

// The sizes that the header's table states for each pointer width.
constexpr bool kNarrow = sizeof(void *) == 4;
static_assert(sizeof(::ListNode) == (kNarrow ? 16 : 32), "ListNode size differs from the header's table");
static_assert(sizeof(::XmlAttrib) == (kNarrow ? 16 : 32), "XmlAttrib size differs from the header's table");
static_assert(sizeof(::XmlNode) == (kNarrow ? 44 : 80), "XmlNode size differs from the header's table");
static_assert(offsetof(::XmlNode, docNext) == (kNarrow ? 40 : 72), "XmlNode.docNext differs from the table");

// The node types the header names are the ones the library stores.
static_assert(VELK_NODE_ELEMENT == velk::xml::kElement && VELK_NODE_TEXT == velk::xml::kText &&
                  VELK_NODE_COMMENT == velk::xml::kComment &&
                  VELK_NODE_INSTRUCTION == velk::xml::kInstruction,
              "node type values differ");

static_assert(VELK_SORT_NUMERIC == velk::list::kNumericOrder, "sort mode values differ");

#undef VELK_SAME_FIELD

} // namespace
