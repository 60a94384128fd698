// Exports of the five-entity escaping, under the XML and the list names.
#include "frame/faces.h"
#include "velk_xml.h"
#include "xml/escape.h"
#include "xml/unescape.h"

using namespace velk;
using namespace velk::xml;

extern "C" {

VELK_API velk_bstr VELK_CALL xmlClean(velk_bstr text) {
    PlainArg arg(text);
    return plain_text([&](TextBuffer &out) { append_clean(out, arg.view(), LineEnds::keep); });
}

VELK_API velk_bstr VELK_CALL ll_xmlClean(velk_bstr text) {
    PlainArg arg(text);
    return plain_text([&](TextBuffer &out) { append_clean(out, arg.view(), LineEnds::keep); });
}

VELK_API const char *VELK_CALL xmlzClean(const char *text) {
    return z_text(Family::xml, [&](TextBuffer &out) { append_clean(out, z_arg(text), LineEnds::keep); });
}

VELK_API velk_bstr VELK_CALL xmlUnClean(velk_bstr text) {
    PlainArg arg(text);
    return shield<velk_bstr>(nullptr, [&] { return plain_result(unclean(arg.view())); });
}

VELK_API velk_bstr VELK_CALL ll_xmlUnClean(velk_bstr text) {
    PlainArg arg(text);
    return shield<velk_bstr>(nullptr, [&] { return plain_result(unclean(arg.view())); });
}

VELK_API const char *VELK_CALL xmlzUnClean(const char *text) {
    return shield<const char *>("", [&] { return z_result(Family::xml, unclean(z_arg(text))); });
}

} // extern "C"
