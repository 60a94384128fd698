// The well-formedness check by its findings: the namespace rules, the XML
// declaration, and each finding after which a text cannot be read on. Each
// case names the byte its first finding is about and words it must hold.
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "check/strict_scan.h"
#include "velk_xml.h"

namespace {

using velk::check::strict_scan;
using velk::check::StrictReport;

struct Case {
    const char *text;
    std::size_t offset; // of the first finding
    const char *says;   // words of it
    bool limit;         // well-formed, but not read as XML means
};

void expect_first(const Case &c) {
    SCOPED_TRACE(c.text);
    const StrictReport report = strict_scan(c.text);
    ASSERT_FALSE(report.clean());
    const auto &first = report.findings.front();
    EXPECT_EQ(first.offset, c.offset);
    EXPECT_NE(first.text.find(c.says), std::string::npos) << first.text;
    EXPECT_EQ(first.limit, c.limit) << first.text;
}

void expect_clean(std::string_view text) {
    const StrictReport report = strict_scan(text);
    EXPECT_TRUE(report.clean()) << text << ": " << report.findings.front().text;
}

TEST(CheckNamespaces, DeclarationsInScopeAreFound) {
    expect_clean("<p:a xmlns:p='u'><p:b p:x='1'/></p:a>");
    expect_clean("<a xmlns='u'><b xmlns=''/></a>"); // the default may be undeclared
    expect_clean("<a xml:lang='en'/>");             // "xml" is bound from the start
    expect_clean("<a xmlns:xml='http://www.w3.org/XML/1998/namespace'/>");
    // The same local name in two namespaces, and under two prefixes of one
    // namespace on different elements.
    expect_clean("<a xmlns:p='u' xmlns:q='v' p:x='1' q:x='2'/>");
}

TEST(CheckNamespaces, ScopeEndsWithItsElement) {
    // A prefix declared on a sibling, or on an element already closed, is
    // not in scope; one hidden by an inner declaration comes back after it.
    expect_first({"<r><a xmlns:p='u'/><p:b/></r>", 19, "prefix 'p' of element 'p:b' is not declared", false});
    expect_first({"<r><a xmlns:p='u'></a><b p:x='1'/></r>", 22, "prefix 'p' of attribute 'p:x'", false});
    expect_clean("<r xmlns:p='u' xmlns:q='u'><a xmlns:p='v' p:x='1' q:x='2'/></r>");
    expect_first({"<r xmlns:p='u' xmlns:q='u'><a xmlns:p='v'/><b p:x='1' q:x='2'/></r>", 43,
                  "share a namespace and a local name", false});
}

TEST(CheckNamespaces, EachRuleIsFound) {
    const Case cases[] = {
        {"<p:a/>", 0, "prefix 'p' of element 'p:a' is not declared", false},
        {"<a p:x='1'/>", 0, "prefix 'p' of attribute 'p:x' is not declared", false},
        {"<a xmlns:xmlns='u'/>", 0, "the prefix 'xmlns' cannot be declared", false},
        {"<a xmlns:xml='u'/>", 0, "the prefix 'xml' cannot be bound to another namespace", false},
        {"<a xmlns:p='http://www.w3.org/XML/1998/namespace'/>", 0, "only the prefix 'xml' is bound", false},
        {"<a xmlns:p='http://www.w3.org/2000/xmlns/'/>", 0, "no prefix is bound to", false},
        {"<a xmlns:p=''/>", 0, "prefix 'p' cannot be undeclared", false},
        {"<a b:c:d='1'/>", 0, "attribute name 'b:c:d' is not a qualified name", false},
        {"<a:b:c/>", 0, "element name 'a:b:c' is not a qualified name", false},
        {"<:a/>", 0, "element name ':a' is not a qualified name", false},
        {"<a xmlns:p='u' xmlns:q='u' p:x='1' q:x='2'/>", 0, "share a namespace and a local name", false},
        {"<?a:b?><r/>", 2, "holds a ':'", false},
    };
    for (const Case &c : cases)
        expect_first(c);
}

TEST(CheckDeclaration, VersionEncodingStandaloneInOrder) {
    expect_clean("<?xml version='1.0'?><r/>");
    expect_clean("<?xml version=\"1.1\" encoding='UTF-8' standalone='yes'?><r/>");
    expect_clean("\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8'?><r/>");
    // ASCII alone reads the same in the encodings that write ASCII as ASCII.
    for (const char *name : {"US-ASCII", "ISO-8859-1", "iso-8859-15", "windows-1252", "Windows-1250"})
        expect_clean("<?xml version='1.0' encoding='" + std::string(name) + "'?><r>cafe</r>");
    const Case cases[] = {
        {"<?xml encoding='UTF-8'?><r/>", 6, "must begin with its version", false},
        {"<?xml version='2.0'?><r/>", 6, "version '2.0' is not 1.x", false},
        {"<?xml version='1.0' standalone='yes' encoding='UTF-8'?><r/>", 37, "in that order", false},
        {"<?xml version='1.0' encoding='8bit'?><r/>", 20, "encoding '8bit' is not an encoding name", false},
        {"<?xml version='1.0' standalone='maybe'?><r/>", 20, "standalone must be 'yes' or 'no'", false},
        {"<?xml version='1.0' encoding='ISO-8859-1'?><r>caf\xE9</r>", 20, "is not read", true},
        {"<?xml version='1.0' encoding='iso-8859-12'?><r/>", 20, "is not read", true},
        {"<?xml version='1.0' encoding='windows-1259'?><r/>", 20, "is not read", true},
        {"<?xml version='1.0' encoding='Shift_JIS'?><r/>", 20, "is not read", true},
        {"<?xml version='1.0'", 0, "the input ends inside the XML declaration", false},
        {"<r/><?xml version='1.0'?>", 4, "not at the very start", false},
    };
    for (const Case &c : cases)
        expect_first(c);
}

TEST(CheckStops, EachUnreadableTextEndsTheScan) {
    // The finding names the place, and nothing after it is reported: the
    // "&" and the unclosed element past each stop go unmentioned.
    const Case cases[] = {
        {"<r><!-- open & </r>", 3, "the input ends inside this comment", false},
        {"<r><?p data & </r>", 3, "the input ends inside this processing instruction", false},
        {"<r><? ?></r>&", 3, "processing instruction without a target name", false},
        {"<!DOCTYPE r><r>&", 0, "takes this one for an element '!DOCTYPE'", true},
        {"<!DOCTYPE r SYSTEM 'r.dtd'><r>&", 0, "refuses this one", true},
        {"<r><!x></r>&", 3, "'<!' that begins no comment or CDATA section", false},
        {"<r><a b='1' ", 3, "the input ends inside this tag", false},
        {"<r>< a/></r>&", 3, "'<' that begins no tag", false},
        {"<r><a b='1'c='2'/></r>&", 11, "attributes are not separated by a blank", false},
        {"<r><a b></r>&", 6, "attribute 'b' without '=' and a value", false},
        {"<r><a b=1/></r>&", 8, "the value of attribute 'b' is not in quotes", false},
        {"<r><a b='1", 8, "the input ends inside this attribute value", false},
        {"<r><a / ></r>&", 6, "'/' in a tag that '>' does not follow", false},
        {"<r></r x></r>&", 7, "'x' in the end tag of 'r'", false},
        {"<r></a>&", 3, "end tag 'a' where element 'r' is open", false},
        {"<r/></r>&", 4, "end tag 'r' with no element open", false},
        {"<r><!--->--></r>&", 3, "the parser ends it at that '>'", true},
        {"<?p a='1?>'?><r/>&", 3, "processing instruction data that the parser cannot read", true},
    };
    for (const Case &c : cases) {
        expect_first(c);
        const StrictReport report = strict_scan(c.text);
        EXPECT_EQ(report.findings.size(), 1u) << c.text;
    }
    const StrictReport utf16 = strict_scan(std::string_view("\xFF\xFE<\0r\0/\0>\0", 10));
    ASSERT_EQ(utf16.findings.size(), 1u);
    EXPECT_EQ(utf16.findings[0].offset, 0u);
    EXPECT_EQ(utf16.findings[0].text,
              "UTF-16 is not read: the parser reads single bytes, and refuses this text");
}

// A document type declaration ends the scan: a fault when it is not one as
// XML writes it, else a limit that says what the parser does with it, which
// the parser is asked here.
TEST(CheckDoctype, FormAndWhatTheParserDoes) {
    const Case faults[] = {
        {"<!DOCTYPE><r/>", 9, "a blank must follow '<!DOCTYPE'", false},
        {"<!DOCTYPE 1r><r/>", 10, "names no XML name", false},
        {"<!DOCTYPE r SYSTEM><r/>", 12, "'SYSTEM' must be followed by a quoted identifier", false},
        {"<!DOCTYPE r PUBLIC 'p'><r/>", 12, "'PUBLIC' must be followed by two quoted identifiers", false},
        {"<!DOCTYPE r [<!ENTITY e ']'><r/>", 12, "the input ends inside the internal subset", false},
        {"<!DOCTYPE r x><r/>", 12, "does not end with '>' here", false},
    };
    for (const Case &c : faults)
        expect_first(c);
    for (const char *form :
         {"<!DOCTYPE r><r/>", "<!DOCTYPE  r><r/>", "<!DOCTYPE\nr><r/>", "<!DOCTYPE r ><r/>",
          "<!DOCTYPE r\n><r/>", "<!DOCTYPE r SYSTEM 'r.dtd'><r/>", "<!DOCTYPE r PUBLIC '-//p' \"r.dtd\"><r/>",
          "<!DOCTYPE r [<!ENTITY e ']'><!-- ] --><?p ]?>]><r/>", "<!DOCTYPE r[]><r/>"}) {
        SCOPED_TRACE(form);
        const StrictReport report = strict_scan(form);
        ASSERT_EQ(report.findings.size(), 1u);
        const std::string &says = report.findings[0].text;
        EXPECT_TRUE(report.findings[0].limit) << says;
        const bool element = says.find("takes this one for an element '!DOCTYPE'") != std::string::npos;
        EXPECT_TRUE(element || says.find("the parser refuses this one") != std::string::npos) << says;
        const velk_handle doc = xmlzParse(form);
        EXPECT_EQ(doc != 0, element) << says << "; the parser: " << (doc ? "a document" : xmlzLastError());
        if (doc) {
            EXPECT_STREQ(xmlzGetTag(doc), "!DOCTYPE");
            xmlFree(doc);
        }
    }
}

TEST(CheckStops, ReadingGoesOnPastWhatTheParserReadsOtherwise) {
    // A CDATA section is well-formed but not read as text: the scan tells
    // so and reads on, to the "&" after it.
    const StrictReport report = strict_scan("<r><![CDATA[ & ]]>&</r>");
    ASSERT_EQ(report.findings.size(), 2u);
    EXPECT_TRUE(report.findings[0].limit);
    EXPECT_EQ(report.findings[1].offset, 18u);
    EXPECT_FALSE(report.findings[1].limit);
}

TEST(CheckStops, TheEndOfTheInputIsReportedOnce) {
    const StrictReport report = strict_scan("<r><a>");
    ASSERT_EQ(report.findings.size(), 2u);
    EXPECT_EQ(report.findings[0].text, "element 'r' is not closed at the end of the input");
    EXPECT_EQ(report.findings[1].offset, 3u);
    EXPECT_EQ(strict_scan("  ").findings.front().text, "no top-level element");
    EXPECT_FALSE(strict_scan("  ").findings.front().placed);
}

} // namespace
