// Editing a parsed document through api/velk_edit.h: each change is held to
// what the writers, the searches, xmlFree and the creation chain rely on.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support.h"
#include "velk_edit.h"

namespace {

using velk_test::BlockWatch;
using velk_test::bs;
using velk_test::take;

velk_handle parse(const std::string &text) { return xmlzParse(text.c_str()); }
std::string compact(velk_handle doc) { return take(xmlTreeToString(doc, 0)); }
std::string indented(velk_handle doc) { return take(xmlTreeToString(doc, 1)); }
const XmlNode *rec(velk_handle h) { return VELK_XML_NODE(h); }

// The tree in document order (links checked on the way: parent, siblings
// both ways, depth one below the parent) against the creation chain: the
// same nodes in the same order.
void expect_sound(velk_handle doc) {
    std::vector<const XmlNode *> tree, chain;
    std::vector<const XmlNode *> pending{rec(doc)};
    while (!pending.empty()) {
        const XmlNode *n = pending.back();
        pending.pop_back();
        tree.push_back(n);
        if (n->nextSibling) {
            EXPECT_EQ(n->nextSibling->prevSibling, n);
            EXPECT_EQ(n->nextSibling->parent, n->parent);
            pending.push_back(n->nextSibling);
        }
        if (n->firstChild) {
            EXPECT_EQ(n->firstChild->prevSibling, nullptr);
            EXPECT_EQ(n->firstChild->parent, n);
            EXPECT_EQ(n->firstChild->depth, n->depth + 1);
            pending.push_back(n->firstChild);
        }
    }
    for (const XmlNode *n = rec(doc); n; n = n->docNext)
        chain.push_back(n);
    EXPECT_EQ(chain, tree);
}

struct Doc {
    explicit Doc(const std::string &text) : handle(parse(text)) {}
    ~Doc() { xmlFree(handle); }
    velk_handle child(const char *tag, velk_handle of = 0) const {
        return xmlzFindNode(of ? of : handle, -1, tag, "", "");
    }
    velk_handle handle;
};

TEST(Edit, RootElementIsTheFirstTopLevelElement) {
    Doc with_prolog("<?xml version='1.0'?>\n<!-- c --><r><a/></r>");
    EXPECT_EQ(velk_root_element(with_prolog.handle), with_prolog.child("r"));
    Doc bare("<r/>");
    EXPECT_EQ(velk_root_element(bare.handle), bare.handle);
    Doc none("<?xml version='1.0'?>");
    EXPECT_EQ(velk_root_element(none.handle), velk_handle(0));
    EXPECT_EQ(velk_root_element(0), velk_handle(0));
}

TEST(Edit, SetTextReplacesOrAddsTheFirstText) {
    BlockWatch blocks;
    {
        // Every gap between two tags is a text of its own, empty or not: the
        // first text of <m> is the empty one before <x/>.
        Doc doc("<c><t>10</t><e></e><s/><m><x/> y</m></c>");
        EXPECT_EQ(velk_set_text(doc.child("t"), "30 & more"), VELK_SUCCESS);
        EXPECT_EQ(velk_set_text(doc.child("e"), "new"), VELK_SUCCESS);
        EXPECT_EQ(velk_set_text(doc.child("s"), "was closed"), VELK_SUCCESS);
        EXPECT_EQ(velk_set_text(doc.child("m"), "first"), VELK_SUCCESS);
        EXPECT_EQ(compact(doc.handle),
                  "<c><t>30 &amp; more</t><e>new</e><s>was closed</s><m>first<x /> y</m></c>");
        EXPECT_EQ(velk_set_text(doc.child("t"), ""), VELK_SUCCESS);
        EXPECT_EQ(compact(doc.handle), "<c><t></t><e>new</e><s>was closed</s><m>first<x /> y</m></c>");
        EXPECT_EQ(take(xmlChildData(doc.child("e"))), "new");
        EXPECT_NE(doc.child("x"), velk_handle(0)); // the search still reaches past the new texts
        expect_sound(doc.handle);
        EXPECT_EQ(velk_set_text(0, "x"), VELK_FAILURE);
        EXPECT_EQ(velk_set_text((velk_handle)rec(doc.child("e"))->firstChild, "x"),
                  VELK_FAILURE); // a text node
    }
    EXPECT_EQ(blocks.leaked(), 0);
}

TEST(Edit, NewElementsTakeTheirPlaceInTreeAndChain) {
    BlockWatch blocks;
    {
        Doc doc("<?xml version='1.0'?><r><a>1</a><b><c/></b></r>");
        const velk_handle a = doc.child("a"), b = doc.child("b");
        EXPECT_NE(velk_new_element(b, VELK_BEFORE, "x", "before b"), velk_handle(0));
        EXPECT_NE(velk_new_element(a, VELK_AFTER, "x", ""), velk_handle(0));
        EXPECT_NE(velk_new_element(a, VELK_BEFORE, "first", 0), velk_handle(0));
        EXPECT_NE(velk_new_element(b, VELK_FIRST_CHILD, "b0", "t"), velk_handle(0));
        EXPECT_NE(velk_new_element(b, VELK_LAST_CHILD, "b9", 0), velk_handle(0));
        EXPECT_NE(velk_new_element(doc.child("c"), VELK_LAST_CHILD, "deep", "d"), velk_handle(0));
        EXPECT_NE(velk_new_element(doc.child("r"), VELK_AFTER, "tail", 0), velk_handle(0));
        EXPECT_EQ(compact(doc.handle), "<?xml version='1.0'?><r><first></first><a>1</a><x></x><x>before b</x>"
                                       "<b><b0>t</b0><c><deep>d</deep></c><b9></b9></b></r><tail></tail>");
        expect_sound(doc.handle);
        // The search meets them in document order: the first "x" is the one after a.
        EXPECT_EQ(rec(xmlzFindNode(doc.handle, -1, "x", "", ""))->prevSibling, rec(a));
        EXPECT_EQ(rec(doc.child("deep"))->depth, 3);
        // The indented writer indents them by their depth, as a parse of the text would.
        const velk_handle again = parse(compact(doc.handle));
        EXPECT_EQ(indented(doc.handle), indented(again));
        xmlFree(again);
    }
    EXPECT_EQ(blocks.leaked(), 0);
}

TEST(Edit, WhatCannotBePlacedIsRefusedAndChangesNothing) {
    Doc doc("<r><a/></r>");
    const std::string before = compact(doc.handle);
    EXPECT_EQ(velk_new_element(doc.handle, VELK_BEFORE, "x", 0), velk_handle(0)); // the document's first node
    EXPECT_EQ(velk_new_element(doc.child("a"), VELK_AFTER, "", 0), velk_handle(0));
    EXPECT_EQ(velk_new_element(doc.child("a"), 7, "x", 0), velk_handle(0));
    EXPECT_EQ(velk_new_element(0, VELK_AFTER, "x", 0), velk_handle(0));
    // Only elements hold children: a text would write them after it.
    const velk_handle text = (velk_handle)VELK_XML_NODE(doc.handle)->firstChild;
    EXPECT_EQ(velk_new_element(text, VELK_FIRST_CHILD, "x", 0), velk_handle(0));
    VelkAppender appender;
    EXPECT_EQ(velk_appender_start(&appender, text), VELK_FAILURE);
    // A node on no chain of the document: refused as a place, and not removed.
    const velk_handle simple = xmlzAddSimpleChild(doc.child("a"), "s", "v");
    const std::string with_simple = compact(doc.handle);
    EXPECT_EQ(velk_new_element(simple, VELK_AFTER, "x", 0), velk_handle(0));
    EXPECT_EQ(velk_new_element(simple, VELK_LAST_CHILD, "x", 0), velk_handle(0));
    EXPECT_EQ(velk_remove(simple), VELK_FAILURE);
    EXPECT_EQ(compact(doc.handle), with_simple);
    EXPECT_EQ(velk_remove(doc.handle), VELK_FAILURE);
    EXPECT_EQ(velk_remove(0), VELK_FAILURE);
    EXPECT_NE(before, with_simple);
    xmlFree(xmlChild(simple));
    xmlFree(simple);
}

TEST(Edit, RemovedNodesLeaveTreeAndChainAndAreReleasedAtOnce) {
    BlockWatch blocks;
    {
        Doc doc("<r><a>1</a><b k='v'><c>2<d/></c><!-- x --></b><e/></r><!-- end -->");
        const long held = velk::testing::live_blocks();
        EXPECT_EQ(velk_remove(doc.child("b")), VELK_SUCCESS);
        // b, its attribute (record, name, value), c, its text, d, the comment
        // (record and body): released now, not with the document.
        EXPECT_LT(velk::testing::live_blocks(), held - 8);
        EXPECT_EQ(compact(doc.handle), "<r><a>1</a><e /></r><!-- end -->");
        EXPECT_EQ(doc.child("c"), velk_handle(0));
        expect_sound(doc.handle);
        EXPECT_EQ(velk_remove(doc.child("a")), VELK_SUCCESS); // a first child, with its text
        EXPECT_EQ(velk_remove(doc.child("e")), VELK_SUCCESS); // a last child
        EXPECT_EQ(compact(doc.handle), "<r></r><!-- end -->");
        expect_sound(doc.handle);
        // The top-level nodes after r (an empty text, the comment), the last
        // one the chain's last.
        while (const XmlNode *after = rec(doc.handle)->nextSibling)
            ASSERT_EQ(velk_remove((velk_handle)after), VELK_SUCCESS);
        EXPECT_EQ(compact(doc.handle), "<r></r>");
        expect_sound(doc.handle);
        // Nodes made here are removed the same way.
        const velk_handle made = velk_new_element(doc.handle, VELK_LAST_CHILD, "m", "t");
        EXPECT_EQ(velk_remove(made), VELK_SUCCESS);
        expect_sound(doc.handle);
    }
    EXPECT_EQ(blocks.leaked(), 0);
}

TEST(Edit, AnAppenderAddsChildrenAfterTheOnesThere) {
    BlockWatch blocks;
    {
        Doc doc("<r><list><old>o</old></list><after/></r>");
        VelkAppender appender;
        ASSERT_EQ(velk_appender_start(&appender, doc.child("list")), VELK_SUCCESS);
        std::string expected = "<r><list><old>o</old>";
        for (int i = 0; i < 1000; ++i) {
            const std::string text = i % 3 ? std::to_string(i) : "";
            ASSERT_NE(velk_append(&appender, "item", text.c_str()), velk_handle(0));
            expected += text.empty() ? "<item></item>" : "<item>" + text + "</item>";
        }
        EXPECT_EQ(velk_append(&appender, "", "x"), velk_handle(0));
        EXPECT_EQ(compact(doc.handle), expected + "</list><after /></r>");
        expect_sound(doc.handle);
        VelkAppender none;
        EXPECT_EQ(velk_appender_start(&none, 0), VELK_FAILURE);
        EXPECT_EQ(velk_append(&none, "x", 0), velk_handle(0));
    }
    EXPECT_EQ(blocks.leaked(), 0);
}

TEST(Edit, ExhaustedMemoryLeavesTheTreeAsItWas) {
    velk_test::FailureReset reset;
    BlockWatch blocks;
    {
        Doc doc("<r><a>1</a></r>");
        const std::string before = compact(doc.handle);
        // Each block of a new element with a text child fails in turn; then
        // one that succeeds.
        unsigned nth = 1;
        for (;; ++nth) {
            velk::testing::fail_allocation(nth);
            const velk_handle made = velk_new_element(doc.child("a"), VELK_AFTER, "b", "text");
            velk::testing::fail_allocation(0);
            if (made) break;
            EXPECT_EQ(compact(doc.handle), before) << nth;
            expect_sound(doc.handle);
        }
        EXPECT_EQ(nth, 5u); // element, tag, text node, text: four blocks to fail
        velk::testing::fail_allocation(1);
        EXPECT_EQ(velk_set_text(doc.child("a"), "2"), VELK_FAILURE);
        velk::testing::fail_allocation(0);
        EXPECT_EQ(take(xmlChildData(doc.child("a"))), "1");
    }
    EXPECT_EQ(blocks.leaked(), 0);
}

} // namespace

