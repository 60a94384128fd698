// Exports for deleting entries and ordering lists.
#include "frame/faces.h"
#include "list/remove.h"
#include "list/sort.h"
#include "velk_xml.h"

using namespace velk;
using namespace velk::list;

extern "C" {

VELK_API int32_t VELK_CALL llDelete(velk_handle list, velk_handle node) {
    return delete_node(as_node(list), as_node(node)) ? 1 : 0;
}

// The result is 1 whether or not the name was found.
VELK_API int32_t VELK_CALL llDeleteByName(velk_handle list, velk_bstr name) {
    PlainArg n(name);
    delete_by_name(as_node(list), n.view());
    return 1;
}

VELK_API int32_t VELK_CALL llzDeleteByName(velk_handle list, const char *name) {
    delete_by_name(as_node(list), z_arg(name));
    return 1;
}

VELK_API velk_handle VELK_CALL llFindSmallest(velk_handle list, int32_t mode, velk_handle *before) {
    ListNode *previous = nullptr;
    ListNode *smallest = find_smallest(as_node(list), mode, &previous);
    if (before) *before = as_handle(previous);
    return as_handle(smallest);
}

VELK_API velk_handle VELK_CALL llSort(velk_handle list, int32_t mode) {
    return as_handle(sort(as_node(list), mode));
}

} // extern "C"
