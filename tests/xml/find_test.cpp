#include <gtest/gtest.h>

#include <random>

#include "xml_support.h"

using namespace velk_test;

namespace {

velk_handle find_node(velk_handle start, int depth, const char *tag, const char *attr = "",
                      const char *value = "") {
    return xmlzFindNode(start, depth, tag, attr, value);
}
velk_handle find_recursive(velk_handle start, int depth, std::string_view tag, std::string_view attr = "",
                           std::string_view value = "") {
    return xmlFindNodeRecursive(start, depth, bs(tag), bs(attr), bs(value));
}

} // namespace

TEST(XmlFind, NullHandleFindsNothing) {
    EXPECT_EQ(xmlFindNode(0, -1, bs("a"), nullptr, nullptr), 0u);
    EXPECT_EQ(xmlzFindNode(0, -1, "a", nullptr, nullptr), 0u);
    EXPECT_EQ(xmlFindNodeRecursive(0, -1, bs("a"), nullptr, nullptr), 0u);
    EXPECT_EQ(xmlFindChild(0, bs("a")), 0u);
    EXPECT_EQ(xmlzFindChild(0, "a"), 0u);
    EXPECT_EQ(xmlFindSpecificChild(0, bs("a"), nullptr, nullptr), 0u);
    EXPECT_EQ(xmlzFindSpecificChild(0, "a", nullptr, nullptr), 0u);
    EXPECT_EQ(xmlFindDataChild(0), 0u);
}

// Root R with children P and Q; P holds A, Q holds C. The creation chain runs
// on past the end of A's subtree, the tree links do not.
TEST(XmlFind, ChainSearchRunsPastTheSubtreeTreeSearchDoesNot) {
    velk_handle r = parse("<r><p><a/></p><q><c/></q></r>");
    velk_handle p = xmlzFindChild(r, "p"), q = xmlzFindChild(r, "q");
    velk_handle a = xmlzFindChild(p, "a"), c = xmlzFindChild(q, "c");
    ASSERT_TRUE(p && q && a && c);
    EXPECT_EQ(find_node(a, 2, "c"), c);
    EXPECT_EQ(find_node(a, -1, "c"), c);
    EXPECT_EQ(find_recursive(a, 2, "c"), 0u);
    EXPECT_EQ(find_recursive(a, -1, "c"), 0u);
    EXPECT_EQ(find_node(p, -1, "c"), c); // Q is P's following sibling
    EXPECT_EQ(find_recursive(p, -1, "c"), c);
    EXPECT_EQ(find_recursive(p, 2, "c"), c);
    // Neither climbs: from A, the shallower Q is skipped or never reached.
    EXPECT_EQ(find_node(a, -1, "q"), 0u);
    EXPECT_EQ(find_recursive(a, -1, "q"), 0u);
    xmlFree(r);
}

TEST(XmlFind, DepthArgument) {
    velk_handle r = parse("<r><i n='1'><i n='2'/></i><i n='3'/></r>");
    velk_handle i1 = xmlzFindChild(r, "i");
    EXPECT_EQ(find_node(r, -1, "r"), r); // the start node is the first candidate
    EXPECT_EQ(find_recursive(r, -1, "r"), r);
    EXPECT_EQ(find_node(i1, -1, "i"), i1);
    EXPECT_STREQ(xmlzAttribValue(find_node(i1, 2, "i"), "n"), "2");
    EXPECT_STREQ(xmlzAttribValue(find_recursive(r, 2, "i"), "n"), "2");
    EXPECT_STREQ(xmlzAttribValue(find_recursive(i1, 1, "i", "n", "3"), "n"), "3");
    // Deeper than the depth asked for: the search of that sibling chain ends.
    EXPECT_EQ(find_recursive(xmlzFindChild(i1, "i"), 1, "i"), 0u);
    for (int depth : {-2, -100}) {
        EXPECT_EQ(find_node(r, depth, "i"), 0u);
        EXPECT_EQ(find_recursive(r, depth, "i"), 0u);
    }
    EXPECT_EQ(find_node(xmlzFindChild(i1, "i"), 1, "i"), 0u); // shallower than the start
    EXPECT_EQ(find_recursive(xmlzFindChild(i1, "i"), 1, "i"), 0u);
    xmlFree(r);
}

TEST(XmlFind, TagsAndAttributeValues) {
    velk_handle r = parse("<r><item k='1'/><item k='2' j=''/><item/><Item k='2'/></r>");
    EXPECT_EQ(find_node(r, -1, "Item", "k", "1"), 0u);
    EXPECT_STREQ(xmlzGetTag(find_node(r, -1, "Item")), "Item");
    EXPECT_EQ(find_node(r, -1, ""), 0u);      // a stored tag is never empty
    EXPECT_EQ(find_node(r, -1, " item"), 0u); // deep searches do not trim the tag
    velk_handle second = find_node(r, -1, "item", "k", "2");
    EXPECT_STREQ(xmlzAttribValue(second, "j"), "");
    EXPECT_EQ(find_recursive(r, -1, "item", " k ", "2"), second); // the lookup trims the name
    // "" matches a missing attribute as well as an empty one.
    EXPECT_EQ(find_node(r, -1, "item", "j", ""), find_node(r, -1, "item", "k", "1"));
    EXPECT_EQ(xmlAttribCount(find_node(r, -1, "item", "k", "")), 0);
    EXPECT_EQ(find_node(r, -1, "item", "z", ""), find_node(r, -1, "item"));
    EXPECT_EQ(xmlFindSpecificChild(r, bs("item"), bs("k"), bs("2")), second);
    xmlFree(r);
}

