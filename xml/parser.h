// The XML parser: text to a tree of XmlNode records in one pass.
#pragma once

#include <string_view>

#include "xml/node.h"

namespace velk::xml {

// Returns the first node made (the root). Null on failure, with the message
// in the XML last-error text and everything made released; also null,
// without a message, when the text completes no node.
XmlNode *parse(std::string_view text);

} // namespace velk::xml
