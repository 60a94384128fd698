// Exports for lists as XML: the XML list form in both directions and the
// attributes of a node as a list.
#include <new>

#include "bridge/list_form.h"
#include "frame/errors.h"
#include "frame/faces.h"
#include "frame/messages.h"
#include "velk_xml.h"

using namespace velk;

namespace {

// Runs a writer of the list form; memory running out anywhere (the text or the
// result) leaves the message in the XML error text and gives the empty result.
template <class R, class Result>
R write_text(velk_handle list, std::string_view name, R failure, Result &&result) noexcept {
    try {
        TextBuffer out;
        bridge::write_list_form(out, list::as_node(list), name);
        R r = result(out.view());
        if (r) return r;
    } catch (const std::bad_alloc &) {
    }
    shield([] { set_error(Family::xml, messages::kOutOfMemory); });
    return failure;
}

} // namespace

extern "C" {

VELK_API velk_bstr VELK_CALL xmlFromList(velk_handle list, velk_bstr list_name) {
    PlainArg n(list_name);
    return write_text<velk_bstr>(list, n.view(), nullptr,
                                 [](std::string_view text) { return plain_result(text); });
}

VELK_API const char *VELK_CALL xmlzFromList(velk_handle list, const char *list_name) {
    return write_text<const char *>(list, z_arg(list_name), "", [](std::string_view text) {
        const char *r = z_result(Family::xml, text);
        return *r ? r : nullptr; // the list form is never empty: "" means no room
    });
}

VELK_API velk_handle VELK_CALL xmlToList(velk_handle node) {
    return shield<velk_handle>(0,
                               [&] { return list::as_handle(bridge::read_list_form(xml::as_node(node))); });
}

VELK_API velk_handle VELK_CALL XMLATTRIBTOLIST(velk_handle node) {
    return shield<velk_handle>(0,
                               [&] { return list::as_handle(bridge::attribs_to_list(xml::as_node(node))); });
}

} // extern "C"