TEST(XmlFind, ChildSearches) {
    velk_handle r = parse("<r>hello<?pi x?><!--c--><b/><a k='v'/> t </r>");
    velk_handle b = xmlzFindChild(r, "b");
    ASSERT_NE(b, 0u);
    EXPECT_EQ(xmlFindChild(r, bs("  b ")), b); // the asked tag is trimmed
    EXPECT_EQ(xmlzFindChild(r, "hello"), 0u);  // only elements
    EXPECT_EQ(xmlzFindChild(r, "?pi"), 0u);
    EXPECT_EQ(xmlzFindChild(r, "!--"), 0u);
    EXPECT_EQ(xmlzFindChild(r, "B"), 0u);
    // The specific search takes any kind, the stored text trimmed too.
    EXPECT_EQ(xmlNodeType(xmlzFindSpecificChild(r, "hello", "", "")), 1);
    EXPECT_EQ(xmlNodeType(xmlzFindSpecificChild(r, "!--", nullptr, nullptr)), 2);
    EXPECT_EQ(xmlNodeType(xmlzFindSpecificChild(r, "t", "", "")), 1);
    EXPECT_EQ(xmlzFindSpecificChild(r, "a", "k", "v"), xmlzFindChild(r, "a"));
    EXPECT_EQ(xmlzFindSpecificChild(r, "a", "", "v"), 0u);
    EXPECT_EQ(xmlFindSpecificChild(r, bs(" b "), bs("k"), bs("")), b);
    xmlFree(r);
}

TEST(XmlFind, DataChildDescendsFirstChildLinksOnly) {
    velk_handle e = parse("<e><x>in</x>later</e>");
    // The empty text before <x> is the data node, not the later text.
    velk_handle data = xmlFindDataChild(e);
    EXPECT_EQ(data, xmlChild(e));
    EXPECT_EQ(node_of(data)->tag, nullptr);
    velk_handle leaf = parse("<leaf/>");
    EXPECT_EQ(xmlFindDataChild(leaf), 0u);
    // An element linked in as the first child: the descent goes through it.
    velk_handle g = parse("<g>deep</g>");
    xmlAddChild(leaf, g);
    EXPECT_EQ(xmlFindDataChild(leaf), xmlChild(g));
    EXPECT_STREQ(xmlzChildData(leaf), "deep");
    xmlFree(e);
    xmlFree(leaf);
    xmlFree(g);
}

// From the first node of a parsed document the chain walk and the tree walk
// both visit in document order, so they agree for every tag and depth.
TEST(XmlFind, BothDeepSearchesAgreeFromTheRoot) {
    std::mt19937 rng(7);
    const char *tags[] = {"a", "b", "c", "d"};
    for (int round = 0; round < 40; ++round) {
        std::string text = "<?p x?><r>";
        std::vector<const char *> open;
        for (int step = 0; step < 60; ++step) {
            int choice = static_cast<int>(rng() % 4);
            const char *t = tags[rng() % 4];
            if (choice == 0 && !open.empty()) {
                text += std::string("</") + open.back() + ">";
                open.pop_back();
            } else if (choice == 1) {
                text += std::string("<") + t + " k='" + std::to_string(rng() % 3) + "'/>";
            } else if (choice == 2) {
                text += "x";
            } else {
                text += std::string("<") + t + ">";
                open.push_back(t);
            }
        }
        for (; !open.empty(); open.pop_back())
            text += std::string("</") + open.back() + ">";
        text += "</r>";
        velk_handle doc = parse(text);
        ASSERT_NE(doc, 0u) << text;
        for (int depth = -1; depth < 6; ++depth)
            for (const char *t : {"a", "b", "c", "d", "r", "e"}) {
                EXPECT_EQ(find_node(doc, depth, t), find_recursive(doc, depth, t)) << text << " " << t;
                EXPECT_EQ(find_node(doc, depth, t, "k", "1"), find_recursive(doc, depth, t, "k", "1"));
            }
        xmlFree(doc);
    }
}

TEST(XmlFind, MillionLevelsSearchedWithoutTheCallStack) {
    const int depth = 1000000;
    // Every level has a later sibling, so the tree walk has a million
    // sibling chains waiting while it searches the deepest level.
    std::string text;
    text.reserve(12 * depth);
    for (int i = 0; i < depth; ++i)
        text += "<a>";
    text += "<z/>";
    for (int i = 0; i < depth; ++i)
        text += "</a><s/>";
    velk_handle root = parse(text);
    ASSERT_NE(root, 0u) << xml_error();
    velk_handle z = find_recursive(root, -1, "z");
    ASSERT_NE(z, 0u);
    EXPECT_EQ(node_of(z)->depth, depth);
    EXPECT_EQ(find_node(root, -1, "z"), z);
    EXPECT_EQ(find_recursive(root, -1, "none"), 0u);
    EXPECT_EQ(find_recursive(root, 1, "s"), find_node(root, 1, "s"));
    EXPECT_EQ(node_of(find_recursive(root, 1, "s"))->depth, 1);
    xmlFree(root);
}
