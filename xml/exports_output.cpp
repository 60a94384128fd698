// Exports of the writers: a node alone, or a tree, as compact or indented text.
#include "frame/faces.h"
#include "velk_xml.h"
#include "xml/writer.h"

using namespace velk;
using namespace velk::xml;

extern "C" {

VELK_API velk_bstr VELK_CALL xmlNodeToString(velk_handle node, int32_t indent) {
    return plain_text([&](TextBuffer &out) { write_node(out, as_node(node), indent != 0); });
}

VELK_API const char *VELK_CALL xmlzNodeToString(velk_handle node, int32_t indent) {
    return z_text(Family::xml, [&](TextBuffer &out) { write_node(out, as_node(node), indent != 0); });
}

VELK_API velk_bstr VELK_CALL xmlTreeToString(velk_handle node, int32_t indent) {
    return plain_text([&](TextBuffer &out) { write_tree(out, as_node(node), indent != 0); });
}

VELK_API const char *VELK_CALL xmlzTreeToString(velk_handle node, int32_t indent) {
    return z_text(Family::xml, [&](TextBuffer &out) { write_tree(out, as_node(node), indent != 0); });
}

} // extern "C"
