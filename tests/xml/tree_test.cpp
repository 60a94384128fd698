#include <gtest/gtest.h>

#include "xml_support.h"

using namespace velk_test;

TEST(XmlTree, NullHandlesAreAnsweredNotFollowed) {
    EXPECT_EQ(xmlNodeType(0), -1);
    EXPECT_EQ(xmlChild(0), 0u);
    EXPECT_EQ(xmlParent(0), 0u);
    EXPECT_EQ(xmlNextSibling(0), 0u);
    xmlAddChild(0, 0);
    xmlFree(0);
    xmlFreePointers(0);
    velk_handle lone = parse("<x/>");
    xmlAddChild(0, lone); // no parent: nothing happens
    xmlAddChild(lone, 0); // no child: nothing happens
    EXPECT_EQ(xmlChild(lone), 0u);
    EXPECT_EQ(node_of(lone)->depth, 0);
    xmlFree(lone);
}

TEST(XmlTree, NavigationFollowsTheLinks) {
    velk_handle a = parse("<a><b>x</b></a>");
    ASSERT_NE(a, 0u);
    EXPECT_EQ(xmlNodeType(a), 0);
    velk_handle empty = xmlChild(a);
    EXPECT_EQ(xmlNodeType(empty), 1);
    EXPECT_EQ(node_of(empty)->tag, nullptr); // the text between <a> and <b>
    velk_handle b = xmlNextSibling(empty);
    EXPECT_EQ(tag(b), "b");
    EXPECT_EQ(xmlParent(b), a);
    EXPECT_EQ(tag(xmlChild(b)), "x");
    EXPECT_EQ(xmlParent(xmlChild(b)), b);
    velk_handle after = xmlNextSibling(b);
    EXPECT_EQ(node_of(after)->prevSibling, node_of(b));
    EXPECT_EQ(xmlNextSibling(after), 0u);
    EXPECT_EQ(xmlParent(a), 0u);
    xmlFree(a);
}

TEST(XmlTree, AddChildAppendsLastWithDepthOfParentPlusOne) {
    BlockWatch watch;
    velk_handle p = parse("<p>");
    velk_handle c[4] = {parse("<c1/>"), parse("<c2/>"), parse("<c3/>"), parse("<c4/>")};
    xmlAddChild(p, c[0]);
    EXPECT_EQ(xmlChild(p), c[0]);
    EXPECT_EQ(xmlParent(c[0]), p);
    EXPECT_EQ(node_of(c[0])->depth, 1);
    for (int i = 1; i < 4; ++i)
        xmlAddChild(p, c[i]);
    EXPECT_EQ(xmlNextSibling(c[2]), c[3]);
    EXPECT_EQ(node_of(c[3])->prevSibling, node_of(c[2]));
    EXPECT_EQ(xmlParent(c[3]), p);
    EXPECT_EQ(tree_text(p), "<p><c1 /><c2 /><c3 /><c4 /></p>");
    // Each parse owns its own chain: freeing p does not reach the children.
    xmlFree(p);
    for (velk_handle h : c)
        xmlFree(h);
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(XmlTree, AddChildMovesOnlyTheChildsOwnDepth) {
    velk_handle p = parse("<p>");
    velk_handle k = parse("<k><g/></k>");
    xmlAddChild(p, k);
    EXPECT_EQ(node_of(k)->depth, 1);
    EXPECT_EQ(node_of(xmlNextSibling(xmlChild(k)))->depth, 1); // g keeps its depth
    EXPECT_EQ(tree_text(p, 1), "<p>\r\n <k>\r\n <g />\r\n </k>\r\n</p>\r\n");
    xmlFree(p);
    xmlFree(k);
}

TEST(XmlTree, FreeReleasesTheWholeCreationChain) {
    BlockWatch watch;
    velk_handle root = parse("<?xml version='1.0'?><a x='1' y=\"2\"><!-- c --><b>t&amp;</b></a>");
    ASSERT_NE(root, 0u);
    EXPECT_GT(watch.leaked(), 10);
    xmlFree(root);
    EXPECT_EQ(watch.leaked(), 0);
    root = parse("<a></a>");
    xmlFreePointers(root);
    EXPECT_EQ(watch.leaked(), 0);
}
