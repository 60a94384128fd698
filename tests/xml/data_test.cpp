#include <gtest/gtest.h>

#include "xml_support.h"

using namespace velk_test;

namespace {

int child_count(velk_handle node) {
    int n = 0;
    for (velk_handle c = xmlChild(node); c; c = xmlNextSibling(c))
        ++n;
    return n;
}

// Simple children are on no creation chain: the caller releases the element
// and its text node once the tree is gone.
void free_simple_child(velk_handle element) {
    xmlFree(xmlChild(element));
    xmlFree(element);
}

} // namespace

TEST(XmlData, NullHandleReadsEmpty) {
    EXPECT_EQ(xmlGetTag(0), nullptr);
    EXPECT_STREQ(xmlzGetTag(0), "");
    EXPECT_EQ(xmlChildData(0), nullptr);
    EXPECT_STREQ(xmlzChildData(0), "");
    EXPECT_EQ(xmlExtractSimpleChildData(0, bs("a")), nullptr);
    EXPECT_STREQ(xmlzExtractSimpleChildData(0, "a"), "");
    EXPECT_EQ(xmlGetChildTagData(0, bs("a")), nullptr);
    EXPECT_STREQ(xmlzGetChildTagData(0, "a"), "");
    EXPECT_EQ(xmlAddSimpleChild(0, bs("a"), bs("1")), 0u);
    EXPECT_EQ(xmlzAddSimpleChild(0, "a", "1"), 0u);
}

TEST(XmlData, TagOfEveryKind) {
    velk_handle doc = parse("<?xml v='1'?><r>a&amp;b<!--c--></r>");
    velk_handle r = xmlzFindNode(doc, -1, "r", "", "");
    EXPECT_EQ(take(xmlGetTag(doc)), "?xml");
    EXPECT_EQ(take(xmlGetTag(r)), "r");
    EXPECT_EQ(take(xmlGetTag(xmlChild(r))), "a&b");
    EXPECT_STREQ(xmlzGetTag(xmlNextSibling(xmlChild(r))), "!--");
    velk_handle empty = parse("<e></e>");
    EXPECT_EQ(xmlGetTag(xmlChild(empty)), nullptr);
    xmlFree(doc);
    xmlFree(empty);
}

TEST(XmlData, ChildDataIsTheTextBeforeTheFirstChildTag) {
    velk_handle doc = parse("<r><e><c>in</c>after</e><f> f <g>x</g></f><h/></r>");
    EXPECT_EQ(take(xmlChildData(xmlzFindChild(doc, "e"))), "");
    EXPECT_EQ(take(xmlChildData(xmlzFindChild(doc, "f"))), " f ");
    EXPECT_STREQ(xmlzChildData(xmlzFindChild(doc, "h")), ""); // no children
    xmlFree(doc);
}

TEST(XmlData, ReadsByTagFollowTheCreationChain) {
    velk_handle doc = parse("<a>top<a>inner</a><b>b1</b></a>");
    // The search starts with the node itself ...
    EXPECT_EQ(take(xmlGetChildTagData(doc, bs("a"))), "top");
    // ... or one level below it.
    EXPECT_EQ(take(xmlExtractSimpleChildData(doc, bs("a"))), "inner");
    EXPECT_STREQ(xmlzExtractSimpleChildData(doc, "b"), "b1");
    EXPECT_STREQ(xmlzGetChildTagData(doc, " b"), ""); // the tag is not trimmed
    EXPECT_STREQ(xmlzGetChildTagData(doc, "B"), "");
    xmlFree(doc);
    // One level below the node's depth, past the end of its subtree.
    doc = parse("<r><p/><q><x>qx</x></q></r>");
    EXPECT_STREQ(xmlzExtractSimpleChildData(xmlzFindChild(doc, "p"), "x"), "qx");
    xmlFree(doc);
}

TEST(XmlData, SimpleChildHoldsItsDataRaw) {
    velk_handle doc = parse("<r>t</r>");
    velk_handle e = xmlAddSimpleChild(doc, bs("  item "), bs(" x<y "));
    ASSERT_NE(e, 0u);
    EXPECT_EQ(take(xmlGetTag(e)), "item");
    EXPECT_EQ(take(xmlChildData(e)), " x<y ");
    EXPECT_EQ(xmlzFindChild(doc, "item"), e);
    EXPECT_EQ(xmlFindChild(doc, bs("item ")), e);
    XmlNode *element = node_of(e), *text = node_of(xmlChild(e));
    EXPECT_EQ(element->depth, 1);
    EXPECT_EQ(element->closed, 0);
    EXPECT_EQ(text->nodeType, 1);
    EXPECT_EQ(text->depth, 2);
    EXPECT_EQ(text->closed, 0);
    EXPECT_EQ(element->docNext, nullptr);
    EXPECT_EQ(text->docNext, nullptr);
    EXPECT_EQ(tree_text(doc), "<r>t<item> x&lt;y </item></r>");
    xmlFree(doc);
    free_simple_child(e);
}

