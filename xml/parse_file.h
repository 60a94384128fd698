// Parsing an XML file: the whole file is read byte for byte and parsed.
#pragma once

#include <string_view>

#include "xml/node.h"

namespace velk::xml {

// The root of the parsed document; null on failure with the message in the
// XML last-error text.
XmlNode *parse_file(std::string_view file);

} // namespace velk::xml
