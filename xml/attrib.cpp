#include "xml/attrib.h"

#include "frame/memory.h"

namespace velk::xml {

XmlAttrib *find_attrib(const XmlNode *node, std::string_view wanted) noexcept {
    wanted = trim_blanks(wanted);
    if (!node) return nullptr;
    for (XmlAttrib *a = node->attribs; a; a = a->next)
        if (a->name && trim_blanks(a->name) == wanted) return a;
    return nullptr;
}

std::int32_t attrib_count(const XmlNode *node) noexcept {
    std::int32_t count = 0;
    if (node)
        for (const XmlAttrib *a = node->attribs; a; a = a->next)
            ++count;
    return count;
}

std::string_view attrib_name(const XmlNode *node, std::int32_t position) noexcept {
    if (!node || position < 1) return {};
    std::int32_t at = 1;
    for (const XmlAttrib *a = node->attribs; a; a = a->next, ++at)
        if (at == position) return trim_blanks(text_read(a->name));
    return {};
}

std::string_view attrib_value(const XmlNode *node, std::string_view wanted) noexcept {
    wanted = trim_blanks(wanted);
    if (!node) return {};
    for (const XmlAttrib *a = node->attribs; a; a = a->next)
        if (trim_blanks(text_read(a->name)) == wanted) return text_read(a->value);
    return {};
}

bool set_attrib(XmlNode *node, std::string_view name, std::string_view value) noexcept {
    name = trim_blanks(name);
    if (!node || name.empty()) return false;
    // Every block is had before anything changes, so a refused one leaves
    // the node as it was rather than storing an empty text.
    char *stored_value = text_store(value);
    if (!stored_value && !value.empty()) return false;
    if (XmlAttrib *found = find_attrib(node, name)) {
        mem_free(found->value);
        found->value = stored_value;
        return true;
    }
    auto *attrib = make_record<XmlAttrib>();
    char *stored_name = attrib ? text_store(name) : nullptr;
    if (!stored_name) {
        mem_free(attrib);
        mem_free(stored_value);
        return false;
    }
    attrib->quote = '"';
    attrib->name = stored_name;
    attrib->value = stored_value;
    XmlAttrib **end = &node->attribs;
    while (*end)
        end = &(*end)->next;
    *end = attrib;
    return true;
}

} // namespace velk::xml
