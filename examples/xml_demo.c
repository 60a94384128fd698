/* Reads an XML file, prints its tree, changes one attribute of every element
 * that has an "id" (b1 becomes book-b1 on a <book>), and writes the changed
 * document to a new file.
 *
 *   velk_xml_demo IN.xml OUT.xml
 *
 * Uses the z functions, which take and return C strings. Their results live
 * in one buffer per thread that the next z call of the XML family replaces,
 * so a result that must outlive the next call is copied first. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "velk_xml.h"

static char *copy_text(const char *text) {
    size_t size = strlen(text) + 1;
    char *copy = malloc(size);
    if (copy) memcpy(copy, text, size);
    return copy;
}

static int blank_only(const char *text) {
    for (; *text; ++text)
        if (!strchr(" \t\r\n", *text)) return 0;
    return 1;
}

/* One line for a node: a tag with its attributes (values as stored, not
 * escaped), or a text in quotes. */
static int show(velk_handle node, int depth) {
    int32_t kind = xmlNodeType(node);
    if (kind == VELK_NODE_TEXT) {
        const char *text = xmlzGetTag(node);
        if (!blank_only(text)) printf("%*s\"%s\"\n", depth * 2, "", text);
        return 1;
    }
    if (kind == VELK_NODE_COMMENT) {
        printf("%*s(comment)\n", depth * 2, "");
        return 1;
    }
    /* An element, or a processing instruction, whose tag starts with "?". */
    printf("%*s<%s", depth * 2, "", xmlzGetTag(node));
    for (int32_t i = 1; i <= xmlAttribCount(node); ++i) {
        char *name = copy_text(xmlzAttribName(node, i)); /* the value's call replaces it */
        if (!name) return 0;
        printf(" %s=\"%s\"", name, xmlzAttribValue(node, name));
        free(name);
    }
    printf(kind == VELK_NODE_INSTRUCTION ? "?>\n" : ">\n");
    return 1;
}

/* id="b1" on <book> becomes id="book-b1". */
static int change_id(velk_handle node) {
    if (xmlNodeType(node) != VELK_NODE_ELEMENT || !xmlzAttribExists(node, "id")) return 1;
    char *tag = copy_text(xmlzGetTag(node));
    char *id = copy_text(xmlzAttribValue(node, "id"));
    char *changed = tag && id ? malloc(strlen(tag) + strlen(id) + 2) : NULL;
    int ok = changed != NULL;
    if (ok) {
        sprintf(changed, "%s-%s", tag, id);
        ok = xmlzSetAttrib(node, "id", changed);
    }
    free(changed);
    free(id);
    free(tag);
    return ok;
}

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: velk_xml_demo IN.xml OUT.xml\n");
        return 2;
    }
    /* The document is the handle of its first node; 0 means it failed. */
    velk_handle doc = xmlzParseFile(argv[1]);
    if (!doc) {
        fprintf(stderr, "%s: %s\n", argv[1], xmlzLastError());
        return 1;
    }

    /* Depth first through the tree links, without recursion: down to the
     * first child, else on to the next sibling of the nearest node that has
     * one. */
    int ok = 1, depth = 0;
    velk_handle node = doc;
    while (node && ok) {
        ok = show(node, depth) && change_id(node);
        if (xmlChild(node)) {
            node = xmlChild(node);
            ++depth;
            continue;
        }
        while (node && !xmlNextSibling(node)) {
            node = xmlParent(node);
            --depth;
        }
        if (node) node = xmlNextSibling(node);
    }
    if (!ok) {
        fprintf(stderr, "out of memory\n");
        xmlFree(doc);
        return 1;
    }

    /* The whole document, compact; an existing file is never replaced. */
    if (!xmlzNodeToFile(doc, argv[2])) {
        fprintf(stderr, "%s\n", xmlzLastError());
        xmlFree(doc);
        return 1;
    }
    printf("written: %s\n", argv[2]);
    xmlFree(doc); /* from the first node: every node the parse made */
    return 0;
}
