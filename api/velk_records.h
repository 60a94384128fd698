/*
 * VELK_XML records: the memory layout behind the handles of api/velk_xml.h.
 *
 * A handle (velk_handle) is the address of one of these records. Callers that
 * read records directly, instead of through the exports, include this header
 * and look at a record through a const pointer:
 *
 *     const XmlNode *node = VELK_XML_NODE(handle);
 *     if (node->nodeType == VELK_NODE_ELEMENT && node->closed) ...
 *
 * READ-ONLY. The records belong to the library: never write a field, never
 * free a record or a text with anything but the exports (llFree, llDelete,
 * xmlFree ...). The one other code that writes records is api/velk_edit.h,
 * which edits documents in place through functions of its own. Every record
 * and every text is a fixed, zero-filled block of its own from the library's
 * GetMem; texts are NUL-terminated, and an empty text is always a null
 * pointer, never an empty block.
 *
 * Field widths. Texts and links are pointers, as wide as the target's: 4 bytes
 * in the 32-bit Windows DLL, 8 bytes in the 64-bit Windows DLL and on 64-bit
 * Linux. int32_t fields are 4 bytes everywhere. Each layout is the plain C
 * layout of its target (natural alignment, no packing); the library checks
 * at compile time that its own records match these field for field. Offsets
 * in bytes:
 *
 *   record / field    32-bit Windows    64-bit Windows and Linux
 *   ListNode          size 16           size 32
 *     data            0                 0
 *     name            4                 8
 *     capacity        8                 16 (then 4 bytes of padding)
 *     next            12                24
 *   XmlAttrib         size 16           size 32
 *     quote           0 (then 3 bytes)  0 (then 7 bytes of padding)
 *     name            4                 8
 *     value           8                 16
 *     next            12                24
 *   XmlNode           size 44           size 80
 *     nodeType        0                 0
 *     depth           4                 4
 *     closed          8                 8 (then 4 bytes of padding)
 *     tag             12                16
 *     comment         16                24
 *     attribs         20                32
 *     firstChild      24                40
 *     parent          28                48
 *     nextSibling     32                56
 *     prevSibling     36                64
 *     docNext         40                72
 */
#ifndef VELK_RECORDS_H
#define VELK_RECORDS_H

#include "velk_xml.h"

#ifdef __cplusplus
extern "C" {
#endif

/* One entry of a named list. A list is the handle of its first entry. */
typedef struct ListNode {
    /* The entry's data block. Entries added or updated through the plain
     * or z face hold capacity bytes and a NUL behind them; entries of the
     * b face hold exactly capacity bytes and no NUL. Null after an update
     * that ran out of memory. */
    const char *data;
    /* The normalised name (lower case, outer blanks removed), NUL-terminated;
     * null when the name is empty. */
    const char *name;
    /* The number of data bytes, without the NUL of the plain face. */
    int32_t capacity;
    /* The following entry; null for the last. */
    const struct ListNode *next;
} ListNode;

/* One attribute of an element or processing instruction. */
typedef struct XmlAttrib {
    /* The quote mark written around the value: '"' or '\''. Parsed
     * attributes keep the mark of their text; xmlSetAttrib uses '"'. */
    char quote;
    /* The name as parsed (entities undone) or as set (outer blanks removed);
     * NUL-terminated, null when empty. */
    const char *name;
    /* The value, raw (entities undone, never escaped); null when empty. */
    const char *value;
    /* The next attribute in document or insertion order; null at the end. */
    const struct XmlAttrib *next;
} XmlAttrib;

/* One node of an XML tree. A document is the handle of its first node. */
typedef struct XmlNode {
    /* VELK_NODE_ELEMENT, VELK_NODE_TEXT, VELK_NODE_COMMENT or
     * VELK_NODE_INSTRUCTION (api/velk_xml.h). */
    int32_t nodeType;
    /* Nesting depth: 0 at the top level, a child its parent's depth + 1 at
     * the time it was linked. The indented writer indents by it. */
    int32_t depth;
    /* 1: the node takes no children (a self-closed element such as <a />,
     * and every text, comment and instruction the parser made); 0: an open
     * element, written with an end tag. */
    int32_t closed;
    /* Element: its name. Text: the text, entities undone. Comment: "!--".
     * Instruction: "?" and its target ("?xml"). Null when empty. */
    const char *tag;
    /* Comment: its body as written between "<!--" and "-->". Null for the
     * other kinds and for an empty body. */
    const char *comment;
    /* The first attribute (elements and instructions); null when none. */
    const XmlAttrib *attribs;
    /* Tree links; null where there is no such node. */
    const struct XmlNode *firstChild;
    const struct XmlNode *parent;
    const struct XmlNode *nextSibling;
    const struct XmlNode *prevSibling;
    /* The next node that the same parse made, in document order (the chain
     * that xmlFree and xmlFindNode follow); null at its end and for nodes
     * that no parse made (xmlAddSimpleChild). */
    const struct XmlNode *docNext;
} XmlNode;

/* A handle as a read-only record. */
#define VELK_LIST_NODE(handle) ((const ListNode *)(handle))
#define VELK_XML_NODE(handle) ((const XmlNode *)(handle))
#define VELK_XML_ATTRIB(handle) ((const XmlAttrib *)(handle))

#ifdef __cplusplus
}
#endif

#endif
