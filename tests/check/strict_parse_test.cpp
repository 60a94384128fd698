// The strict parse of library callers: a text that the check refuses is not
// parsed, and the first finding comes back placed as editors count; one that
// passes is the library's parse.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "file_support.h"
#include "support.h"
#include "velk_check.h"

namespace {

const std::string kConfig =
    "<?xml version=\"1.0\"?>\r\n<config>\r\n  <server port=\"8080\">\r\n"
    "    <timeout>10</timeout>\r\n    <name>main &amp; only</name>\r\n  </server>\r\n"
    "  <client retries=\"3\">\r\n    <timeout>5</timeout>\r\n  </client>\r\n</config>\r\n";

TEST(StrictParse, AWellFormedTextIsTheLibrarysParse) {
    velk_test::BlockWatch blocks;
    VelkCheckResult result;
    const velk_handle doc = velk_parse_strict(kConfig.data(), kConfig.size(), &result);
    ASSERT_NE(doc, velk_handle(0));
    EXPECT_EQ(result.ok, 1);
    EXPECT_STREQ(result.message, "");
    EXPECT_EQ(velk_test::take(xmlTreeToString(doc, 0)), kConfig.substr(0, kConfig.size() - 2));
    xmlFree(doc);
    EXPECT_EQ(velk_check_text(kConfig.data(), kConfig.size(), nullptr), 1);
    EXPECT_EQ(blocks.leaked(), 0);
}

TEST(StrictParse, ACutTextIsRefusedWithItsFirstFinding) {
    // Cut after its first section, the lenient parse takes it for a document
    // with a section fewer; the strict one refuses it.
    const std::string cut = kConfig.substr(0, kConfig.find("  <client"));
    const velk_handle lenient = xmlzParse(cut.c_str());
    EXPECT_NE(lenient, velk_handle(0));
    xmlFree(lenient);
    VelkCheckResult result;
    EXPECT_EQ(velk_parse_strict(cut.data(), cut.size(), &result), velk_handle(0));
    EXPECT_EQ(result.ok, 0);
    EXPECT_EQ(result.limit, 0);
    EXPECT_EQ(result.line, 2);
    EXPECT_EQ(result.column, 1);
    EXPECT_STREQ(result.message, "element 'config' is not closed at the end of the input");
}

TEST(StrictParse, FindingsArePlacedAsEditorsCount) {
    const struct {
        std::string text;
        int line, column, limit;
        const char *message;
    } cases[] = {
        {"<r>\n\r\n\r <a></b></r>", 4, 5, 0, "end tag 'b' where element 'a' is open"},
        {"<r><![CDATA[x]]></r>", 1, 4, 1,
         "CDATA sections are not read: the parser takes '<![CDATA[' for the start of an element, not text"},
        {"", 0, 0, 0, "no top-level element"},
        {std::string("<r>\0</r>", 8), 1, 4, 0, "character U+0000 is not allowed in XML"},
    };
    for (const auto &c : cases) {
        VelkCheckResult result;
        EXPECT_EQ(velk_check_text(c.text.data(), c.text.size(), &result), 0) << c.text;
        EXPECT_EQ(result.line, c.line) << c.text;
        EXPECT_EQ(result.column, c.column) << c.text;
        EXPECT_EQ(result.limit, c.limit) << c.text;
        EXPECT_STREQ(result.message, c.message);
        EXPECT_EQ(velk_parse_strict(c.text.data(), c.text.size(), &result), velk_handle(0));
    }
}

TEST(StrictParse, AFileIsReadWhole) {
    velk_test::TempDir dir;
    const std::string file = dir.file("config.xml");
    velk_test::write_file(file, kConfig);
    VelkCheckResult result;
    const velk_handle doc = velk_parse_file_strict(file.c_str(), &result);
    ASSERT_NE(doc, velk_handle(0));
    xmlFree(doc);
    velk_test::write_file(file, kConfig.substr(0, kConfig.find("  <client")));
    EXPECT_EQ(velk_parse_file_strict(file.c_str(), &result), velk_handle(0));
    EXPECT_EQ(result.line, 2);
    const std::string missing = dir.file("none.xml");
    EXPECT_EQ(velk_parse_file_strict(missing.c_str(), &result), velk_handle(0));
    EXPECT_EQ(result.line, 0);
    EXPECT_EQ(std::string(result.message).rfind("cannot read " + missing + ": ", 0), 0u) << result.message;
}

} // namespace
