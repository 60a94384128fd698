/*
 * VELK_XML editing: change a parsed document in place. C99 (and C++), over
 * the exports of velk_xml.h and the records of velk_records.h; besides the
 * library itself, this is the only code that writes a record.
 *
 *     velk_handle doc = xmlzParseFile("config.xml");
 *     velk_handle server = xmlzFindChild(velk_root_element(doc), "server");
 *     velk_set_text(xmlzFindChild(server, "timeout"), "30");
 *     xmlzSetAttrib(server, "port", "8080");
 *     velk_new_element(server, VELK_LAST_CHILD, "debug", "off");
 *     velk_remove(xmlzFindChild(server, "legacy"));
 *     xmlTreeToFile(doc, ...);
 *     xmlFree(doc);
 *
 * OWNERSHIP. A document's nodes are the ones on its creation chain, in
 * document order, which xmlFree of the document releases (velk_records.h:
 * docNext). Every node made here joins that chain at its place in document
 * order, with texts that are blocks of their own as the parser makes them;
 * so xmlFree of the document releases them, xmlFindNode finds them, and the
 * writers write them. A removed node leaves the tree and the chain at once,
 * with its subtree, and is released at once: its handle, and those of its
 * descendants, are dead after velk_remove.
 *
 * WHERE IT WORKS. On the nodes of documents that the parser made (xmlParse,
 * xmlParseFile and their z faces) and that were changed only through this
 * header and the attribute exports. A node linked in with xmlAddChild or
 * made by xmlAddSimpleChild is on no chain of the document: a call that
 * finds such a node where it looks for its place on the chain answers
 * failure and changes nothing.
 *
 * COSTS. Finding a node's place on the chain walks the subtree of its
 * previous sibling. velk_root_element walks the top-level nodes before the
 * root; velk_set_text walks the element's children, and finds the element's
 * place when it adds a text child; velk_new_element finds the reference
 * node's place and walks its subtree (VELK_AFTER, VELK_LAST_CHILD) and its
 * children (VELK_LAST_CHILD); velk_remove finds the node's place and walks
 * its subtree. To append many children, a VelkAppender walks once and then
 * appends each child in constant time.
 */
#ifndef VELK_EDIT_H
#define VELK_EDIT_H

#include <string.h>

#include "velk_records.h"
#include "velk_xml.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Where velk_new_element puts the new element, relative to its reference node. */
#define VELK_BEFORE 0      /* the sibling before it */
#define VELK_AFTER 1       /* the sibling after it */
#define VELK_FIRST_CHILD 2 /* its first child */
#define VELK_LAST_CHILD 3  /* its last child */

/* The writable record behind a handle: for the functions of this header only. */
#define VELK_EDIT_NODE(handle) ((XmlNode *)(handle))

/* A text as the library keeps it: a NUL-terminated block of its own, or null
 * for the empty text. *failed is set when memory is exhausted. */
static inline const char *velk_edit_text(const char *text, int *failed) {
    size_t length = text ? strlen(text) : 0;
    char *block;
    if (length == 0) return 0;
    if (length > 0x7FFFFFFEu) {
        *failed = 1;
        return 0;
    }
    block = (char *)GetMem((int32_t)length + 1);
    if (!block) {
        *failed = 1;
        return 0;
    }
    memcpy(block, text, length);
    return block;
}

/* The last node of node's subtree on the creation chain: node itself when it
 * has no descendants there. The chain holds a subtree as one run in document
 * order, deeper than the node. */
static inline XmlNode *velk_edit_run_end(XmlNode *node) {
    const int32_t depth = node->depth;
    while (node->docNext && node->docNext->depth > depth)
        node = (XmlNode *)node->docNext;
    return node;
}

/* The node before node on the creation chain, found from the tree: the end
 * of the previous sibling's subtree, or the parent. Null when node is a
 * document's first node, or when that node does not lead to it (node is on
 * no chain of the document). */
static inline XmlNode *velk_edit_chain_before(XmlNode *node) {
    XmlNode *before =
        node->prevSibling ? velk_edit_run_end((XmlNode *)node->prevSibling) : (XmlNode *)node->parent;
    return before && before->docNext == node ? before : 0;
}

/* Whether node is on its document's chain where the tree puts it: a
 * document's first node, or one that the node before it leads to. */
static inline int velk_edit_on_chain(XmlNode *node) {
    return (!node->parent && !node->prevSibling) || velk_edit_chain_before(node);
}

/* A new text node of parent, or an element with tag (and a text child when
 * text is not empty), neither linked yet; null when memory is exhausted. */
