#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/errors.h"
#include "sweep/sweep.h"
#include "xml/lexing.h"
#include "xml_support.h"

using namespace velk_test;

namespace {

std::vector<XmlNode *> creation_chain(velk_handle root) {
    std::vector<XmlNode *> out;
    for (XmlNode *n = node_of(root); n; n = n->docNext)
        out.push_back(n);
    return out;
}

// Parses text that must fail and returns the message.
std::string failure(std::string_view text) {
    BlockWatch watch;
    velk_handle root = parse(text);
    EXPECT_EQ(root, 0u) << text;
    EXPECT_EQ(watch.leaked(), 0) << text;
    return xml_error();
}

} // namespace

TEST(XmlParse, WorkedExampleMakesElevenNodes) {
    const std::string text = "<?xml version='1.0'?>\r\n<root a='1'>\r\n  <item>x &amp; y</item>\r\n"
                             "  <!-- note -->\r\n  <empty />\r\n</root>\r\n";
    velk_handle root = parse(text);
    ASSERT_NE(root, 0u);
    std::vector<XmlNode *> n = creation_chain(root);
    ASSERT_EQ(n.size(), 11u);
    struct Row {
        int type, depth, closed;
        const char *tag;
        int parent; // index into n, -1 for none
    };
    const Row rows[11] = {{3, 0, 1, "?xml", -1},  {1, 0, 1, "\r\n", -1}, {0, 0, 0, "root", -1},
                          {1, 1, 1, "\r\n  ", 2}, {0, 1, 0, "item", 2},  {1, 2, 1, "x & y", 4},
                          {1, 1, 1, "\r\n  ", 2}, {2, 1, 1, "!--", 2},   {1, 1, 1, "\r\n  ", 2},
                          {0, 1, 1, "empty", 2},  {1, 1, 1, "\r\n", 2}};
    for (int i = 0; i < 11; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(n[i]->nodeType, rows[i].type);
        EXPECT_EQ(n[i]->depth, rows[i].depth);
        EXPECT_EQ(n[i]->closed, rows[i].closed);
        EXPECT_EQ(str(n[i]->tag), rows[i].tag);
        EXPECT_EQ(n[i]->parent, rows[i].parent < 0 ? nullptr : n[rows[i].parent]);
    }
    EXPECT_EQ(str(n[0]->attribs->name), "version");
    EXPECT_EQ(str(n[0]->attribs->value), "1.0");
    EXPECT_EQ(n[0]->attribs->quote, '\'');
    EXPECT_EQ(n[0]->attribs->next, nullptr);
    EXPECT_EQ(str(n[2]->attribs->value), "1");
    EXPECT_EQ(str(n[7]->comment), " note ");
    // Top level 1, 2, 3; children of 3: 4 5 7 8 9 10 11; 6 alone below 5.
    EXPECT_EQ(n[0]->nextSibling, n[1]);
    EXPECT_EQ(n[1]->nextSibling, n[2]);
    EXPECT_EQ(n[2]->nextSibling, nullptr);
    std::vector<XmlNode *> kids;
    for (XmlNode *k = n[2]->firstChild; k; k = k->nextSibling)
        kids.push_back(k);
    EXPECT_EQ(kids, (std::vector<XmlNode *>{n[3], n[4], n[6], n[7], n[8], n[9], n[10]}));
    EXPECT_EQ(n[4]->firstChild, n[5]);
    EXPECT_EQ(n[5]->nextSibling, nullptr);
    EXPECT_EQ(n[3]->prevSibling, nullptr);
    EXPECT_EQ(n[10]->prevSibling, n[9]);
    xmlFree(root);
}

TEST(XmlParse, MessagesWithoutPosition) {
    EXPECT_EQ(failure(""), "Empty xml send to xml parser");
    EXPECT_EQ(xmlzParse(nullptr), 0u);
    EXPECT_EQ(xml_error(), "Empty xml send to xml parser");
    EXPECT_EQ(xmlParse(nullptr), 0u);
    EXPECT_EQ(failure("plain text"), "No starting tag found");
    // "<" found but nothing completed: 0, and the last message stays.
    EXPECT_EQ(parse("abc<"), 0u);
    EXPECT_EQ(xml_error(), "No starting tag found");
}

TEST(XmlParse, TagNameMessages) {
    EXPECT_EQ(failure("< a>"), "(1:1) Empty tag name specified");
    EXPECT_EQ(failure("<a=b>"), "(1:2) Invalid character found in tag name");
    EXPECT_EQ(failure("<ab\"c>"), "(1:3) Invalid character found in tag name");
    EXPECT_EQ(failure("<a>x<b'>"), "(1:6) Invalid character found in tag name");
    EXPECT_EQ(failure("<a<"), "(1:2) Invalid character found in tag name");
}

