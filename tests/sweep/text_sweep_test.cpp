// Allocation sweeps over every export that returns text, in the plain face
// (a refused result string gives the null string) and the z face (a refused
// return buffer gives ""): readers of lists and trees, the error texts,
// escaping, the attribute text and the writers. The list or tree read stays
// as it was, and the same call gives its full text right after.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "frame/errors.h"
#include "sweep.h"
#include "xml/xml_support.h"

using namespace velk_test;
using namespace velk_test::sweep;

namespace {

struct TextCall {
    std::string what;
    std::string group;
    std::function<velk_bstr()> plain; // one of the two faces
    std::function<const char *()> z;
};

// The outcome of one call on a thread of its own.
struct TextOutcome {
    bool null = false;
    std::string text;
};

TextOutcome call_text(const TextCall &c, AllocationFault *fault) {
    TextOutcome out;
    on_fresh_thread([&] {
        if (fault) fault->arm();
        if (c.plain) {
            velk_bstr r = c.plain();
            if (fault) fault->disarm();
            out.null = r == nullptr;
            out.text = take(r);
        } else {
            const char *r = c.z();
            if (fault) fault->disarm();
            out.null = r == nullptr;
            out.text = r ? r : "";
        }
    });
    return out;
}

// Sweeps one text call; state() shows what the call reads.
unsigned sweep_text(const TextCall &c, const std::function<std::string()> &state) {
    SCOPED_TRACE(c.what);
    const TextOutcome full = call_text(c, nullptr);
    EXPECT_FALSE(full.text.empty()); // else there is no result to refuse
    return sweep_allocations(c.group, [&](AllocationFault &fault) {
        BlockWatch watch;
        const std::string before = state();
        TextOutcome got = call_text(c, &fault);
        if (fault.struck()) {
            EXPECT_EQ(got.null, static_cast<bool>(c.plain)); // z: "", never null
            EXPECT_EQ(got.text, "");
            got = call_text(c, nullptr);
        }
        EXPECT_FALSE(got.null);
        EXPECT_EQ(got.text, full.text);
        EXPECT_EQ(state(), before);
        EXPECT_EQ(watch.leaked(), 0);
    });
}

TextCall plain(std::string what, std::string group, std::function<velk_bstr()> call) {
    return {std::move(what), std::move(group), std::move(call), nullptr};
}
TextCall z(std::string what, std::string group, std::function<const char *()> call) {
    return {std::move(what), std::move(group), nullptr, std::move(call)};
}

std::string list_state(velk_handle list) {
    std::string out;
    for (const auto &[name, data] : entries(list))
        out += name + "=" + data + ";";
    return out;
}

} // namespace

TEST(TextSweep, ListReadersAndErrorTexts) {
    velk_handle list = make_list({{"first", std::string("one\0two", 7)}, {"second", "2"}});
    velk_handle second = llNext(list);
    velk::set_error(velk::Family::list, "the list family's message");
    velk::set_error(velk::Family::xml, "the xml family's message");
    const std::string g = "text results";
    const std::vector<TextCall> cases = {
        plain("llData", g, [&] { return llData(list); }),
        z("llzData", g, [&] { return llzData(list); }),
        plain("llbData", g, [&] { return llbData(list); }),
        plain("llName", g, [&] { return llName(second); }),
        z("llzName", g, [&] { return llzName(second); }),
        plain("llDataByName", g, [&] { return llDataByName(list, bs("SECOND")); }),
        z("llzDataByName", g, [&] { return llzDataByName(list, " second"); }),
        plain("llbDataByName", g, [&] { return llbDataByName(list, bs("first")); }),
        plain("llLastError", g, [] { return llLastError(); }),
        z("llzLastError", g, [] { return llzLastError(); }),
        plain("xmlLastError", g, [] { return xmlLastError(); }),
        z("xmlzLastError", g, [] { return xmlzLastError(); }),
    };
    unsigned points = 0;
    for (const TextCall &c : cases)
        points += sweep_text(c, [&] { return list_state(list) + velk::error_text(velk::Family::list); });
    EXPECT_EQ(points, cases.size());
    EXPECT_EQ(take(llbData(list)), std::string("one\0two", 7));
    llFree(list);
}

