// Exports for saving lists to files and loading them back.
#include "frame/faces.h"
#include "list/file.h"
#include "velk_xml.h"

using namespace velk;
using namespace velk::list;

extern "C" {

VELK_API int32_t VELK_CALL llListToFile(velk_handle list, velk_bstr file) {
    PlainArg name(file);
    return shield<int32_t>(0, [&] { return save_to_file(as_node(list), name.view()) ? 1 : 0; });
}

VELK_API int32_t VELK_CALL llzListToFile(velk_handle list, const char *file) {
    return shield<int32_t>(0, [&] { return save_to_file(as_node(list), z_arg(file)) ? 1 : 0; });
}

VELK_API velk_handle VELK_CALL llListFromFile(velk_bstr file) {
    PlainArg name(file);
    return shield<velk_handle>(0, [&] { return as_handle(load_from_file(name.view())); });
}

VELK_API velk_handle VELK_CALL llzListFromFile(const char *file) {
    return shield<velk_handle>(0, [&] { return as_handle(load_from_file(z_arg(file))); });
}

} // extern "C"