TEST(XmlParse, AttributeMessages) {
    EXPECT_EQ(failure("<a =>"), "(1:3) Invalid character found in attribute name: =");
    EXPECT_EQ(failure("<a x='1''>"), "(1:8) Invalid character found in attribute name: '");
    EXPECT_EQ(failure("<a b\"=1>"), "(1:4) Invalid character found in attribute name (2): \"");
    EXPECT_EQ(failure("<a bc<"), "(1:5) Invalid character found in attribute name (2): <");
    EXPECT_EQ(failure("<a x=='1'>"), "(1:5) Double equals sign found in attribute");
    EXPECT_EQ(failure("<a x '1'>"), "(1:5) No equals sign found in attribute");
    EXPECT_EQ(failure("<a x= /"), "(1:6) No value specified for attribute 'x'");
    EXPECT_EQ(failure("<a b c='1'>"),
              "(1:5) Attribute invalid character before attribute value. Attrib=b currentChar=99");
    EXPECT_EQ(failure("<a b=\xe9>"),
              "(1:5) Attribute invalid character before attribute value. Attrib=b currentChar=233");
}

TEST(XmlParse, LineAndColumnCountCarriageReturnsOnly) {
    EXPECT_EQ(failure("<a>\r\n  <b x=>"), "(2:10) No value specified for attribute 'x'");
    EXPECT_EQ(failure("<a>\n  <b x=>"), "(1:11) No value specified for attribute 'x'");
    EXPECT_EQ(failure("<a>\r\r<b =>"), "(3:5) Invalid character found in attribute name: =");
    // Bytes before the first "<" are not counted.
    EXPECT_EQ(failure("junk\r\njunk <a =>"), "(1:3) Invalid character found in attribute name: =");
    // A carriage return that is itself the faulty byte starts its line.
    EXPECT_EQ(failure("<a>\r\n<\r"), "(3:1) Empty tag name specified");
}

TEST(XmlParse, EndTagMessages) {
    EXPECT_EQ(failure("<a></a></b>"), "(1:10) Too many end tags found. Last was /b");
    EXPECT_EQ(failure("</a>"), "(1:3) Too many end tags found. Last was /a");
    EXPECT_EQ(failure("<a><b></a>"), "(1:9) Nesting error. Expecing end tag=b, but found a");
    EXPECT_EQ(failure("<a x='1'><b y='2'></B z='3'>"),
              "(1:27) Nesting error. Expecing end tag=b, but found B");
}

TEST(XmlParse, FailureLeavesTheListErrorAlone) {
    velk::set_error(velk::Family::list, "a list message");
    failure("</a>");
    EXPECT_EQ(take(llLastError()), "a list message");
}

TEST(XmlParse, LeadingJunkIsIgnoredAndAttributesKeepTheirQuote) {
    velk_handle a = parse("junk <a x='1' />");
    ASSERT_NE(a, 0u);
    EXPECT_EQ(tag(a), "a");
    EXPECT_EQ(node_of(a)->closed, 1);
    XmlAttrib *x = node_of(a)->attribs;
    EXPECT_EQ(str(x->name), "x");
    EXPECT_EQ(str(x->value), "1");
    EXPECT_EQ(x->quote, '\'');
    EXPECT_EQ(node_of(a)->docNext, nullptr);
    xmlFree(a);
}

TEST(XmlParse, TextNodesStandBetweenEveryTwoTags) {
    velk_handle a = parse("<a><b>x</b></a>");
    EXPECT_EQ(dump(a), "0 d0 c0 [a]\n 1 d1 c1 []\n 0 d1 c0 [b]\n  1 d2 c1 [x]\n 1 d1 c1 []\n");
    xmlFree(a);
    a = parse("<a>  x  </a>trailing");
    EXPECT_EQ(dump(a), "0 d0 c0 [a]\n 1 d1 c1 [  x  ]\n");
    xmlFree(a);
    a = parse("<a>&lt;&amp;&amp;lt;</a>");
    EXPECT_EQ(tag(xmlChild(a)), "<&&lt;");
    xmlFree(a);
}

TEST(XmlParse, AttributeValuesAndNames) {
    velk_handle a = parse("<a x='1 > 2' y=\"it's <b>\" x='2' n&amp;m='&quot;' e=''/>");
    ASSERT_NE(a, 0u);
    EXPECT_EQ(dump(a), "0 d0 c1 [a] 'x=1 > 2 \"y=it's <b> 'x=2 'n&m=\" 'e=\n");
    EXPECT_EQ(node_of(a)->attribs->next->next->next->next->value, nullptr); // empty value: null
    xmlFree(a);
    // A name without a value, last in its tag, is dropped.
    a = parse("<a b>");
    EXPECT_EQ(xmlAttribCount(a), 0);
    EXPECT_EQ(node_of(a)->closed, 0);
    xmlFree(a);
}