namespace {

TEST(Edit, RemoveAttribTakesOffTheNamedOneAndReleasesIt) {
    BlockWatch blocks;
    {
        Doc doc("<r a='1' b='2' c='3' b='4'/>");
        const velk_handle r = doc.child("r");
        EXPECT_EQ(velk_remove_attrib(r, "b"), VELK_SUCCESS); // the first of the two
        EXPECT_EQ(compact(doc.handle), "<r a='1' c='3' b='4' />");
        EXPECT_EQ(velk_remove_attrib(r, "a"), VELK_SUCCESS);
        EXPECT_EQ(velk_remove_attrib(r, "b"), VELK_SUCCESS);
        EXPECT_EQ(compact(doc.handle), "<r c='3' />");
        for (const char *name : {"b", "", static_cast<const char *>(nullptr)})
            EXPECT_EQ(velk_remove_attrib(r, name), VELK_FAILURE);
        EXPECT_EQ(velk_remove_attrib(0, "c"), VELK_FAILURE);
        EXPECT_EQ(velk_remove_attrib(r, "c"), VELK_SUCCESS);
        EXPECT_EQ(compact(doc.handle), "<r />");
        EXPECT_EQ(xmlzSetAttrib(r, "d", "5"), VELK_SUCCESS); // the list is sound to add to again
        EXPECT_EQ(compact(doc.handle), "<r d=\"5\" />");
    }
    EXPECT_EQ(blocks.leaked(), 0);
}

} // namespace
