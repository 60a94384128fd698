/* The records as callers compile them from the public headers, each the type
 * of a parameter of this small library's one function, so that the
 * description of the binary interface holds their layout (the shared library
 * itself takes and gives handles, which are integers). The library checks at
 * compile time that its own records are these, field for field. */
#include "velk_records.h"

void velk_abi_records(const ListNode *list, const XmlAttrib *attrib, const XmlNode *node) {
    (void)list;
    (void)attrib;
    (void)node;
}