// Short texts are copied 16 bytes at once where the input has 16 bytes from
// the text on: every length around that size, with and without an entity,
// with the input going on or ending right behind the text, keeps exactly the
// text's bytes.
TEST(XmlParse, TextsOfEveryShortLengthKeepTheirBytesExactly) {
    const std::string letters = "abcdefghijklmnopqrstuv";
    for (std::size_t size = 1; size <= 20; ++size) {
        for (std::size_t amp = 0; amp <= size; amp += 3) { // amp == size: no entity
            std::string raw = letters.substr(0, size), want = raw;
            if (amp < size) {
                raw.replace(amp, 1, "&lt;");
                want[amp] = '<';
            }
            const std::string name = "n" + letters.substr(0, size - 1);
            for (const std::string &tail : {std::string("</t>") + std::string(20, ' '), std::string("<")}) {
                const std::string text = "<t " + name + "='" + raw + "'>" + raw + tail;
                velk_handle t = parse(text);
                ASSERT_NE(t, 0u) << text;
                const XmlNode *node = node_of(t);
                EXPECT_STREQ(node->attribs->name, name.c_str()) << text;
                EXPECT_STREQ(node->attribs->value, want.c_str()) << text;
                EXPECT_STREQ(node->firstChild->tag, want.c_str()) << text;
                xmlFree(t);
            }
        }
    }
}

TEST(XmlParse, SlashMarksCloseAnElement) {
    velk_handle a = parse("<r><b/><c x='1'/><d /><e / f='1'><g/ >x<h/\t/>y</e></r>");
    ASSERT_NE(a, 0u) << xml_error();
    EXPECT_EQ(dump(a), "0 d0 c0 [r]\n 1 d1 c1 []\n 0 d1 c1 [b]\n 1 d1 c1 []\n 0 d1 c1 [c] 'x=1\n"
                       " 1 d1 c1 []\n 0 d1 c1 [d]\n 1 d1 c1 []\n 0 d1 c0 [e] 'f=1\n  1 d2 c1 []\n"
                       "  0 d2 c1 [g]\n  1 d2 c1 [x]\n  0 d2 c1 [h]\n  1 d2 c1 [y]\n 1 d1 c1 []\n");
    // Written back and read again, the tree is the same: no name ends in "/".
    velk_handle again = parse(tree_text(a));
    EXPECT_EQ(dump(again), dump(a));
    xmlFree(again);
    xmlFree(a);
}

TEST(XmlParse, CommentsKeepTheirBodyRaw) {
    velk_handle c = parse("<!-- a<b &amp; -- c -->");
    EXPECT_EQ(xmlNodeType(c), 2);
    EXPECT_EQ(tag(c), "!--");
    EXPECT_EQ(str(node_of(c)->comment), " a<b &amp; -- c ");
    xmlFree(c);
    c = parse("<!-->");
    EXPECT_EQ(node_of(c)->comment, nullptr);
    xmlFree(c);
    c = parse("<!--->");
    EXPECT_EQ(str(node_of(c)->comment), "-"); // shorter than the "--": kept whole
    xmlFree(c);
    c = parse("<!-- x -- > y -->");
    EXPECT_EQ(str(node_of(c)->comment), " x -- > y ");
    xmlFree(c);
}

TEST(XmlParse, ProcessingInstructions) {
    velk_handle pi = parse("<?xml version='1.0'?>\r\n<r />");
    EXPECT_EQ(dump(pi), "3 d0 c1 [?xml] 'version=1.0\n1 d0 c1 [\r\n]\n0 d0 c1 [r]\n");
    xmlFree(pi);
    pi = parse("<?t?><?u/><?"
               "?>");
    EXPECT_EQ(dump(pi), "3 d0 c1 [?t]\n1 d0 c1 []\n3 d0 c1 [?u]\n1 d0 c1 []\n3 d0 c1 [?]\n");
    xmlFree(pi);
}

