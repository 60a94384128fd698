// Exports for walking, linking and releasing XML trees.
#include "velk_xml.h"
#include "xml/tree.h"

using namespace velk::xml;

extern "C" {

VELK_API int32_t VELK_CALL xmlNodeType(velk_handle node) { return node ? as_node(node)->nodeType : -1; }

VELK_API velk_handle VELK_CALL xmlChild(velk_handle node) {
    return node ? as_handle(as_node(node)->firstChild) : 0;
}

VELK_API velk_handle VELK_CALL xmlParent(velk_handle node) {
    return node ? as_handle(as_node(node)->parent) : 0;
}

VELK_API velk_handle VELK_CALL xmlNextSibling(velk_handle node) {
    return node ? as_handle(as_node(node)->nextSibling) : 0;
}

VELK_API void VELK_CALL xmlAddChild(velk_handle parent, velk_handle child) {
    if (child) add_child(as_node(parent), as_node(child));
}

VELK_API void VELK_CALL xmlFree(velk_handle node) { free_chain(as_node(node)); }

VELK_API void VELK_CALL xmlFreePointers(velk_handle node) { free_chain(as_node(node)); }

} // extern "C"
