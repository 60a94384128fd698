/* A caller of every string-passing shape of the interface, written without a
 * single cast between the counted strings of SysAllocStringByteLen and the
 * exports. It is only compiled (as C and as C++, every warning an error), so
 * that a header whose types disagree with oleaut32's fails the build. */
#include <stdio.h>
#include <string.h>

#if defined(_WIN32)
#include <windows.h>
#include <oleauto.h>
#endif

#include "velk_records.h"
#include "velk_xml.h"

#if defined(__cplusplus) && defined(_WIN32)
#include <type_traits>
static_assert(std::is_same<velk_bstr, BSTR>::value, "velk_bstr must be oleaut32's BSTR");
#endif

static velk_bstr make(const char *text) { return SysAllocStringByteLen(text, (unsigned)strlen(text)); }

static void print(velk_bstr s) {
    printf("%.*s\n", (int)SysStringByteLen(s), VELK_BSTR_BYTES(s));
    SysFreeString(s);
}

/* Binding by name: each pointer type takes its export without a cast. */
static llAdd_fn bound_add = llAdd;
static xmlParse_fn bound_parse = xmlParse;
static xmlFindNode_fn bound_find = xmlFindNode;
static llFindSmallest_fn bound_smallest = llFindSmallest;

int main(void) {
    velk_handle list, doc, node, before = 0;
    velk_bstr text = make("<a x='1'><b>t</b></a>");
    void *block;
    const XmlNode *record;

    list = bound_add(0, make("Colour"), make("blue"));
    llbAdd(list, make("raw"), make("\001\002"));
    print(llData(list));
    print(llbDataByName(list, make("raw")));
    llUpdate(list, make("green"));
    llSort(list, VELK_SORT_TEXT);
    node = bound_smallest(list, VELK_SORT_NUMERIC, &before);
    print(llName(node));
    block = GetAsciiz(make("kept"));
    FreeMem(block);

    doc = bound_parse(&text); /* by reference: the string stays the caller's */
    record = VELK_XML_NODE(doc);
    if (record && record->nodeType == VELK_NODE_ELEMENT && xmlNodeType(doc) == VELK_NODE_ELEMENT)
        print(xmlTreeToString(doc, VELK_INDENTED));
    node = bound_find(doc, VELK_ANY_DEPTH, make("b"), NULL, NULL);
    print(xmlChildData(node));
    if (xmlSetAttrib(doc, make("y"), make("2")) == VELK_SUCCESS) print(xmlAttribToString(doc));
    print(xmlClean(make("<&>")));
    if (!xmlTreeToFile(doc, make("out.xml"), VELK_KEEP_EXISTING)) print(xmlLastError());
    print(xmlFromList(list, make("colours")));

    SysFreeString(text);
    xmlFree(doc);
    llFree(list);
    return 0;
}
