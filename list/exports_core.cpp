// Exports for building and walking lists.
#include "frame/faces.h"
#include "list/core.h"
#include "velk_xml.h"

using namespace velk;
using namespace velk::list;

extern "C" {

VELK_API velk_handle VELK_CALL llAdd(velk_handle list, velk_bstr name, velk_bstr data) {
    PlainArg n(name), d(data);
    return as_handle(add(as_node(list), n.view(), d.view(), DataForm::text));
}

VELK_API velk_handle VELK_CALL llzAdd(velk_handle list, const char *name, const char *data) {
    return as_handle(add(as_node(list), z_arg(name), z_arg(data), DataForm::text));
}

VELK_API velk_handle VELK_CALL llbAdd(velk_handle list, velk_bstr name, velk_bstr data) {
    PlainArg n(name), d(data);
    return as_handle(add(as_node(list), n.view(), d.view(), DataForm::raw));
}

VELK_API velk_handle VELK_CALL llNext(velk_handle node) { return node ? as_handle(as_node(node)->next) : 0; }

VELK_API int32_t VELK_CALL llCount(velk_handle node) { return count(as_node(node)); }

VELK_API velk_handle VELK_CALL llFindLast(velk_handle node) { return as_handle(find_last(as_node(node))); }

VELK_API velk_handle VELK_CALL llGetByNumber(velk_handle node, int32_t position) {
    return as_handle(get_by_number(as_node(node), position));
}

VELK_API velk_handle VELK_CALL llFindPrev(velk_handle list, velk_handle node) {
    return as_handle(find_prev(as_node(list), as_node(node)));
}

VELK_API int32_t VELK_CALL llCapacity(velk_handle node) { return node ? as_node(node)->capacity : 0; }

VELK_API void VELK_CALL llMoveFirst(velk_handle list, velk_handle node, velk_handle before) {
    move_first(as_node(list), as_node(node), as_node(before));
}

VELK_API void VELK_CALL llFree(velk_handle node) { free_chain(as_node(node)); }

} // extern "C"
