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

// How many records ahead of the one in hand a walk asks for memory.
constexpr int kAhead = 6;

void release_attribs(XmlAttrib *attrib, ChainRelease &release) noexcept {
    // Front to back: the order of release is not observable, and a loop
    // keeps the stack flat however long the chain is.
    while (attrib) {
        prefetch_ahead(attrib, kAhead);
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
    // memory when a parse made them: the records a few places further on
    // are asked for early, so that their memory waits overlap.
    ChainRelease release;
    while (node) {
        prefetch_ahead(node, kAhead);
        XmlNode *next = node->docNext;
        release(node->tag);
        release(node->comment);
        release_attribs(node->attribs, release);
        release(node);
        node = next;
    }
}

} // namespace velk::xml
