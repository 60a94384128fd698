// Writing a tree's compact text to a file. The text is written whole under a
// private name beside the file and then given its name in one step, so that
// a reader of the name finds the old file or the new one, and a failure
// leaves the name as it was.
#pragma once

#include <string_view>

#include "xml/node.h"

namespace velk::xml {

// xmlTreeToFile: an existing file is refused, or with overwrite replaced
// (keeping its permission bits) unless it cannot be: held by another
// opener's lock, or its folder does not let this process remove it. True
// when the whole text was written; otherwise false with the message in the
// XML last-error text.
bool tree_to_file(const XmlNode *node, std::string_view file, bool overwrite);

// xmlNodeToFile: an existing file is never replaced, not even one made while
// the text was written.
bool node_to_file(const XmlNode *node, std::string_view file);

} // namespace velk::xml
