// The select command's path language over small parsed documents: each case
// gives a path and the string values of the nodes it selects, joined by "|"
// (for count(), the number), as an XPath 1.0 engine gives them.
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "path_query.h"
#include "velk_records.h"
#include "velk_xml.h"

namespace {

using velkxml::PathQuery;
using Namespaces = std::map<std::string, std::string>;

class Doc {
  public:
    explicit Doc(const std::string &text) : handle(xmlzParse(text.c_str())) {}
    ~Doc() { xmlFree(handle); }
    Doc(const Doc &) = delete;
    Doc &operator=(const Doc &) = delete;
    velk_handle handle;
};

struct Case {
    const char *path;
    const char *expected; // the values joined by "|", a count, or "error: ..."
};

std::string run(velk_handle doc, const std::string &path, const Namespaces &namespaces) {
    PathQuery query;
    std::string error;
    if (!query.compile(path, namespaces, &error)) return "error: " + error;
    if (query.counts()) return std::to_string(query.count(doc));
    std::string out;
    for (const velkxml::Selected &s : query.select(doc))
        out += (out.empty() ? "" : "|") + velkxml::string_value(s);
    return out;
}

void check(const std::string &text, const std::vector<Case> &cases, const Namespaces &namespaces = {}) {
    Doc doc(text);
    ASSERT_NE(doc.handle, 0u) << text;
    for (const Case &c : cases)
        EXPECT_EQ(run(doc.handle, c.path, namespaces), c.expected) << c.path;
}

// Nested a and b elements, attributes, mixed text, a comment and the XML
// declaration at the top level.
const char kNested[] =
    "<?xml version=\"1.0\"?><!--top--><r><a id=\"1\" k=\"x\">one<b>b1</b><b n=\"2\">b2</b></a>"
    "<a id=\"2\"><b>b3<a id=\"3\"><b>b4</b></a></b><c>c1</c></a><c>c2</c></r>";

TEST(PathQuery, StepsInDocumentOrderEachOnce) {
    check(kNested, {
                       {"/", "oneb1b2b3b4c1c2"},
                       {"count(/)", "1"},
                       {"/r/a/@id", "1|2"},
                       {"r/a/b", "b1|b2|b3b4"},
                       {"/r/*", "oneb1b2|b3b4c1|c2"},
                       {"//b", "b1|b2|b3b4|b4"},
                       {"//a//b", "b1|b2|b3b4|b4"},
                       {"//b//text()", "b1|b2|b3|b4"},
                       {"//text()", "one|b1|b2|b3|b4|c1|c2"},
                       {"/r/a/text()", "one"},
                       {"//@*", "1|x|2|2|3"},
                       // Children of nested nodes, and parents, interleave.
                       {"//a/*", "b1|b2|b3b4|b4|c1"},
                       {"//b/..", "oneb1b2|b3b4c1|b4"},
                       {"//c/..", "oneb1b2b3b4c1c2|b3b4c1"},
                       {"//b/../@id", "1|2|3"},
                       {"//c/../..", "oneb1b2b3b4c1c2|oneb1b2b3b4c1c2"},
                       {"count(/r/..)", "1"},
                       {"count(/..)", "0"},
                       {"//@id/.", "1|2|3"},
                       {"//b/@n/..", "b2"},
                       {"/r/a/./b/a/.", "b4"},
                       {"/r/b", ""},
                       {"count(//*)", "10"},
                       // Comments and the declaration are never selected.
                       {"count(//.)", "18"},
                       {"count(//a//b/..)", "3"},
                       {" count( //a [ @id = '1' ] / b ) ", "2"},
                   });
}

TEST(PathQuery, PredicatesCountAmongEachContextNodesStep) {
    check(kNested, {
                       {"//b[1]", "b1|b3b4|b4"},
                       {"//b[last()]", "b2|b3b4|b4"},
                       {"//c[1]", "c1|c2"},
                       {"/r/a[1]/b[2]", "b2"},
                       {"/r/a[3]", ""},
                       {"//b[99999999999999999999999]", ""},
                       {"/r/a/@*[2]", "x"},
                       {"/r/a/@*[last()]", "x|2"},
                       // In turn: the b with n among its siblings, or the first b when it has n.
                       {"//b[@n][1]", "b2"},
                       {"//b[1][@n]", ""},
                       {"//a[b][last()]/@id", "2|3"},
                   });
}

TEST(PathQuery, Conditions) {
    check(kNested, {
                       {"//a[@k]/@id", "1"},
                       {"//*[@n]", "b2"},
                       {"//a[@id='2']/c", "c1"},
                       {"//a[@id=\"2\"]/c", "c1"},
                       {"//a[@id!='1']/@id", "2|3"},
                       {"//a[@*='x']/@id", "1"},
                       {"//a[@nothing!='1']/@id", ""},
                       {"//a[b]/@id", "1|2|3"},
                       {"//a[c]/@id", "2"},
                       {"//a[b='b4']/@id", "3"},
                       {"//a[b='b3b4']/@id", "2"},
                       {"//a[b!='b1']/@id", "1|2|3"},
                       {"//a[*='c1']/@id", "2"},
                       {"//b[.='b2']/@n", "2"},
                       {"//b[.!='b2']", "b1|b3b4|b4"},
                       {"//a[text()='one']/@id", "1"},
                       {"//b[text()='b3']", "b3b4"},
                       {"//@id[.='2']", "2"},
                       {"//a[@id='1' and @k='x']/@id", "1"},
                       {"//a[@id='3' or @k]/@id", "1|3"},
                       // "and" binds before "or".
                       {"//a[@k or @id='3' and c]/@id", "1"},
                       {"//a[.]/@id", "1|2|3"},
                   });
}

TEST(PathQuery, TextNodesAsXPathHasThem) {
    // The parser's empty text nodes and the blanks between top-level markup
    // are not text nodes; blanks inside elements are.
    check("<?xml version='1.0'?>\n<r>\n  <a> x </a>\n  <a></a><b/>y\n</r>\n",
          {
              {"count(//text())", "4"},
              {"count(/r/text())", "3"},
              {"/r/a/text()", " x "},
              {"/r/text()[3]", "y\n"},
              {"/r/a[.=' x ']/text()", " x "},
              {"count(/r/a[2]/text())", "0"},
              {"/r/b/..", "\n   x \n  y\n"},
              {"count(//.)", "9"},
              {"count(//..)", "3"},
          });
}

const char kNamespaced[] = "<r xml:lang='en' xmlns:p='urn:p' xmlns:q='urn:q'>"
                           "<p:a id='1' p:k='pk' xmlns:z='urn:z'>pa</p:a><a>plain</a>"
                           "<d xmlns='urn:d'><a>da</a><e xmlns=''><a>ea</a></e></d>"
                           "<q:a>qa</q:a><u:a>ua</u:a><p:b xmlns:p='urn:other'>ob</p:b><p:c>pc</p:c></r>";

TEST(PathQuery, NamespacesInScope) {
    const Namespaces bound = {{"p", "urn:p"}, {"d", "urn:d"}, {"x", "urn:q"}, {"o", "urn:other"}};
    check(kNamespaced,
          {
              // Names without a prefix: no namespace only.
              {"//a", "plain|ea"},
              {"//d", ""},
              {"//e", "ea"},
              {"//d:e", ""},
              {"//p:a", "pa"},
              {"//d:a", "da"},
              {"//x:a", "qa"},
              {"//d:*", "daea|da"},
              {"//p:*", "pa|pc"},
              // p is bound anew inside p:b only.
              {"//p:b", ""},
              {"//o:b", "ob"},
              {"//p:c", "pc"},
              {"count(//*)", "11"},
              {"count(//*[d:a])", "1"},
              {"/r/d:d[d:a='da']/e/a", "ea"},
              // Declarations are not attributes.
              {"/r/@*", "en"},
              {"//p:a/@*", "1|pk"},
              {"//@xmlns", ""},
              {"count(//@*)", "3"},
              {"//@p:k", "pk"},
              {"//@p:*", "pk"},
              {"//@k", ""},
              {"//@xml:lang", "en"},
              {"//p:a[@p:k='pk']/@id", "1"},
          },
          bound);
}

TEST(PathQuery, RefusedWithTheirPosition) {
    check(kNested,
          {
              {"", "error: position 1: the path is empty"},
              {"//a/following-sibling::b", "error: position 5: 'following-sibling::' is not supported"},
              {"child::a", "error: position 1: 'child::' is not supported"},
              {"(//b)[1]", "error: position 1: parentheses are not supported"},
              {"//b | //c", "error: position 5: '|' is not supported"},
              {"count(//a) + 1", "error: position 12: '+' is not supported"},
              {"//a/count(b)", "error: position 5: count() must hold the whole path"},
              {"//comment()", "error: position 3: 'comment()' is not supported"},
              {"//@node()", "error: position 4: 'node()' is not supported"},
              {"$x", "error: position 1: variables are not supported"},
              {"/a/", "error: position 4: a step is expected"},
              {"//a/.[1]", "error: position 6: a predicate cannot follow '.'"},
              {"//a[position()=1]", "error: position 5: 'position()' is not supported"},
              {"//a[b/c]", "error: position 6: paths are not supported in predicates"},
              {"//a[b[1]]", "error: position 6: predicates are not supported in predicates"},
              {"//a[..='x']", "error: position 5: '..' is not supported in a predicate"},
              {"//a['x'=.]", "error: position 5: a string may only follow '=' or '!='"},
              {"//a[0]", "error: position 5: positions count from 1"},
              {"//a[1.5]", "error: position 5: a position is a whole number"},
              {"//a[1 and @b]", "error: position 5: a position must stand alone in its predicate"},
              {"//a[last()-1]", "error: position 5: a position must stand alone in its predicate"},
              {"//a[@b and last()]", "error: position 12: last() must stand alone: [last()]"},
              {"//a[@id=1]", "error: position 9: a quoted string is expected"},
              {"//a[@id < '1']", "error: position 9: '<' is not supported"},
              {"//a[@id='1'", "error: position 12: ']', 'and' or 'or' is expected"},
              {"//a[@id='1]", "error: position 9: the string is not closed"},
              {"//a[@id='1' andy]", "error: position 13: unexpected 'andy': ']', 'and' or 'or' is expected"},
              {"//p:a", "error: position 3: prefix 'p' is not bound"},
              {"//a ~", "error: position 5: unexpected '~': '/' or the end of the path is expected"},
              // Characters, not bytes.
              {"//\xC3\xA9/following::x", "error: position 5: 'following::' is not supported"},
          });
    check(kNested, {{"//e:a", "error: position 3: prefix 'e' is bound to an empty URI"}}, {{"e", ""}});
}

TEST(PathQuery, DeepDocumentWithoutRecursion) {
    const std::size_t depth = 200000;
    std::string text;
    for (std::size_t k = 0; k < depth; ++k)
        text += "<x>";
    text += "v";
    for (std::size_t k = 0; k < depth; ++k)
        text += "</x>";
    Doc doc(text);
    ASSERT_NE(doc.handle, 0u);
    PathQuery query;
    std::string error;
    ASSERT_TRUE(query.compile("//x", {}, &error)) << error;
    const std::vector<velkxml::Selected> all = query.select(doc.handle);
    ASSERT_EQ(all.size(), depth);
    EXPECT_EQ(all.front().node, VELK_XML_NODE(doc.handle));
    EXPECT_EQ(velkxml::string_value(all.back()), "v");
    EXPECT_EQ(all.back().node->firstChild->nodeType, VELK_NODE_TEXT);
    // String values compared for every element, and parents, stay linear.
    for (const Case &c : std::vector<Case>{{"count(//x[.='v'])", "200000"},
                                           {"count(//x[x='v'])", "199999"},
                                           {"count(//x[x][last()])", "199999"},
                                           {"count(//x/..)", "200000"},
                                           {"count(//x//x)", "199999"}})
        EXPECT_EQ(run(doc.handle, c.path, {}), c.expected) << c.path;
}

} // namespace

