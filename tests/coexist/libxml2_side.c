/*
 * libxml2's side: the document read from memory and from the file, extended
 * with xmlNewChild and xmlAddChild, written with xmlDocDumpMemory, released
 * with xmlFree and xmlFreeDoc (which frees through libxml2's xmlFree
 * variable), and a truncated document reported through xmlGetLastError.
 * Built as a shared library for coexist_linked_first, and into the program
 * of coexist_plugin.
 */
#include <stdio.h>
#include <string.h>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include "coexist.h"

/* Writes doc, compares the text, and frees both. */
static int dumps_as(const char *what, xmlDocPtr doc, const char *expected) {
    if (!doc) {
        fprintf(stderr, "libxml2 %s: no document\n", what);
        return 0;
    }
    xmlChar *text = NULL;
    int size = 0;
    xmlDocDumpMemory(doc, &text, &size);
    int right = text && strcmp((const char *)text, expected) == 0;
    printf("libxml2 %s: %s", what, text ? (const char *)text : "(nothing)\n");
    if (!right) fprintf(stderr, "libxml2 %s: expected %s", what, expected);
    xmlFree(text);
    xmlFreeDoc(doc);
    return right;
}

__attribute__((visibility("default"))) int libxml2_side_check(const char *path) {
    int right = 1;
    const char *document = COEXIST_DOCUMENT;
    xmlDocPtr doc = xmlReadMemory(document, (int)strlen(document), "memory.xml", NULL, 0);
    if (doc) xmlNewChild(xmlDocGetRootElement(doc), NULL, BAD_CAST "price", BAD_CAST "8");
    right &= dumps_as("memory", doc,
                      "<?xml version=\"1.0\"?>\n"
                      "<catalog><book id=\"b1\">Sea</book><price>8</price></catalog>\n");

    doc = xmlParseFile(path);
    if (doc) {
        xmlNodePtr note = xmlNewNode(NULL, BAD_CAST "note");
        xmlNodeAddContent(note, BAD_CAST "a&b"); /* raw text, escaped when written */
        if (xmlAddChild(xmlDocGetRootElement(doc), note) != note) {
            fprintf(stderr, "libxml2: xmlAddChild did not link the node\n");
            xmlFreeNode(note);
            right = 0;
        }
    }
    right &= dumps_as("file", doc,
                      "<?xml version=\"1.0\"?>\n"
                      "<catalog><book id=\"b1\">Sea</book><note>a&amp;b</note></catalog>\n");

    xmlResetLastError();
    doc = xmlReadMemory("<catalog>", 9, "cut.xml", NULL, XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    const xmlError *error = xmlGetLastError();
    if (doc || !error || error->code == XML_ERR_OK) {
        fprintf(stderr, "libxml2: a truncated document raised no error\n");
        right = 0;
    } else {
        printf("libxml2 error: %d %s", error->code, error->message ? error->message : "\n");
    }
    xmlFreeDoc(doc);
    xmlResetLastError();
    return !right;
}