TEST(TextSweep, EscapingInEveryName) {
    const std::string raw = "a<b & \"c\" 'd' > e";
    const std::string escaped = "a&lt;b &amp; &quot;c&quot; &apos;d&apos; &gt; e";
    const std::string g = "escaping";
    const std::vector<TextCall> cases = {
        plain("xmlClean", g, [&] { return xmlClean(bs(raw)); }),
        plain("ll_xmlClean", g, [&] { return ll_xmlClean(bs(raw)); }),
        z("xmlzClean", g, [&] { return xmlzClean(raw.c_str()); }),
        plain("xmlUnClean", g, [&] { return xmlUnClean(bs(escaped)); }),
        plain("ll_xmlUnClean", g, [&] { return ll_xmlUnClean(bs(escaped)); }),
        z("xmlzUnClean", g, [&] { return xmlzUnClean(escaped.c_str()); }),
    };
    unsigned points = 0;
    for (const TextCall &c : cases)
        points += sweep_text(c, [] { return std::string(); });
    EXPECT_GT(points, cases.size()); // the result, and for escaping the buffer the text is built in
    EXPECT_EQ(take(xmlClean(bs(raw))), escaped);
    EXPECT_EQ(take(xmlUnClean(bs(escaped))), raw);
}

TEST(TextSweep, TreeReadersAttributeTextAndWriters) {
    velk_handle doc = parse("<?xml version='1.0'?><root a='1' b=\"x&amp;y\"><item>x &lt; y</item>"
                            "<!-- note --><e/><deep><item>inner</item></deep></root>");
    velk_handle root = xmlzFindNode(doc, -1, "root", nullptr, nullptr);
    velk_handle item = xmlzFindChild(root, "item");
    ASSERT_NE(item, 0u);
    const std::string r = "text results", a = "attributes", w = "writers";
    std::vector<TextCall> cases = {
        plain("xmlGetTag", r, [&] { return xmlGetTag(root); }),
        z("xmlzGetTag", r, [&] { return xmlzGetTag(root); }),
        plain("xmlChildData", r, [&] { return xmlChildData(item); }),
        z("xmlzChildData", r, [&] { return xmlzChildData(item); }),
        plain("xmlExtractSimpleChildData", r, [&] { return xmlExtractSimpleChildData(root, bs("item")); }),
        z("xmlzExtractSimpleChildData", r, [&] { return xmlzExtractSimpleChildData(root, "item"); }),
        plain("xmlGetChildTagData", r, [&] { return xmlGetChildTagData(doc, bs("item")); }),
        z("xmlzGetChildTagData", r, [&] { return xmlzGetChildTagData(doc, "item"); }),
        plain("xmlAttribName", r, [&] { return xmlAttribName(root, 2); }),
        z("xmlzAttribName", r, [&] { return xmlzAttribName(root, 2); }),
        plain("xmlAttribValue", r, [&] { return xmlAttribValue(root, bs("b")); }),
        z("xmlzAttribValue", r, [&] { return xmlzAttribValue(root, "b"); }),
        plain("xmlAttribToString", a, [&] { return xmlAttribToString(root); }),
        z("xmlzAttribToString", a, [&] { return xmlzAttribToString(root); }),
    };
    for (int indent : {0, 1}) {
        std::string form = indent ? " indented" : " compact";
        cases.push_back(
            plain("xmlNodeToString" + form, w, [&, indent] { return xmlNodeToString(root, indent); }));
        cases.push_back(
            z("xmlzNodeToString" + form, w, [&, indent] { return xmlzNodeToString(root, indent); }));
        cases.push_back(
            plain("xmlTreeToString" + form, w, [&, indent] { return xmlTreeToString(doc, indent); }));
        cases.push_back(
            z("xmlzTreeToString" + form, w, [&, indent] { return xmlzTreeToString(doc, indent); }));
    }
    unsigned points = 0;
    for (const TextCall &c : cases)
        points += sweep_text(c, [&] { return dump(doc) + tree_text(doc); });
    EXPECT_GT(points, cases.size()); // results, and the buffers the writers build their text in
    xmlFree(doc);
}
