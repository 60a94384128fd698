// Allocation sweeps over the XML exports that make records: parsing, setting
// attributes, adding simple children, and the bridge between lists and XML.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sweep.h"
#include "xml/xml_support.h"

using namespace velk_test;
using namespace velk_test::sweep;

namespace {

// Every kind of node and of attribute, entities in texts, names and values.
const std::string kDocument =
    "<?xml version='1.0' encoding=\"x\"?>\r\n<root a='1' b=\"&lt;\" c=''>\r\n"
    "  <item n&amp;m='v'>x &amp; y</item>\r\n  <!-- note -->\r\n  <e/><e x='' y='2'/>\r\n"
    "  <deep><deeper>text</deeper></deep>tail</root>\r\n<!--after-->";

bool out_of_memory_at_a_position(const std::string &message) {
    const std::string tail = ") Out of memory";
    return message.size() > tail.size() + 3 && message.front() == '(' &&
           message.compare(message.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

// A parse refused any block gives 0, the position and "Out of memory", and
// releases everything it made; the caller's text stays as it was.
TEST(XmlSweep, ParseInBothFaces) {
    velk_handle whole = parse(kDocument);
    const std::string expected = dump(whole);
    xmlFree(whole);
    unsigned points = 0;
    for (bool plain : {true, false}) {
        SCOPED_TRACE(plain ? "xmlParse" : "xmlzParse");
        velk_bstr text = bs(kDocument);
        const velk_bstr given = text;
        auto run = [&] { return plain ? xmlParse(&text) : xmlzParse(kDocument.c_str()); };
        points += sweep_allocations("parsing", [&](AllocationFault &fault) {
            BlockWatch watch;
            fault.arm();
            velk_handle root = run();
            fault.disarm();
            if (fault.struck()) {
                EXPECT_EQ(root, 0u);
                EXPECT_TRUE(out_of_memory_at_a_position(xml_error())) << xml_error();
                EXPECT_EQ(watch.leaked(), 0);
                root = run();
            }
            EXPECT_EQ(dump(root), expected);
            xmlFree(root);
            EXPECT_EQ(watch.leaked(), 0);
        });
        EXPECT_EQ(text, given);
        EXPECT_EQ(take(text), kDocument);
    }
    EXPECT_GT(points, 2u * 30);
}

// A refused attribute record or text returns 0 with the node unchanged.
TEST(XmlSweep, SetAttribInBothFaces) {
    struct Case {
        const char *what;
        std::function<int32_t(velk_handle)> call;
        const char *after; // the attribute text after success
        unsigned blocks;   // at least: a new attribute's record, name and value, or a new value
    };
    const std::vector<Case> cases = {
        {"xmlSetAttrib, new name", [](velk_handle n) { return xmlSetAttrib(n, bs(" c "), bs("new")); },
         " a='old' b=\"2\" c=\"new\"", 3},
        {"xmlzSetAttrib, new name", [](velk_handle n) { return xmlzSetAttrib(n, "c", "new"); },
         " a='old' b=\"2\" c=\"new\"", 3},
        {"xmlSetAttrib, existing name", [](velk_handle n) { return xmlSetAttrib(n, bs("a"), bs("new")); },
         " a='new' b=\"2\"", 1},
        {"xmlzSetAttrib, existing name", [](velk_handle n) { return xmlzSetAttrib(n, " a", "new"); },
         " a='new' b=\"2\"", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        unsigned swept = sweep_allocations("attributes", [&](AllocationFault &fault) {
            BlockWatch watch;
            velk_handle doc = parse("<r><n a='old' b=\"2\"/></r>");
            velk_handle n = xmlzFindChild(doc, "n");
            const std::string before = dump(doc);
            fault.arm();
            int32_t set = c.call(n);
            fault.disarm();
            if (fault.struck()) {
                EXPECT_EQ(set, 0);
                EXPECT_EQ(dump(doc), before);
                set = c.call(n);
            }
            EXPECT_EQ(set, 1);
            EXPECT_EQ(take(xmlAttribToString(n)), c.after);
            xmlFree(doc);
            EXPECT_EQ(watch.leaked(), 0);
        });
        EXPECT_GE(swept, c.blocks); // every block the attribute needs was refused
    }
}

// A refused element, text node, tag or data returns 0 with the tree unchanged.
TEST(XmlSweep, AddSimpleChildInBothFaces) {
    for (bool plain : {true, false}) {
        SCOPED_TRACE(plain ? "xmlAddSimpleChild" : "xmlzAddSimpleChild");
        auto add = [&](velk_handle parent) {
            return plain ? xmlAddSimpleChild(parent, bs(" k "), bs("v<w"))
                         : xmlzAddSimpleChild(parent, "k", "v<w");
        };
        unsigned swept = sweep_allocations("simple children", [&](AllocationFault &fault) {
            BlockWatch watch;
            velk_handle doc = parse("<r a='1'><old/></r>");
            const std::string before = dump(doc) + tree_text(doc);
            fault.arm();
            velk_handle added = add(doc);
            fault.disarm();
            if (fault.struck()) {
                EXPECT_EQ(added, 0u);
                EXPECT_EQ(dump(doc) + tree_text(doc), before);
                added = add(doc);
            }
            ASSERT_NE(added, 0u);
            EXPECT_EQ(tree_text(doc), "<r a='1'><old /><k>v&lt;w</k></r>");
            xmlFree(doc);
            xmlFree(xmlChild(added)); // simple children are on no creation chain
            xmlFree(added);
            EXPECT_EQ(watch.leaked(), 0);
        });
        EXPECT_GE(swept, 4u); // the element, its text node, the tag and the data
    }
}

// The bridge reads all or nothing: a refused block gives 0 and "Out of
// memory", and the tree read stays as it was.
TEST(XmlSweep, BridgeReaders) {
    velk_handle form =
        parse("<list name=\"n\">\r\n<listitem name=\"A\">1</listitem>\r\n"
              "<listitem name=\"b\">2 &amp; 3</listitem>\r\n<listitem name=\"a\">again</listitem>\r\n"
              "<listitem name=\"\">nameless</listitem>\r\n</list>");
    velk_handle attrs = parse("<n x='1' Y=\"2\" z=''/>");
    struct Case {
        const char *what;
        std::function<velk_handle()> call;
        velk_handle tree;
        Entries full;
    };
    const std::vector<Case> cases = {
        {"xmlToList",
         [&] { return xmlToList(form); },
         form,
         {{"a", "again"}, {"b", "2 & 3"}, {"", "nameless"}}},
        {"XMLATTRIBTOLIST",
         [&] { return XMLATTRIBTOLIST(attrs); },
         attrs,
         {{"x", "1"}, {"y", "2"}, {"z", ""}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = dump(c.tree);
        unsigned swept = sweep_allocations("bridge", [&](AllocationFault &fault) {
            BlockWatch watch;
            fault.arm();
            velk_handle list = c.call();
            fault.disarm();
            if (fault.struck()) {
                EXPECT_EQ(list, 0u);
                EXPECT_EQ(xml_error(), "Out of memory");
                EXPECT_EQ(watch.leaked(), 0);
                list = c.call();
            }
            EXPECT_EQ(entries(list), c.full);
            EXPECT_EQ(dump(c.tree), before);
            llFree(list);
            EXPECT_EQ(watch.leaked(), 0);
        });
        EXPECT_GT(swept, 5u);
    }
    xmlFree(form);
    xmlFree(attrs);
}

// Writing the list form: a refused result gives the empty result and "Out of
// memory"; the list stays as it was.
TEST(XmlSweep, BridgeWriterInBothFaces) {
    velk_handle list = make_list({{"a", "1 < 2"}, {"b", ""}});
    const std::string expected = take(xmlFromList(list, bs("n")));
    for (bool plain : {true, false}) {
        SCOPED_TRACE(plain ? "xmlFromList" : "xmlzFromList");
        unsigned swept = sweep_allocations("bridge", [&](AllocationFault &fault) {
            BlockWatch watch;
            std::string text;
            bool empty_result = false;
            on_fresh_thread([&] {
                fault.arm();
                if (plain) {
                    velk_bstr r = xmlFromList(list, bs("n"));
                    fault.disarm();
                    empty_result = r == nullptr;
                    text = take(r);
                } else {
                    const char *r = xmlzFromList(list, "n");
                    fault.disarm();
                    empty_result = r && !*r;
                    text = r ? r : "";
                }
                if (fault.struck()) text = plain ? take(xmlFromList(list, bs("n"))) : xmlzFromList(list, "n");
            });
            if (fault.struck()) {
                EXPECT_TRUE(empty_result);
                EXPECT_EQ(xml_error(), "Out of memory");
            }
            EXPECT_EQ(text, expected);
            EXPECT_EQ(entries(list), (Entries{{"a", "1 < 2"}, {"b", ""}}));
            EXPECT_EQ(watch.leaked(), 0);
        });
        EXPECT_GE(swept, 1u); // the result, and what the text is built in
    }
    llFree(list);
}
