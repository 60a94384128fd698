/* The records as callers compile them from the public headers, each the type
 * of a parameter of this small library's one function, so that the
 * description of the binary interface holds their layout (the shared library
 * itself takes and gives handles, which are integers). The library checks at
 * compile time that its own records are these, field for field. */
#include "velk_records.h"
#include "velk_xml.h"

/* The constants callers compile into their programs, which no description
 * of the binary holds. */
_Static_assert(VELK_NODE_NONE == -1 && VELK_NODE_ELEMENT == 0 && VELK_NODE_TEXT == 1 &&
                   VELK_NODE_COMMENT == 2 && VELK_NODE_INSTRUCTION == 3,
               "node types changed");
_Static_assert(VELK_SORT_TEXT == 0 && VELK_SORT_NUMERIC == 1, "sort modes changed");
_Static_assert(VELK_ANY_DEPTH == -1, "the any-depth value changed");
_Static_assert(VELK_COMPACT == 0 && VELK_INDENTED == 1, "indent switches changed");
_Static_assert(VELK_KEEP_EXISTING == 0 && VELK_OVERWRITE == 1, "overwrite switches changed");
_Static_assert(VELK_SUCCESS == 1 && VELK_FAILURE == 0, "results changed");

void velk_abi_records(const ListNode *list, const XmlAttrib *attrib, const XmlNode *node) {
    (void)list;
    (void)attrib;
    (void)node;
}