static inline XmlNode *velk_edit_make(const XmlNode *parent, const char *tag, const char *text) {
    int failed = 0;
    XmlNode *node = (XmlNode *)GetMem((int32_t)sizeof(XmlNode));
    XmlNode *child = 0;
    if (!node) return 0;
    node->depth = parent ? parent->depth + 1 : 0;
    if (!tag) {
        node->nodeType = VELK_NODE_TEXT;
        node->closed = 1;
        node->tag = velk_edit_text(text, &failed);
    } else {
        node->nodeType = VELK_NODE_ELEMENT;
        node->tag = velk_edit_text(tag, &failed);
        if (!failed && text && *text) {
            child = velk_edit_make(node, 0, text);
            if (!child) failed = 1;
        }
    }
    if (failed || (tag && !node->tag)) {
        if (child) {
            FreeMem((void *)child->tag);
            FreeMem(child);
        }
        FreeMem((void *)node->tag);
        FreeMem(node);
        return 0;
    }
    if (child) {
        node->firstChild = child;
        child->parent = node;
        node->docNext = child;
    }
    return node;
}

/* Links node (with its text child, if any) into the tree under parent,
 * between prev and next siblings (either may be null), and into the chain
 * after before. An element that gains a child is written with an end tag. */
static inline void velk_edit_link(XmlNode *node, XmlNode *parent, XmlNode *prev, XmlNode *next,
                                  XmlNode *before) {
    XmlNode *last = node->firstChild ? (XmlNode *)node->firstChild : node;
    node->parent = parent;
    node->prevSibling = prev;
    node->nextSibling = next;
    if (prev)
        VELK_EDIT_NODE(prev)->nextSibling = node;
    else if (parent)
        parent->firstChild = node;
    if (next) VELK_EDIT_NODE(next)->prevSibling = node;
    if (parent && parent->nodeType == VELK_NODE_ELEMENT) parent->closed = 0;
    last->docNext = before->docNext;
    before->docNext = node;
}

/*
 * velk_root_element: the document's top-level element (the first one, when
 * there are several): doc itself or the first element among the top-level
 * nodes after it (the XML declaration, comments and instructions come
 * first). 0 when there is none or doc is 0.
 */
static inline velk_handle velk_root_element(velk_handle doc) {
    const XmlNode *node = VELK_XML_NODE(doc);
    while (node && node->nodeType != VELK_NODE_ELEMENT)
        node = node->nextSibling;
    return (velk_handle)node;
}

/*
 * velk_set_text: sets an element's text, the text of its first text child:
 * that child's text is replaced (and released), or, when the element has no
 * text child, a text child is added as its first child. An empty text (or
 * null) leaves an empty text child. A self-closed element ("<a/>") becomes
 * one with an end tag. Returns VELK_SUCCESS, or VELK_FAILURE with the tree
 * unchanged when memory is exhausted, element is 0 or no element, or its
 * place on the chain cannot be found (see WHERE IT WORKS).
 */
static inline int velk_set_text(velk_handle element, const char *text) {
    XmlNode *node = VELK_EDIT_NODE(element);
    XmlNode *child;
    int failed = 0;
    if (!node || node->nodeType != VELK_NODE_ELEMENT) return VELK_FAILURE;
    for (child = (XmlNode *)node->firstChild; child; child = (XmlNode *)child->nextSibling) {
        if (child->nodeType == VELK_NODE_TEXT) {
            const char *stored = velk_edit_text(text, &failed);
            if (failed) return VELK_FAILURE;
            FreeMem((void *)child->tag);
            child->tag = stored;
            return VELK_SUCCESS;
        }
    }
    if (!velk_edit_on_chain(node)) return VELK_FAILURE;
    child = velk_edit_make(node, 0, text);
    if (!child) return VELK_FAILURE;
    velk_edit_link(child, node, 0, (XmlNode *)node->firstChild, node);
    return VELK_SUCCESS;
}

/*
 * velk_new_element: a new element named tag, holding text when text is not
 * empty (one text child), put at a place relative to ref: VELK_BEFORE or
 * VELK_AFTER (a sibling of ref), VELK_FIRST_CHILD or VELK_LAST_CHILD (a
 * child of ref, which is then written with an end tag). Its depth is its
 * parent's + 1 (0 at the top level). Returns the element; 0, with the tree
 * unchanged, for ref 0, an empty tag, an unknown place, a child of a node
 * that is no element (a text, comment or instruction), a top-level
 * VELK_BEFORE ref that is the document's first node (the document is the
 * handle of that node), when memory is exhausted, or when the place on the
 * chain cannot be found (see WHERE IT WORKS).
 */
static inline velk_handle velk_new_element(velk_handle ref, int where, const char *tag, const char *text) {
    XmlNode *at = VELK_EDIT_NODE(ref);
    XmlNode *parent, *prev, *next, *before, *node;
    if (!at || !tag || !*tag) return 0;
    switch (where) {
    case VELK_BEFORE:
        parent = (XmlNode *)at->parent;
        prev = (XmlNode *)at->prevSibling;
        next = at;
        before = velk_edit_chain_before(at);
        break;
    case VELK_AFTER:
        parent = (XmlNode *)at->parent;
        prev = at;
        next = (XmlNode *)at->nextSibling;
        before = velk_edit_run_end(at);
        break;
    case VELK_FIRST_CHILD:
        parent = at;
        prev = 0;
        next = (XmlNode *)at->firstChild;
        before = at;
        break;
    case VELK_LAST_CHILD:
        parent = at;
        prev = (XmlNode *)at->firstChild;
        while (prev && prev->nextSibling)
            prev = (XmlNode *)prev->nextSibling;
        next = 0;
        before = velk_edit_run_end(at);
        break;
    default:
        return 0;
    }
    if (parent == at && at->nodeType != VELK_NODE_ELEMENT) return 0; /* only elements hold children */
    if (!before || (where != VELK_BEFORE && !velk_edit_on_chain(at))) return 0;
    node = velk_edit_make(parent, tag, text);
    if (!node) return 0;
    velk_edit_link(node, parent, prev, next, before);
    return (velk_handle)node;
}

