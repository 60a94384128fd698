// Exports that write a tree's compact text to a new file.
#include "frame/faces.h"
#include "velk_xml.h"
#include "xml/file_writer.h"

using namespace velk;
using namespace velk::xml;

extern "C" {

VELK_API int32_t VELK_CALL xmlTreeToFile(velk_handle node, velk_bstr file, int32_t overwrite) {
    PlainArg name(file);
    return shield<int32_t>(0,
                           [&] { return tree_to_file(as_node(node), name.view(), overwrite != 0) ? 1 : 0; });
}

VELK_API int32_t VELK_CALL xmlNodeToFile(velk_handle node, velk_bstr file) {
    PlainArg name(file);
    return shield<int32_t>(0, [&] { return node_to_file(as_node(node), name.view()) ? 1 : 0; });
}

VELK_API int32_t VELK_CALL xmlzNodeToFile(velk_handle node, const char *file) {
    return shield<int32_t>(0, [&] { return node_to_file(as_node(node), z_arg(file)) ? 1 : 0; });
}

} // extern "C"