TEST(XmlData, SimpleChildrenAppendInCallOrder) {
    velk_handle doc = parse("<r><old/></r>");
    velk_handle first = xmlzAddSimpleChild(doc, "k", "1");
    velk_handle second = xmlzAddSimpleChild(doc, "k", "2");
    velk_handle empty = xmlzAddSimpleChild(doc, "e", nullptr);
    ASSERT_TRUE(first && second && empty);
    EXPECT_EQ(child_count(doc), 6); // text, old, text, k, k, e
    EXPECT_EQ(xmlNextSibling(first), second);
    EXPECT_EQ(node_of(second)->prevSibling, node_of(first));
    EXPECT_STREQ(xmlzChildData(second), "2");
    EXPECT_EQ(node_of(xmlChild(empty))->tag, nullptr);
    EXPECT_STREQ(xmlzChildData(empty), "");
    // A data text holding a NUL reads back up to it.
    velk_handle nul = xmlAddSimpleChild(doc, bs("n"), bs(std::string("ab\0cd", 5)));
    EXPECT_EQ(take(xmlChildData(nul)), "ab");
    xmlFree(doc);
    for (velk_handle h : {first, second, empty, nul})
        free_simple_child(h);
}

TEST(XmlData, RefusedSimpleChildAddsNothing) {
    velk_handle doc = parse("<r/>");
    std::string before = dump(doc);
    EXPECT_EQ(xmlAddSimpleChild(doc, bs("   "), bs("x")), 0u);
    EXPECT_EQ(xmlzAddSimpleChild(doc, nullptr, "x"), 0u);
    EXPECT_EQ(dump(doc), before);
    xmlFree(doc);
}

// Simple children are reached by the tree links only: the reads by tag walk
// the creation chain and do not see them.
TEST(XmlData, SimpleChildrenAreOnNoCreationChain) {
    velk_handle doc = parse("<r><p>1</p></r>");
    velk_handle e = xmlzAddSimpleChild(doc, "added", "new");
    EXPECT_STREQ(xmlzExtractSimpleChildData(doc, "added"), "");
    EXPECT_STREQ(xmlzGetChildTagData(doc, "added"), "");
    EXPECT_EQ(xmlzFindNode(doc, -1, "added", "", ""), 0u);
    EXPECT_EQ(xmlzFindNode(e, -1, "added", "", ""), e); // unless started there
    EXPECT_EQ(xmlFindNodeRecursive(doc, -1, bs("added"), nullptr, nullptr), e);
    EXPECT_STREQ(xmlzChildData(e), "new");
    EXPECT_STREQ(xmlzChildData(xmlzFindChild(doc, "added")), "new");
    EXPECT_EQ(xmlzFindSpecificChild(doc, "added", "", ""), e);
    EXPECT_STREQ(xmlzGetChildTagData(doc, "p"), "1");
    xmlFree(doc);
    free_simple_child(e);
}

TEST(XmlData, SimpleChildOutOfMemoryLeavesTreeAndMemoryAsTheyWere) {
    FailureReset reset;
    velk_handle doc = parse("<r>t</r>");
    std::string before = dump(doc);
    // Blocks in order: element, text node, tag, data.
    for (unsigned n = 1; n <= 4; ++n) {
        BlockWatch watch;
        velk::testing::fail_allocation(n);
        EXPECT_EQ(xmlzAddSimpleChild(doc, "k", "v"), 0u) << n;
        velk::testing::fail_allocation(0);
        EXPECT_EQ(watch.leaked(), 0) << n;
        EXPECT_EQ(dump(doc), before) << n;
    }
    velk::testing::fail_allocation(5);
    velk_handle e = xmlzAddSimpleChild(doc, "k", "v");
    velk::testing::fail_allocation(0);
    EXPECT_STREQ(xmlzChildData(e), "v");
    xmlFree(doc);
    free_simple_child(e);
}
