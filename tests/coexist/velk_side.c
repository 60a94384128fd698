/*
 * This library's side: a document parsed from the file, a simple child
 * added, the tree written out, everything released with xmlFree, and a
 * missing file reported through xmlzLastError. Linked into the program of
 * coexist_linked_first, and built as the plugin of coexist_plugin.
 */
#include <stdio.h>
#include <string.h>

#include "coexist.h"
#include "velk_xml.h"

static int same(const char *what, const char *got, const char *expected) {
    printf("velk_xml %s: %s\n", what, got);
    if (strcmp(got, expected) == 0) return 1;
    fprintf(stderr, "velk_xml %s: expected %s\n", what, expected);
    return 0;
}

__attribute__((visibility("default"))) int velk_side_check(const char *path) {
    int right = 1;
    velk_handle doc = xmlzParseFile(path);
    velk_handle price = xmlzAddSimpleChild(doc, "price", "8");
    if (!doc || !price) {
        fprintf(stderr, "velk_xml: parsing %s or adding a child failed: %s\n", path, xmlzLastError());
        right = 0;
    } else {
        right &= same("tree", xmlzTreeToString(doc, VELK_COMPACT),
                      "<catalog><book id=\"b1\">Sea</book><price>8</price></catalog>");
    }
    /* The added element and its text are on no parse's chain: released alone. */
    xmlFree(xmlChild(price));
    xmlFree(price);
    xmlFree(doc);

    char missing[4200], message[4300];
    snprintf(missing, sizeof missing, "%s.missing", path);
    snprintf(message, sizeof message, "Cannot locate xml file %s", missing);
    if (xmlzParseFile(missing) != 0) {
        fprintf(stderr, "velk_xml: %s parsed\n", missing);
        right = 0;
    }
    right &= same("error", xmlzLastError(), message);
    return !right;
}