namespace {

// Values as an XML processor passes them on, which the parser does not do:
// CR LF and a lone CR are LF in text; line ends and tabs are blanks in an
// attribute's value. Comparisons see the same values, and string_values()
// gives what string_value() gives, for nested elements too.
TEST(PathQuery, LineEndsAndBlanksAsXmlPassesThemOn) {
    const char text[] = "<r>\r\n<x a=\"1\t2\r\n3\">one\r\ntwo\rthree</x><x><x>in</x>out</x></r>";
    check(text, {
                    {"//x[1]", "one\ntwo\nthree|in"},
                    {"/r/text()", "\n"},
                    {"//@a", "1 2 3"},
                    {"//x[@a='1 2 3']/@a", "1 2 3"},
                    {"//x[.='one\ntwo\nthree']/@a", "1 2 3"},
                    {"//x[text()='one\ntwo\nthree']/@a", "1 2 3"},
                });
    Doc doc(text);
    PathQuery query;
    std::string error;
    ASSERT_TRUE(query.compile("//*", {}, &error)) << error;
    const std::vector<velkxml::Selected> selected = query.select(doc.handle);
    std::vector<std::string> one_by_one;
    for (const velkxml::Selected &s : selected)
        one_by_one.push_back(velkxml::string_value(s));
    EXPECT_EQ(velkxml::string_values(doc.handle, selected), one_by_one);
    EXPECT_EQ(one_by_one.size(), 4u);
}

} // namespace
