// Reads the records behind handles the way a caller does, through the public
// api/velk_records.h, and checks them against what the exports answer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support.h"
#include "velk_records.h"

using namespace velk_test;

namespace {

std::string text(const char *stored) { return stored ? stored : ""; }

} // namespace

TEST(Records, ListEntriesReadAsTheExportsDescribeThem) {
    velk_handle list = llzAdd(0, "  Colour ", "blue");
    velk_handle raw = llbAdd(list, bs("Raw"), bs(std::string("\1\0\2", 3)));
    velk_handle empty = llzAdd(raw, "   ", "");
    const ListNode *first = VELK_LIST_NODE(list);
    EXPECT_EQ(text(first->name), "colour");
    EXPECT_EQ(first->capacity, 4);
    EXPECT_EQ(std::memcmp(first->data, "blue", 5), 0); // the plain and z faces keep a NUL behind
    ASSERT_EQ(first->next, VELK_LIST_NODE(raw));
    EXPECT_EQ(first->next->capacity, 3); // the b face: exactly the bytes
    EXPECT_EQ(std::memcmp(first->next->data, "\1\0\2", 3), 0);
    const ListNode *last = VELK_LIST_NODE(empty);
    EXPECT_EQ(last->name, nullptr); // an empty name is no name
    EXPECT_EQ(last->capacity, 0);
    EXPECT_EQ(last->next, nullptr);
    llFree(list);
}

TEST(Records, TreeNodesAndAttributesReadAsTheExportsDescribeThem) {
    velk_handle doc = xmlzParse("<?xml version='1.0'?><r a=\"x&amp;y\" b=''><!-- c --><e/>t&lt;</r>");
    ASSERT_NE(doc, 0u);
    const XmlNode *pi = VELK_XML_NODE(doc);
    EXPECT_EQ(pi->nodeType, VELK_NODE_INSTRUCTION);
    EXPECT_EQ(text(pi->tag), "?xml");
    ASSERT_NE(pi->attribs, nullptr);
    EXPECT_EQ(pi->attribs->quote, '\'');
    // The document is the instruction; the root element follows it after
    // the (empty) text between them.
    const XmlNode *between = pi->nextSibling;
    ASSERT_NE(between, nullptr);
    EXPECT_EQ(between->nodeType, VELK_NODE_TEXT);
    EXPECT_EQ(between->tag, nullptr); // an empty text is no block
    const XmlNode *root = VELK_XML_NODE(xmlzFindNode(doc, VELK_ANY_DEPTH, "r", "", ""));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(between->nextSibling, root);
    EXPECT_EQ(root->prevSibling, between);
    EXPECT_EQ(root->parent, nullptr);
    EXPECT_EQ(root->depth, 0);
    EXPECT_EQ(root->closed, 0);
    EXPECT_EQ(pi->docNext, between); // the creation chain in document order
    EXPECT_EQ(between->docNext, root);
    const XmlAttrib *a = root->attribs;
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(VELK_XML_ATTRIB(xmlzAttribExists(reinterpret_cast<velk_handle>(root), "a")), a);
    EXPECT_EQ(text(a->name), "a");
    EXPECT_EQ(text(a->value), "x&y"); // stored raw
    EXPECT_EQ(a->quote, '"');
    ASSERT_NE(a->next, nullptr);
    EXPECT_EQ(a->next->value, nullptr); // an empty value is no block
    // A text (empty here) at every "<" after a ">": text, comment, text,
    // element, text.
    const XmlNode *kids[5];
    const XmlNode *n = root->firstChild;
    for (const XmlNode *&kid : kids) {
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(n->parent, root);
        EXPECT_EQ(n->depth, 1);
        kid = n;
        n = n->nextSibling;
    }
    EXPECT_EQ(n, nullptr);
    EXPECT_EQ(kids[0]->nodeType, VELK_NODE_TEXT);
    EXPECT_EQ(kids[0]->tag, nullptr);
    EXPECT_EQ(kids[1]->nodeType, VELK_NODE_COMMENT);
    EXPECT_EQ(text(kids[1]->tag), "!--");
    EXPECT_EQ(text(kids[1]->comment), " c ");
    EXPECT_EQ(kids[2]->tag, nullptr);
    EXPECT_EQ(kids[3]->nodeType, VELK_NODE_ELEMENT);
    EXPECT_EQ(kids[3]->closed, 1);
    EXPECT_EQ(text(kids[4]->tag), "t<");
    for (const XmlNode *kid : kids)
        EXPECT_EQ(kid->nodeType, xmlNodeType(reinterpret_cast<velk_handle>(kid)));
    EXPECT_EQ(xmlNodeType(0), VELK_NODE_NONE);
    xmlFree(doc);
}