/*
 * velk_remove: takes node out of its document, with its subtree: out of the
 * tree (its parent and siblings are linked past it) and off the creation
 * chain, and releases it, each node with its texts and attributes. Its
 * handle and its descendants' are dead afterwards. Nodes below it that are
 * on no chain of the document (linked in with xmlAddChild, made by
 * xmlAddSimpleChild) are not released: they stay their owner's. Returns VELK_SUCCESS, or
 * VELK_FAILURE with the tree unchanged for node 0, for the document's first
 * node (release the whole document with xmlFree), and when its place on the
 * chain cannot be found (see WHERE IT WORKS).
 */
static inline int velk_remove(velk_handle handle) {
    XmlNode *node = VELK_EDIT_NODE(handle);
    XmlNode *before, *end, *next;
    if (!node) return VELK_FAILURE;
    before = velk_edit_chain_before(node);
    if (!before) return VELK_FAILURE;
    end = velk_edit_run_end(node);
    if (node->prevSibling)
        VELK_EDIT_NODE(node->prevSibling)->nextSibling = node->nextSibling;
    else if (node->parent)
        VELK_EDIT_NODE(node->parent)->firstChild = node->nextSibling;
    if (node->nextSibling) VELK_EDIT_NODE(node->nextSibling)->prevSibling = node->prevSibling;
    before->docNext = end->docNext;
    end->docNext = 0;
    for (; node; node = next) {
        next = (XmlNode *)node->docNext;
        node->docNext = 0;
        xmlFree((velk_handle)node);
    }
    return VELK_SUCCESS;
}

/*
 * velk_remove_attrib: takes the first attribute named name off element (or
 * instruction) node and releases it, with its name and value. Returns
 * VELK_SUCCESS, or VELK_FAILURE with nothing changed for node 0, a null or
 * empty name, and a node without such an attribute. Its cost: the walk of
 * the node's attributes up to that one.
 */
static inline int velk_remove_attrib(velk_handle handle, const char *name) {
    XmlNode *node = VELK_EDIT_NODE(handle);
    const XmlAttrib **link;
    XmlAttrib *found;
    if (!node || !name || !*name) return VELK_FAILURE;
    for (link = &node->attribs; *link; link = (const XmlAttrib **)&(*link)->next)
        if ((*link)->name && strcmp((*link)->name, name) == 0) break;
    if (!*link) return VELK_FAILURE;
    found = (XmlAttrib *)*link;
    *link = found->next;
    FreeMem((void *)found->name);
    FreeMem((void *)found->value);
    FreeMem(found);
    return VELK_SUCCESS;
}

/*
 * VelkAppender: appends many children to one parent, each in constant time.
 * velk_appender_start walks the parent's children and subtree once; each
 * velk_append then adds an element (tag, and text when not empty) as the
 * parent's last child, as velk_new_element(parent, VELK_LAST_CHILD, ...)
 * would. Change the parent's children only through the appender while it is
 * in use. velk_appender_start answers VELK_FAILURE when the parent is 0 or
 * no element, or its place on the chain cannot be found; velk_append answers the element,
 * or 0 with the tree unchanged for an empty tag or when memory is
 * exhausted.
 */
typedef struct VelkAppender {
    XmlNode *parent;
    XmlNode *last; /* the parent's last child; null when it has none */
    XmlNode *end;  /* the last node of the parent's subtree on the chain */
} VelkAppender;

static inline int velk_appender_start(VelkAppender *appender, velk_handle parent) {
    XmlNode *node = VELK_EDIT_NODE(parent);
    appender->parent = appender->last = appender->end = 0;
    if (!node || node->nodeType != VELK_NODE_ELEMENT || !velk_edit_on_chain(node)) return VELK_FAILURE;
    appender->parent = node;
    appender->last = (XmlNode *)node->firstChild;
    appender->end = velk_edit_run_end(node);
    while (appender->last && appender->last->nextSibling)
        appender->last = (XmlNode *)appender->last->nextSibling;
    return VELK_SUCCESS;
}

static inline velk_handle velk_append(VelkAppender *appender, const char *tag, const char *text) {
    XmlNode *node;
    if (!appender->parent || !tag || !*tag) return 0;
    node = velk_edit_make(appender->parent, tag, text);
    if (!node) return 0;
    velk_edit_link(node, appender->parent, appender->last, 0, appender->end);
    appender->last = node;
    appender->end = node->firstChild ? (XmlNode *)node->firstChild : node;
    return (velk_handle)node;
}

#ifdef __cplusplus
}
#endif

#endif
