// Writing a tree's compact text to a new file.
#pragma once

#include <string_view>

#include "xml/node.h"

namespace velk::xml {

// xmlTreeToFile: an existing file is refused, or with overwrite deleted
// first. True when the whole text was written; otherwise false with the
// message in the XML last-error text.
bool tree_to_file(const XmlNode *node, std::string_view file, bool overwrite);

// xmlNodeToFile: an existing file is never replaced; the file is shared with
// other readers and writers while it is written.
bool node_to_file(const XmlNode *node, std::string_view file);

} // namespace velk::xml
