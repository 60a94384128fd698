// Exports for lists as keyed stores: lookup, update, and reading entries.
#include "frame/faces.h"
#include "list/core.h"
#include "list/lookup.h"
#include "velk_xml.h"

using namespace velk;
using namespace velk::list;

extern "C" {

VELK_API velk_handle VELK_CALL llFindByName(velk_handle list, velk_bstr name) {
    PlainArg n(name);
    return as_handle(find_by_name(as_node(list), n.view()));
}

VELK_API velk_handle VELK_CALL llzFindByName(velk_handle list, const char *name) {
    return as_handle(find_by_name(as_node(list), z_arg(name)));
}

VELK_API velk_handle VELK_CALL llFindByData(velk_handle list, velk_bstr data) {
    PlainArg d(data);
    return as_handle(find_by_data(as_node(list), d.view()));
}

VELK_API velk_handle VELK_CALL llzFindByData(velk_handle list, const char *data) {
    return as_handle(find_by_data(as_node(list), z_arg(data)));
}

VELK_API void VELK_CALL llUpdate(velk_handle node, velk_bstr data) {
    PlainArg d(data);
    update(as_node(node), d.view(), DataForm::text);
}

VELK_API void VELK_CALL llzUpdate(velk_handle node, const char *data) {
    update(as_node(node), z_arg(data), DataForm::text);
}

VELK_API void VELK_CALL llbUpdate(velk_handle node, velk_bstr data) {
    PlainArg d(data);
    update(as_node(node), d.view(), DataForm::raw);
}

VELK_API velk_handle VELK_CALL llUpdateByName(velk_handle list, velk_bstr name, velk_bstr data) {
    PlainArg n(name), d(data);
    return as_handle(update_by_name(as_node(list), n.view(), d.view(), DataForm::text));
}

VELK_API velk_handle VELK_CALL llzUpdateByName(velk_handle list, const char *name, const char *data) {
    return as_handle(update_by_name(as_node(list), z_arg(name), z_arg(data), DataForm::text));
}

VELK_API velk_handle VELK_CALL llbUpdateByName(velk_handle list, velk_bstr name, velk_bstr data) {
    PlainArg n(name), d(data);
    return as_handle(update_by_name(as_node(list), n.view(), d.view(), DataForm::raw));
}

VELK_API velk_bstr VELK_CALL llData(velk_handle node) { return plain_result(data_text(as_node(node))); }

VELK_API const char *VELK_CALL llzData(velk_handle node) {
    return z_result(Family::list, data_text(as_node(node)));
}

VELK_API velk_bstr VELK_CALL llbData(velk_handle node) { return plain_result(data_bytes(as_node(node))); }

VELK_API velk_bstr VELK_CALL llName(velk_handle node) { return plain_result(name_text(as_node(node))); }

VELK_API const char *VELK_CALL llzName(velk_handle node) {
    return z_result(Family::list, name_text(as_node(node)));
}

VELK_API velk_bstr VELK_CALL llDataByName(velk_handle list, velk_bstr name) {
    PlainArg n(name);
    return plain_result(data_text(find_by_name(as_node(list), n.view())));
}

VELK_API const char *VELK_CALL llzDataByName(velk_handle list, const char *name) {
    return z_result(Family::list, data_text(find_by_name(as_node(list), z_arg(name))));
}

VELK_API velk_bstr VELK_CALL llbDataByName(velk_handle list, velk_bstr name) {
    PlainArg n(name);
    return plain_result(data_bytes(find_by_name(as_node(list), n.view())));
}

} // extern "C"
