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

namespace {

void release_attribs(XmlAttrib *attrib, ChainRelease &release) noexcept {
    // Front to back: the order of release is not observable, and a loop
    // keeps the stack flat however long the chain is.
    while (attrib) {
        XmlAttrib *next = attrib->next;
        release(attrib->name);
        release(attrib->value);
        release(attrib);
        attrib = next;
    }
}

} // namespace

void free_attribs(XmlAttrib *attrib) noexcept {
    if (!attrib) return;
    ChainRelease release;
    release_attribs(attrib, release);
}

void free_chain(XmlNode *node) noexcept {
    // In the order the records were made, which is the order of their
    // memory when a parse made them.
    ChainRelease release;
    while (node) {
        XmlNode *next = node->docNext;
        release(node->tag);
        release(node->comment);
        release_attribs(node->attribs, release);
        release(node);
        node = next;
    }
}

} // namespace velk::xml
