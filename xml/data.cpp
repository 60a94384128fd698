#include "xml/data.h"

#include "frame/memory.h"
#include "xml/attrib.h"
#include "xml/find.h"
#include "xml/tree.h"

namespace velk::xml {

std::string_view node_tag(const XmlNode *node) noexcept { return node ? tag_of(node) : std::string_view(); }

std::string_view child_data(const XmlNode *node) noexcept {
    const XmlNode *data = find_data_child(node);
    return data ? tag_of(data) : std::string_view();
}

std::string_view extract_simple_child_data(XmlNode *node, std::string_view tag) noexcept {
    if (!node) return {};
    return child_data(find_node(node, node->depth + 1, tag, {}, {}));
}

std::string_view child_tag_data(XmlNode *node, std::string_view tag) noexcept {
    return child_data(find_node(node, -1, tag, {}, {}));
}

XmlNode *add_simple_child(XmlNode *parent, std::string_view tag, std::string_view data) noexcept {
    tag = trim_blanks(tag);
    if (tag.empty() || !parent) return nullptr;
    // Every block is had before anything is linked: a refused one releases
    // the others, so the tree never holds a nameless element or lost data.
    auto *element = make_record<XmlNode>();
    auto *text = element ? make_record<XmlNode>() : nullptr;
    char *stored_tag = text ? text_store(tag) : nullptr;
    char *stored_data = stored_tag ? text_store(data) : nullptr;
    if (!stored_tag || (!stored_data && !data.empty())) {
        mem_free(stored_tag);
        mem_free(text);
        mem_free(element);
        return nullptr;
    }
    element->nodeType = kElement;
    element->depth = parent->depth + 1; // before the text node takes its depth from it
    element->tag = stored_tag;
    text->nodeType = kText;
    text->tag = stored_data;
    add_child(element, text);
    add_child(parent, element);
    return element;
}

} // namespace velk::xml
