#include <gtest/gtest.h>

#include <string>

#include "xml_support.h"

using namespace velk_test;

namespace {

const char kCompact[] = "<?xml version='1.0'?><root a=\"1\"><item>x&lt;y</item><empty /></root>";

} // namespace

TEST(XmlWriter, CompactAndIndentedForms) {
    velk_handle doc = parse(kCompact);
    EXPECT_EQ(tree_text(doc), kCompact);
    EXPECT_EQ(tree_text(doc, 1),
              "<?xml version='1.0'?>\r\n<root a=\"1\">\r\n <item>\r\n  x&lt;y\r\n </item>\r\n"
              " <empty />\r\n</root>\r\n");
    EXPECT_STREQ(xmlzTreeToString(doc, 0), kCompact);
    EXPECT_STREQ(xmlzTreeToString(doc, -7), tree_text(doc, 1).c_str()); // any non-zero flag indents
    xmlFree(doc);
}

TEST(XmlWriter, ParsedDocumentComesBackAsItWasRead) {
    const std::string text = "<?xml version='1.0'?>\r\n<root a='1'>\r\n  <item>x &amp; y</item>\r\n"
                             "  <!-- note -->\r\n  <empty />\r\n</root>";
    velk_handle doc = parse(text + "\r\n"); // text after the last tag is not kept
    EXPECT_EQ(tree_text(doc), text);
    xmlFree(doc);
}

TEST(XmlWriter, NodeAloneWritesNoChildrenAndNoEndTag) {
    velk_handle doc = parse("<a x='1'><b>t</b></a><c/>");
    EXPECT_EQ(node_text(doc), "<a x='1'>");
    EXPECT_EQ(node_text(doc, 1), "<a x='1'>\r\n");
    velk_handle b = xmlNextSibling(xmlChild(doc));
    EXPECT_EQ(node_text(b, 1), " <b>\r\n");
    EXPECT_EQ(node_text(xmlChild(b), 1), "  t\r\n");
    EXPECT_EQ(node_text(xmlChild(doc), 1), ""); // a null text: nothing, not even a line
    EXPECT_EQ(tree_text(doc), "<a x='1'><b>t</b></a><c />");
    EXPECT_EQ(tree_text(b), "<b>t</b>"); // from the middle: this node and the later siblings
    EXPECT_EQ(xmlNodeToString(0, 0), nullptr);
    EXPECT_STREQ(xmlzNodeToString(0, 1), "");
    EXPECT_EQ(xmlTreeToString(0, 1), nullptr);
    EXPECT_STREQ(xmlzNodeToString(b, 0), "<b>");
    xmlFree(doc);
}

TEST(XmlWriter, EmptyAndSelfClosedElements) {
    velk_handle doc = parse("<a></a>");
    EXPECT_EQ(tree_text(doc), "<a></a>");
    EXPECT_EQ(tree_text(doc, 1), "<a>\r\n</a>\r\n");
    xmlFree(doc);
    doc = parse("<a/>");
    EXPECT_EQ(tree_text(doc), "<a />");
    EXPECT_EQ(tree_text(doc, 1), "<a />\r\n");
    xmlFree(doc);
}

TEST(XmlWriter, CommentsAreWrittenRaw) {
    velk_handle doc = parse("<!-- a<b &amp; --><!--word--><!-->");
    EXPECT_EQ(node_text(doc), "<!-- a<b &amp; -->");
    EXPECT_EQ(tree_text(doc), "<!-- a<b &amp; --><!--word--><!-- -->");
    xmlFree(doc);
    // A body of carriage returns only is dropped by the line-end
    // normalisation; read back it is an empty comment, written "<!-- -->".
    doc = parse("<!--\r-->");
    EXPECT_EQ(tree_text(doc), "<!---->");
    EXPECT_EQ(node_text(doc), "<!--\r-->");
    xmlFree(doc);
}

TEST(XmlWriter, TextsAreEscapedAndNamesWrittenAsStored) {
    velk_handle doc = parse("<a&b x='\"&apos;'>&lt;&gt;&amp;&quot;&apos;</a&b>");
    ASSERT_NE(doc, 0u) << xml_error();
    EXPECT_EQ(tree_text(doc), "<a&b x='&quot;&apos;'>&lt;&gt;&amp;&quot;&apos;</a&b>");
    xmlFree(doc);
}

TEST(XmlWriter, TreeTextHasUniformLineEnds) {
    // Lone CR, lone LF and CR LF in a text, a comment and an attribute value.
    velk_handle doc = parse("<a v='1\r2\n3\r\n4'>x\ry\nz\r\nw<!--p\rq\nr--></a>");
    ASSERT_NE(doc, 0u);
    EXPECT_EQ(tree_text(doc), "<a v='12\r\n3\r\n4'>xy\r\nz\r\nw<!--pq\r\nr--></a>");
    EXPECT_EQ(tree_text(doc, 1), "<a v='12\r\n3\r\n4'>\r\n xy\r\nz\r\nw\r\n <!--pq\r\nr-->\r\n</a>\r\n");
    // The node alone keeps its texts as they are.
    EXPECT_EQ(node_text(doc), "<a v='1\r2\n3\r\n4'>");
    EXPECT_EQ(node_text(xmlChild(doc)), "x\ry\nz\r\nw");
    xmlFree(doc);
}

