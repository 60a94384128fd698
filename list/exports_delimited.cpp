// Exports for splitting delimited text into a list.
#include "frame/faces.h"
#include "list/delimited.h"
#include "velk_xml.h"

using namespace velk;
using namespace velk::list;

extern "C" {

VELK_API velk_handle VELK_CALL llDelimToList(velk_bstr text, velk_bstr delimiter) {
    PlainArg t(text), d(delimiter);
    return as_handle(delim_to_list(t.view(), d.view()));
}

VELK_API velk_handle VELK_CALL llzDelimToList(const char *text, const char *delimiter) {
    return as_handle(delim_to_list(z_arg(text), z_arg(delimiter)));
}

} // extern "C"
