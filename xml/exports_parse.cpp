// Exports of the parser. The plain face takes the caller's string by
// reference and only reads it.
#include "frame/faces.h"
#include "velk_xml.h"
#include "xml/parse_file.h"
#include "xml/parser.h"

using namespace velk;
using namespace velk::xml;

extern "C" {

VELK_API velk_handle VELK_CALL xmlParse(velk_bstr *text) {
    std::string_view view = text ? bstr_view(*text) : std::string_view();
    return shield<velk_handle>(0, [&] { return as_handle(parse(view)); });
}

VELK_API velk_handle VELK_CALL xmlzParse(const char *text) {
    return shield<velk_handle>(0, [&] { return as_handle(parse(z_arg(text))); });
}

VELK_API velk_handle VELK_CALL xmlParseFile(velk_bstr *file) {
    std::string_view name = file ? bstr_view(*file) : std::string_view();
    return shield<velk_handle>(0, [&] { return as_handle(parse_file(name)); });
}

VELK_API velk_handle VELK_CALL xmlzParseFile(const char *file) {
    return shield<velk_handle>(0, [&] { return as_handle(parse_file(z_arg(file))); });
}

} // extern "C"
