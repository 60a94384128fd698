#include "xml/tree.h"

#include "frame/compiler.h"

namespace velk::xml {

void add_child(XmlNode *parent, XmlNode *child) noexcept {
    if (!parent) return;
    if (!parent->firstChild) {
        parent->firstChild = child;
        child->parent = parent;
    } else {
        XmlNode *last = parent->firstChild;
        while (last->nextSibling)
            last = last->nextSibling;
        last->nextSibling = child;
        child->prevSibling = last;
        child->parent = last->parent;
    }
    child->depth = parent->depth + 1;
}

void free_attribs(XmlAttrib *attrib) noexcept {
    // Front to back: the order of release is not observable, and a loop
    // keeps the stack flat however long the chain is.
    while (attrib) {
        XmlAttrib *next = attrib->next;
        mem_free(attrib->name);
        mem_free(attrib->value);
        mem_free(attrib);
        attrib = next;
    }
}

void free_chain(XmlNode *node) noexcept {
    // Records spread over the heap cost a memory wait each; a runner a few
    // nodes ahead on the chain asks for them early.
    XmlNode *ahead = node;
    for (int i = 0; i < 4 && ahead; ++i)
        ahead = ahead->docNext;
    while (node) {
        if (ahead) {
            ahead = ahead->docNext;
            if (ahead) {
                prefetch(ahead->tag);
                prefetch(ahead->attribs);
            }
        }
        XmlNode *next = node->docNext;
        mem_free(node->tag);
        mem_free(node->comment);
        free_attribs(node->attribs);
        mem_free(node);
        node = next;
    }
}

} // namespace velk::xml
