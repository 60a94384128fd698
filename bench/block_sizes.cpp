// The blocks a parsed tree is made of, read from the records themselves: in
// its own file because the records' header declares export names that
// libxml2's headers declare too.
#include "block_sizes.h"

#include <cstring>

#include "velk_records.h"

namespace {

void add_text(std::vector<std::uint32_t> &sizes, const char *text) {
    if (text) sizes.push_back(static_cast<std::uint32_t>(std::strlen(text) + 1));
}

} // namespace

std::vector<std::uint32_t> tree_block_sizes(std::uintptr_t root) {
    std::vector<std::uint32_t> sizes;
    for (const XmlNode *node = VELK_XML_NODE(root); node; node = node->docNext) {
        sizes.push_back(sizeof(XmlNode));
        add_text(sizes, node->tag);
        add_text(sizes, node->comment);
        for (const XmlAttrib *a = node->attribs; a; a = a->next) {
            sizes.push_back(sizeof(XmlAttrib));
            add_text(sizes, a->name);
            add_text(sizes, a->value);
        }
    }
    return sizes;
}
