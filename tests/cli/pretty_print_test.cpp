// The indented form that format prints and the element paths that paths
// prints, on documents the library parses.
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "element_paths.h"
#include "pretty_print.h"
#include "velk_strings.h"
#include "velk_xml.h"

namespace {

using velk_strings::take_string;
using velkxml::PrettyOptions;

class Parsed {
  public:
    explicit Parsed(const std::string &text) : doc_(xmlzParse(text.c_str())) {}
    ~Parsed() { xmlFree(doc_); }
    Parsed(const Parsed &) = delete;
    Parsed &operator=(const Parsed &) = delete;
    velk_handle doc() const { return doc_; }

  private:
    velk_handle doc_;
};

std::string repeat(const std::string &text, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

// Each element in document order: its start tag and its text (that of its
// whole subtree), whitespace-only text nodes left out.
std::vector<std::string> element_values(velk_handle doc) {
    std::string texts;
    std::vector<std::string> starts;
    std::vector<std::pair<std::size_t, std::size_t>> spans; // each element's text in texts
    std::vector<std::pair<velk_handle, std::size_t>> open;
    for (velk_handle n = doc;;) {
        if (!n) {
            if (open.empty()) break;
            spans[open.back().second].second = texts.size();
            n = xmlNextSibling(open.back().first);
            open.pop_back();
            continue;
        }
        if (xmlNodeType(n) == VELK_NODE_TEXT) {
            const std::string text = take_string(xmlGetTag(n));
            if (text.find_first_not_of(" \t\r\n") != std::string::npos) texts += text;
        } else if (xmlNodeType(n) == VELK_NODE_ELEMENT) {
            starts.push_back(take_string(xmlNodeToString(n, VELK_COMPACT)));
            spans.emplace_back(texts.size(), texts.size());
            if (velk_handle child = xmlChild(n)) {
                open.emplace_back(n, spans.size() - 1);
                n = child;
                continue;
            }
        }
        n = xmlNextSibling(n);
    }
    std::vector<std::string> values;
    for (std::size_t i = 0; i < starts.size(); ++i)
        values.push_back(starts[i] + texts.substr(spans[i].first, spans[i].second - spans[i].first));
    return values;
}

const PrettyOptions kTwo, kFour{4, false}, kTab{2, true}, kNone{0, false};
const char kNested[] = "<a><b><c>t</c><d/></b></a>";

TEST(PrettyPrint, Layouts) {
    struct {
        const char *what;
        std::string input;
        PrettyOptions options;
        std::string output;
    } const cases[] = {
        {"text-only element on one line",
         "<?xml version=\"1.0\"?>\n<catalog><book id='b1'><title>Sea &lt;and&gt; "
         "Sky</title></book></catalog>",
         kTwo,
         "<?xml version=\"1.0\"?>\n<catalog>\n  <book id='b1'>\n    <title>Sea &lt;and&gt; Sky</title>\n  "
         "</book>\n</catalog>\n"},
        {"line breaks inside text", "<r><t>one\ntwo\r\nthree</t></r>", kTwo,
         "<r>\n  <t>one\ntwo\r\nthree</t>\n</r>\n"},
        {"whitespace-only text alone", "<r><a>  </a></r>", kTwo, "<r>\n  <a>  </a>\n</r>\n"},
        {"mixed content as written", "<doc>\n  <p>Some <b>bold</b> and <i> <x/> </i>.</p>\n</doc>", kTwo,
         "<doc>\n  <p>Some <b>bold</b> and <i> <x /> </i>.</p>\n</doc>\n"},
        {"whitespace-only text between elements", "<r>\n\t<a/>   <b></b>\r\n<c>x</c> </r>", kTwo,
         "<r>\n  <a />\n  <b></b>\n  <c>x</c>\n</r>\n"},
        {"comments and instructions",
         "<?xml version='1.0'?>\n<!-- head --><?style href='a.css'?>\n<r><!--in-->\n<a/><?pi "
         "x='1'?></r><!---->",
         kTwo,
         "<?xml version='1.0'?>\n<!-- head -->\n<?style href='a.css'?>\n<r>\n  <!--in-->\n  <a />\n  <?pi "
         "x='1'?>\n"
         "</r>\n<!-- -->\n"},
        {"attributes escaped", "<r a=\"x &amp; &quot;y&quot;\" b='&lt;&apos;&gt;'><c d=\"1\"/></r>", kTwo,
         "<r a=\"x &amp; &quot;y&quot;\" b='&lt;&apos;&gt;'>\n  <c d=\"1\" />\n</r>\n"},
        {"empty elements", "<r><e/><f x=\"1\"></f></r>", kTwo, "<r>\n  <e />\n  <f x=\"1\"></f>\n</r>\n"},
        {"four blanks", kNested, kFour, "<a>\n    <b>\n        <c>t</c>\n        <d />\n    </b>\n</a>\n"},
        {"tabs", kNested, kTab, "<a>\n\t<b>\n\t\t<c>t</c>\n\t\t<d />\n\t</b>\n</a>\n"},
        {"no indentation", kNested, kNone, "<a>\n<b>\n<c>t</c>\n<d />\n</b>\n</a>\n"},
        {"text beside elements at the top level", "<a/>x<b> </b>", kTwo, "<a />x<b> </b>\n"},
        {"no document", "", kTwo, ""},
    };
    for (const auto &c : cases) {
        Parsed parsed(c.input);
        EXPECT_EQ(velkxml::pretty_print(parsed.doc(), c.options), c.output) << c.what;
    }
}

TEST(PrettyPrint, KeepsTheTextOfEveryElement) {
    const char *documents[] = {
        "<?xml version='1.0'?>\r\n<catalog>\r\n  <book id=\"1\" note='a &amp; b'>\r\n    <title>Sea "
        "&lt;and&gt; "
        "Sky</title>\r\n    <blurb>\r\n  Two lines\r\n  of text </blurb>\r\n  </book><!-- c --></catalog>",
        "<doc><p>Some <b>bold <i>and</i></b> text, <br/> and <q>&quot;more&quot;</q>.</p><p> </p><p/></doc>",
        "<r>\n<a>\n<b>x</b>\n</a>\n<a>y<c/>\n</a>\n</r>",
    };
    for (const char *text : documents)
        for (const PrettyOptions &options : {kTwo, kTab, kNone}) {
            Parsed before(text);
            const std::string printed = velkxml::pretty_print(before.doc(), options);
            Parsed after(printed);
            EXPECT_EQ(element_values(after.doc()), element_values(before.doc())) << printed;
            EXPECT_EQ(velkxml::pretty_print(after.doc(), options), printed);
        }
}

TEST(PrettyPrint, DeepDocuments) {
    const std::size_t depth = 200000;
    Parsed nested(repeat("<a>", depth) + "<t>x</t>" + repeat("</a>", depth));
    ASSERT_NE(nested.doc(), 0u);
    EXPECT_EQ(velkxml::pretty_print(nested.doc(), kNone),
              repeat("<a>\n", depth) + "<t>x</t>\n" + repeat("</a>\n", depth));
    // Indented by two blanks a level it would take some 80 GB of blanks.
    EXPECT_THROW(velkxml::pretty_print(nested.doc(), kTwo), std::length_error);
    const std::string mixed = "<m>x" + repeat("<a>", depth) + repeat("</a>", depth) + "</m>";
    Parsed one_line(mixed);
    EXPECT_EQ(velkxml::pretty_print(one_line.doc(), kTwo), mixed + "\n");
}

TEST(ElementPaths, CountsEachPathInFirstOrder) {
    using Paths = std::vector<std::pair<std::string, std::size_t>>;
    Paths deep;
    for (std::size_t i = 1; i <= 5000; ++i)
        deep.emplace_back(repeat("/a", i), 1);
    const struct {
        std::string input;
        Paths paths;
    } cases[] = {
        {"<?xml version='1.0'?><catalog><book><title>A</title><author/></book><!-- c "
         "--><book><title>B</title>"
         "<price/></book><magazine><title/></magazine></catalog>",
         {{"/catalog", 1},
          {"/catalog/book", 2},
          {"/catalog/book/title", 2},
          {"/catalog/book/author", 1},
          {"/catalog/book/price", 1},
          {"/catalog/magazine", 1},
          {"/catalog/magazine/title", 1}}},
        {"<a><a><a/></a><b><a/></b></a>",
         {{"/a", 1}, {"/a/a", 1}, {"/a/a/a", 1}, {"/a/b", 1}, {"/a/b/a", 1}}},
        {"<a/> <b/><a><c/></a>", {{"/a", 2}, {"/b", 1}, {"/a/c", 1}}},
        {"<r>" + repeat("<i>x</i>", 100000) + "</r>", {{"/r", 1}, {"/r/i", 100000}}},
        {repeat("<a>", 5000) + repeat("</a>", 5000), deep},
        {"", {}},
    };
    for (const auto &c : cases) {
        Parsed parsed(c.input);
        EXPECT_EQ(velkxml::element_paths(parsed.doc()), c.paths) << c.input.substr(0, 80);
    }
}

TEST(ElementPaths, RefusesPathsPastTheLimit) {
    // 200,000 levels: some 40 GB of paths.
    Parsed nested(repeat("<a>", 200000) + repeat("</a>", 200000));
    EXPECT_THROW(velkxml::element_paths(nested.doc()), std::length_error);
}

} // namespace