// Texts are written 16 bytes at a time where they can be: a byte to replace
// at every place of the first 16 and across into the next, one or two in a
// run, in texts of every length around 16, must come out as the plain
// byte-by-byte escaping gives.
TEST(XmlWriter, EveryByteToReplaceIsReplacedWhereverItLies) {
    auto escaped = [](std::string_view s) {
        std::string out;
        for (char c : s) {
            switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
            }
        }
        return out;
    };
    for (const char special : std::string("&<>\"'\r\n")) {
        for (std::size_t size = 1; size <= 34; ++size) {
            for (std::size_t at = 0; at < size; ++at) {
                for (std::size_t run = 1; run <= 2 && at + run <= size; ++run) {
                    std::string text(size, 'x');
                    for (std::size_t k = 0; k < run; ++k)
                        text[at + k] = special;
                    velk_handle doc = parse("<t>" + escaped(text) + "</t>");
                    ASSERT_NE(doc, 0u);
                    EXPECT_EQ(tree_text(doc), "<t>" + crlf(escaped(text)) + "</t>") << size << " " << at;
                    EXPECT_EQ(node_text(xmlChild(doc)), escaped(text)) << size << " " << at;
                    xmlFree(doc);
                }
            }
        }
    }
}

// A long text is handed over as the counted string it was built in: its
// count, its bytes and the two NULs behind them are those of a copy.
TEST(XmlWriter, LongResultsAreWholeCountedStrings) {
    for (const std::size_t size : {490u, 505u, 506u, 507u, 520u, 100000u}) {
        const std::string text(size, 'y');
        velk_handle doc = parse("<a>" + text + "</a>");
        velk_bstr s = xmlTreeToString(doc, 0);
        const char *bytes = reinterpret_cast<const char *>(s);
        ASSERT_EQ(SysStringByteLen(s), size + 7);
        EXPECT_EQ(std::string(bytes, size + 7), "<a>" + text + "</a>");
        EXPECT_EQ(bytes[size + 7], 0);
        EXPECT_EQ(bytes[size + 8], 0);
        SysFreeString(s);
        xmlFree(doc);
    }
}

TEST(XmlWriter, MillionLevelsParseWriteAndFree) {
    BlockWatch watch;
    const int depth = 1000000;
    std::string text;
    text.reserve(7 * depth);
    for (int i = 0; i < depth; ++i)
        text += "<a>";
    for (int i = 0; i < depth; ++i)
        text += "</a>";
    velk_bstr s = bs(text);
    velk_handle root = xmlParse(&s);
    ASSERT_NE(root, 0u) << xml_error();
    velk_bstr compact = xmlTreeToString(root, 0);
    EXPECT_TRUE(compact && bs_len(compact) == text.size() && bs_view(compact) == text);
    take(compact);
    // Indented, every line would carry its depth in blanks: about a terabyte,
    // more than a counted string holds, so the writer refuses at once.
    EXPECT_EQ(xmlTreeToString(root, 1), nullptr);
    // With the depths flattened the same million-level walk fits.
    for (XmlNode *n = node_of(root); n; n = n->docNext)
        n->depth = 0;
    velk_bstr indented = xmlTreeToString(root, 1);
    EXPECT_EQ(bs_len(indented), 11u * depth);
    EXPECT_EQ(bs_view(indented).substr(0, 10), "<a>\r\n<a>\r\n");
    take(indented);
    xmlFree(root);
    take(s);
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(XmlWriter, DroppedCarriageReturnsNeverEndACommentEarly) {
    // The bodies hold a CR that keeps "--" from meeting ">"; written with the
    // tree's line ends, that CR becomes a blank and the text reads back as
    // the same comment.
    for (const char *text : {"<!--\r> a -->", "<!--\r-> a -->", "<!-- a --\r> b -->"}) {
        velk_handle doc = parse(text);
        ASSERT_NE(doc, 0u) << text;
        std::string written = tree_text(doc);
        velk_handle again = parse(written);
        ASSERT_NE(again, 0u) << written;
        EXPECT_EQ(xmlNodeType(again), 2) << written;
        EXPECT_EQ(xmlNextSibling(again), 0u) << written; // one comment, nothing after it
        EXPECT_EQ(tree_text(again), written);
        xmlFree(again);
        xmlFree(doc);
    }
}

TEST(XmlWriter, ElementNamesNeverEndInASlash) {
    velk_handle doc = parse("<a//><b/\t><c//\n/>");
    ASSERT_NE(doc, 0u) << xml_error();
    EXPECT_EQ(tree_text(doc), "<a /><b /><c />");
    xmlFree(doc);
}