TEST(XmlParse, LenientEndings) {
    BlockWatch watch;
    // Open elements may stay open; a declaration is just an element.
    velk_handle a = parse("<!DOCTYPE r><r>x</r>");
    EXPECT_EQ(dump(a), "0 d0 c0 [!DOCTYPE]\n 1 d1 c1 []\n 0 d1 c0 [r]\n  1 d2 c1 [x]\n");
    xmlFree(a);
    a = parse("<a><b>");
    EXPECT_EQ(dump(a), "0 d0 c0 [a]\n 1 d1 c1 []\n 0 d1 c0 [b]\n");
    xmlFree(a);
    // An unfinished tag is dropped with the attributes read for it, and so
    // are attributes written in an end tag.
    a = parse("<a><b x='1' y='2");
    EXPECT_EQ(dump(a), "0 d0 c0 [a]\n 1 d1 c1 []\n");
    xmlFree(a);
    a = parse("<a></a x='1'>");
    EXPECT_EQ(dump(a), "0 d0 c0 [a]\n 1 d1 c1 []\n");
    xmlFree(a);
    // "<>" closes an empty text token.
    a = parse("<a><>");
    EXPECT_EQ(dump(a), "0 d0 c0 [a]\n 1 d1 c1 []\n 1 d1 c1 []\n");
    xmlFree(a);
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(XmlParse, AfterAnEmptyTagTheNextBytesAreATagName) {
    // "<>" ends an empty text as "<" would, so the bytes after it are read as
    // a tag name, not as data: here "b" is an element and "x" its text.
    BlockWatch watch;
    velk_handle a = parse("<a><>b>x</b></a>");
    EXPECT_EQ(dump(a), "0 d0 c0 [a]\n 1 d1 c1 []\n 1 d1 c1 []\n 0 d1 c0 [b]\n  1 d2 c1 [x]\n 1 d1 c1 []\n");
    xmlFree(a);
    // The end tag of "a" then meets "b" still open.
    EXPECT_EQ(failure("<a><>b>x</a>"), "(1:11) Nesting error. Expecing end tag=b, but found a");
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(XmlParse, ZFaceAndPlainFaceAgree) {
    const char *text = "<a x=\"1\">t</a>";
    velk_handle z = xmlzParse(text);
    velk_handle p = parse(text);
    EXPECT_EQ(dump(z), dump(p));
    xmlFree(z);
    xmlFree(p);
    // The plain face reads every byte; a stored text reads to its first NUL.
    p = parse(std::string_view("<a>x\0y</a>", 10));
    EXPECT_EQ(tag(xmlChild(p)), "x");
    xmlFree(p);
}

TEST(XmlParse, OutOfMemoryAtAnyAllocationReleasesEverything) {
    FailureReset reset;
    const std::string text =
        "<?xml version='1.0'?>\r\n<root a='1' b=\"&lt;\">\r\n  <item>x &amp; y</item>\r\n"
        "  <!-- note --><e/><e x='' y='2'/>tail</root>\r\n";
    velk_bstr s = bs(text);
    velk_handle whole = xmlParse(&s);
    const std::string expected = dump(whole);
    xmlFree(whole);
    unsigned swept = sweep::sweep_allocations("parsing", [&](sweep::AllocationFault &fault) {
        BlockWatch watch;
        fault.arm();
        velk_handle root = xmlParse(&s);
        fault.disarm();
        if (fault.struck()) {
            EXPECT_EQ(root, 0u);
            std::string message = xml_error();
            EXPECT_EQ(message.front(), '(');
            EXPECT_EQ(message.substr(message.size() - 15), ") Out of memory");
        } else {
            EXPECT_EQ(dump(root), expected);
            xmlFree(root);
        }
        EXPECT_EQ(watch.leaked(), 0);
    });
    EXPECT_GT(swept, 20u);
    take(s);
    // The position is that of the byte being handled: here the closing quote.
    velk::testing::fail_allocation(1);
    EXPECT_EQ(parse("<a x='1'/>"), 0u);
    EXPECT_EQ(xml_error(), "(1:7) Out of memory");
}

// Names are scanned 16 bytes at a time where the processor can: the run must
// end at the first byte of the set wherever it lies, for every byte value,
// near the end of the input too.
template <class Set> void expect_runs_end_at_every_stop() {
    for (int b = 0; b < 256; ++b) {
        for (std::size_t at = 0; at < 40; ++at) {
            // Letters, and digits: bytes below 0x40 that a name may hold.
            for (const char filler : {'a', '1'}) {
                std::string text(40, filler);
                text[at] = static_cast<char>(b);
                for (std::size_t from = 0; from <= at; from += 5) {
                    const std::size_t want = Set::kTable[static_cast<unsigned char>(b)] ? at : text.size();
                    ASSERT_EQ(velk::xml::lex::run_end<Set>(text.data(), from, text.size()), want)
                        << "byte " << b << " at " << at << " from " << from << " among " << filler;
                }
            }
        }
    }
}

TEST(Lexing, NameRunsEndAtTheFirstStopWhereverItLies) {
    expect_runs_end_at_every_stop<velk::xml::lex::TagNameStops>();
    expect_runs_end_at_every_stop<velk::xml::lex::AttribNameStops>();
}
