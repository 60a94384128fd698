#include <gtest/gtest.h>

#include "sweep/sweep.h"
#include "xml_support.h"

using namespace velk_test;

namespace {

std::string value(velk_handle node, std::string_view name) { return take(xmlAttribValue(node, bs(name))); }
std::string name_at(velk_handle node, int position) { return take(xmlAttribName(node, position)); }

} // namespace

TEST(XmlAttrib, NamesAreTrimmedOfBlanksAndCaseSensitive) {
    velk_handle n = parse("<n/>");
    EXPECT_EQ(xmlSetAttrib(n, bs("  id "), bs("7")), 1);
    EXPECT_EQ(value(n, "id"), "7");
    EXPECT_EQ(name_at(n, 1), "id");
    EXPECT_EQ(xmlAttribExists(n, bs("  id")), reinterpret_cast<velk_handle>(node_of(n)->attribs));
    EXPECT_EQ(value(n, "ID"), "");
    EXPECT_EQ(xmlAttribExists(n, bs("\tid")), 0u); // only blanks are removed
    EXPECT_EQ(xmlzAttribExists(n, "id "), xmlAttribExists(n, bs("id")));
    EXPECT_EQ(node_of(n)->attribs->quote, '"');
    xmlFree(n);
}

TEST(XmlAttrib, SetReplacesInPlaceOrAppends) {
    velk_handle n = parse("<n/>");
    xmlzSetAttrib(n, "a", "1");
    xmlzSetAttrib(n, "b", "2");
    xmlzSetAttrib(n, "a", " 3 ");
    EXPECT_EQ(xmlAttribCount(n), 2);
    EXPECT_EQ(name_at(n, 1), "a");
    EXPECT_EQ(name_at(n, 2), "b");
    EXPECT_EQ(value(n, "a"), " 3 "); // values keep their blanks
    // An empty value is an attribute all the same, stored as null.
    EXPECT_EQ(xmlSetAttrib(n, bs("e"), nullptr), 1);
    EXPECT_NE(xmlzAttribExists(n, "e"), 0u);
    EXPECT_EQ(xmlAttribCount(n), 3);
    EXPECT_STREQ(xmlzAttribValue(n, "e"), "");
    EXPECT_EQ(reinterpret_cast<XmlAttrib *>(xmlzAttribExists(n, "e"))->value, nullptr);
    // A blank name changes nothing.
    EXPECT_EQ(xmlSetAttrib(n, bs("   "), bs("x")), 0);
    EXPECT_EQ(xmlzSetAttrib(n, nullptr, "x"), 0);
    EXPECT_EQ(xmlAttribCount(n), 3);
    xmlFree(n);
}

TEST(XmlAttrib, PositionsOutsideTheChainGiveEmptyText) {
    velk_handle n = parse("<n a='1' b='2'/>");
    EXPECT_EQ(xmlAttribName(n, 0), nullptr);
    EXPECT_EQ(xmlAttribName(n, -1), nullptr);
    EXPECT_EQ(xmlAttribName(n, 3), nullptr);
    EXPECT_STREQ(xmlzAttribName(n, 2), "b");
    EXPECT_STREQ(xmlzAttribName(n, 9), "");
    xmlFree(n);
}

TEST(XmlAttrib, DuplicatesAnswerWithTheFirst) {
    velk_handle n = parse("<n x='1' x=\"2\"/>");
    EXPECT_EQ(value(n, "x"), "1");
    EXPECT_EQ(xmlSetAttrib(n, bs("x"), bs("9")), 1);
    EXPECT_EQ(take(xmlAttribToString(n)), " x='9' x=\"2\""); // place and quote kept
    xmlFree(n);
}

TEST(XmlAttrib, NullHandleAndNullName) {
    EXPECT_EQ(xmlAttribExists(0, bs("a")), 0u);
    EXPECT_EQ(xmlzAttribExists(0, "a"), 0u);
    EXPECT_EQ(xmlAttribCount(0), 0);
    EXPECT_EQ(xmlAttribName(0, 1), nullptr);
    EXPECT_STREQ(xmlzAttribName(0, 1), "");
    EXPECT_EQ(xmlAttribValue(0, bs("a")), nullptr);
    EXPECT_STREQ(xmlzAttribValue(0, "a"), "");
    EXPECT_EQ(xmlSetAttrib(0, bs("a"), bs("1")), 0);
    EXPECT_EQ(xmlzSetAttrib(0, "a", "1"), 0);
    EXPECT_EQ(xmlAttribToString(0), nullptr);
    EXPECT_STREQ(xmlzAttribToString(0), "");
    velk_handle n = parse("<n a='1'/>");
    const char *empty = xmlzAttribValue(n, nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty, "");
    xmlFree(n);
}

TEST(XmlAttrib, RefusedMemoryLeavesTheNodeAsItWas) {
    FailureReset reset;
    BlockWatch watch;
    velk_handle n = parse("<n a='old'/>");
    // Each block of a new attribute refused in turn (its value, record and
    // name), and then the one new value of an existing attribute.
    unsigned swept = sweep::sweep_allocations("attributes", [&](sweep::AllocationFault &fault) {
        fault.arm();
        int32_t set = xmlzSetAttrib(n, "b", "new");
        if (fault.disarm()) {
            EXPECT_EQ(set, 0);
            velk::testing::fail_allocation(1);
            EXPECT_EQ(xmlzSetAttrib(n, "a", "new"), 0);
            velk::testing::fail_allocation(0);
            EXPECT_EQ(take(xmlAttribToString(n)), " a='old'");
        } else { // the last run: nothing refused
            EXPECT_EQ(set, 1);
        }
    });
    EXPECT_GE(swept, 3u);
    EXPECT_EQ(xmlzSetAttrib(n, "b", "new"), 1);
    EXPECT_EQ(take(xmlAttribToString(n)), " a='old' b=\"new\"");
    xmlFree(n);
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(XmlAttrib, TextWritesEachNamedAttributeWithItsQuote) {
    velk_handle n = parse("<n a=\"1\" b=\"\" c='x&lt;y'/>");
    EXPECT_EQ(take(xmlAttribToString(n)), " a=\"1\" b=\"\" c='x&lt;y'");
    EXPECT_STREQ(xmlzAttribToString(n), " a=\"1\" b=\"\" c='x&lt;y'");
    xmlFree(n);
    n = parse("<n/>");
    EXPECT_EQ(xmlAttribToString(n), nullptr); // not a blank
    // Names and values are escaped alike; set attributes use ".
    xmlzSetAttrib(n, "x&y", "&<>\"'");
    EXPECT_EQ(take(xmlAttribToString(n)), " x&amp;y=\"&amp;&lt;&gt;&quot;&apos;\"");
    xmlFree(n);
    // A name that the parser unescaped to "<" is written so that it reads back.
    n = parse("<n a&lt;b='1'/>");
    std::string text = take(xmlTreeToString(n, 0));
    EXPECT_EQ(text, "<n a&lt;b='1' />");
    velk_handle again = parse(text);
    EXPECT_EQ(take(xmlAttribName(again, 1)), "a<b");
    xmlFree(again);
    xmlFree(n);
}
