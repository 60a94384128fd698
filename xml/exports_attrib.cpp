// Exports for reading and setting attributes and for the attribute text.
#include "frame/faces.h"
#include "velk_xml.h"
#include "xml/attrib.h"
#include "xml/writer.h"

using namespace velk;
using namespace velk::xml;

extern "C" {

VELK_API velk_handle VELK_CALL xmlAttribExists(velk_handle node, velk_bstr name) {
    PlainArg n(name);
    return as_handle(find_attrib(as_node(node), n.view()));
}

VELK_API velk_handle VELK_CALL xmlzAttribExists(velk_handle node, const char *name) {
    return as_handle(find_attrib(as_node(node), z_arg(name)));
}

VELK_API int32_t VELK_CALL xmlAttribCount(velk_handle node) { return attrib_count(as_node(node)); }

VELK_API velk_bstr VELK_CALL xmlAttribName(velk_handle node, int32_t position) {
    return plain_result(attrib_name(as_node(node), position));
}

VELK_API const char *VELK_CALL xmlzAttribName(velk_handle node, int32_t position) {
    return z_result(Family::xml, attrib_name(as_node(node), position));
}

VELK_API velk_bstr VELK_CALL xmlAttribValue(velk_handle node, velk_bstr name) {
    PlainArg n(name);
    return plain_result(attrib_value(as_node(node), n.view()));
}

VELK_API const char *VELK_CALL xmlzAttribValue(velk_handle node, const char *name) {
    return z_result(Family::xml, attrib_value(as_node(node), z_arg(name)));
}

VELK_API int32_t VELK_CALL xmlSetAttrib(velk_handle node, velk_bstr name, velk_bstr value) {
    PlainArg n(name), v(value);
    return set_attrib(as_node(node), n.view(), v.view()) ? 1 : 0;
}

VELK_API int32_t VELK_CALL xmlzSetAttrib(velk_handle node, const char *name, const char *value) {
    return set_attrib(as_node(node), z_arg(name), z_arg(value)) ? 1 : 0;
}

VELK_API velk_bstr VELK_CALL xmlAttribToString(velk_handle node) {
    return plain_text([&](TextBuffer &out) { append_attribs(out, as_node(node), LineEnds::keep); });
}

VELK_API const char *VELK_CALL xmlzAttribToString(velk_handle node) {
    return z_text(Family::xml, [&](TextBuffer &out) { append_attribs(out, as_node(node), LineEnds::keep); });
}

} // extern "C"
