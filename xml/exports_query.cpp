// Exports for searching trees, reading element data and adding simple
// children.
#include "frame/faces.h"
#include "velk_xml.h"
#include "xml/data.h"
#include "xml/find.h"

using namespace velk;
using namespace velk::xml;

extern "C" {

VELK_API velk_handle VELK_CALL xmlFindNode(velk_handle start, int32_t depth, velk_bstr tag,
                                           velk_bstr attr_name, velk_bstr attr_value) {
    PlainArg t(tag), n(attr_name), v(attr_value);
    return as_handle(find_node(as_node(start), depth, t.view(), n.view(), v.view()));
}

VELK_API velk_handle VELK_CALL xmlzFindNode(velk_handle start, int32_t depth, const char *tag,
                                            const char *attr_name, const char *attr_value) {
    return as_handle(find_node(as_node(start), depth, z_arg(tag), z_arg(attr_name), z_arg(attr_value)));
}

VELK_API velk_handle VELK_CALL xmlFindNodeRecursive(velk_handle node, int32_t depth, velk_bstr tag,
                                                    velk_bstr attr_name, velk_bstr attr_value) {
    PlainArg t(tag), n(attr_name), v(attr_value);
    return shield<velk_handle>(0, [&] {
        return as_handle(find_node_recursive(as_node(node), depth, t.view(), n.view(), v.view()));
    });
}

VELK_API velk_handle VELK_CALL xmlFindChild(velk_handle parent, velk_bstr tag) {
    PlainArg t(tag);
    return as_handle(find_child(as_node(parent), t.view()));
}

VELK_API velk_handle VELK_CALL xmlzFindChild(velk_handle parent, const char *tag) {
    return as_handle(find_child(as_node(parent), z_arg(tag)));
}

VELK_API velk_handle VELK_CALL xmlFindSpecificChild(velk_handle parent, velk_bstr tag, velk_bstr attr_name,
                                                    velk_bstr attr_value) {
    PlainArg t(tag), n(attr_name), v(attr_value);
    return as_handle(find_specific_child(as_node(parent), t.view(), n.view(), v.view()));
}

VELK_API velk_handle VELK_CALL xmlzFindSpecificChild(velk_handle parent, const char *tag,
                                                     const char *attr_name, const char *attr_value) {
    return as_handle(find_specific_child(as_node(parent), z_arg(tag), z_arg(attr_name), z_arg(attr_value)));
}

VELK_API velk_handle VELK_CALL xmlFindDataChild(velk_handle node) {
    return as_handle(find_data_child(as_node(node)));
}

VELK_API velk_bstr VELK_CALL xmlGetTag(velk_handle node) { return plain_result(node_tag(as_node(node))); }

VELK_API const char *VELK_CALL xmlzGetTag(velk_handle node) {
    return z_result(Family::xml, node_tag(as_node(node)));
}

VELK_API velk_bstr VELK_CALL xmlChildData(velk_handle node) {
    return plain_result(child_data(as_node(node)));
}

VELK_API const char *VELK_CALL xmlzChildData(velk_handle node) {
    return z_result(Family::xml, child_data(as_node(node)));
}

VELK_API velk_bstr VELK_CALL xmlExtractSimpleChildData(velk_handle node, velk_bstr tag) {
    PlainArg t(tag);
    return plain_result(extract_simple_child_data(as_node(node), t.view()));
}

VELK_API const char *VELK_CALL xmlzExtractSimpleChildData(velk_handle node, const char *tag) {
    return z_result(Family::xml, extract_simple_child_data(as_node(node), z_arg(tag)));
}

VELK_API velk_bstr VELK_CALL xmlGetChildTagData(velk_handle node, velk_bstr tag) {
    PlainArg t(tag);
    return plain_result(child_tag_data(as_node(node), t.view()));
}

VELK_API const char *VELK_CALL xmlzGetChildTagData(velk_handle node, const char *tag) {
    return z_result(Family::xml, child_tag_data(as_node(node), z_arg(tag)));
}

VELK_API velk_handle VELK_CALL xmlAddSimpleChild(velk_handle parent, velk_bstr tag, velk_bstr data) {
    PlainArg t(tag), d(data);
    return as_handle(add_simple_child(as_node(parent), t.view(), d.view()));
}

VELK_API velk_handle VELK_CALL xmlzAddSimpleChild(velk_handle parent, const char *tag, const char *data) {
    return as_handle(add_simple_child(as_node(parent), z_arg(tag), z_arg(data)));
}

} // extern "C"
