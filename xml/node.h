// The records of an XML tree. Callers hold them as handles (their addresses);
// every record and every text it holds is a memory block of its own.
#pragma once

#include <cstdint>
#include <string_view>

#include "frame/memory.h"

namespace velk::xml {

// One attribute of an element or processing instruction.
struct XmlAttrib {
    char quote;      // '"' or '\'': the mark written around the value
    char *name;      // stored text; null when empty
    char *value;     // stored text, raw (not escaped); null when empty
    XmlAttrib *next; // null at the end of the chain
};

enum NodeType : std::int32_t { kElement = 0, kText = 1, kComment = 2, kInstruction = 3 };

struct XmlNode {
    std::int32_t nodeType;
    std::int32_t depth;  // nesting depth; the writer indents by it
    std::int32_t closed; // 1: takes no children (self-closed element, text, comment, PI)
    char *tag;           // element name, "?target", unescaped text, or "!--"; null when empty
    char *comment;       // comment body as written; null when empty or not a comment
    XmlAttrib *attribs;  // first attribute, in document order
    XmlNode *firstChild;
    XmlNode *parent;
    XmlNode *nextSibling;
    XmlNode *prevSibling;
    XmlNode *docNext; // creation chain of one parse; 0 at its end
};

inline XmlNode *as_node(std::uintptr_t handle) noexcept { return reinterpret_cast<XmlNode *>(handle); }
inline std::uintptr_t as_handle(const void *record) noexcept {
    return reinterpret_cast<std::uintptr_t>(record);
}

inline std::string_view tag_of(const XmlNode *node) noexcept { return text_read(node->tag); }

} // namespace velk::xml
