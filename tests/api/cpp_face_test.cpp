// The C++ face (api/velk_xml.hpp): what it owns is released once, its
// results are copies, its failures are exceptions with the library's
// message, and its edits and list operations keep the library's records
// as the exports leave them.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "file_support.h"
#include "support.h"
#include "velk_xml.hpp"

namespace {

using velk_test::BlockWatch;

const char kCatalog[] =
    "<?xml version='1.0'?><catalog owner=\"Ann &amp; Bob\"><book id=\"b1\"><title>Sea</title>"
    "</book><book id=\"b2\" lang='en'><title>Stone</title></book></catalog>";

TEST(CppFace, NodesReadTheTree) {
    velk::Document doc = velk::Document::parse(kCatalog);
    const velk::Node catalog = doc.root();
    EXPECT_EQ(catalog.name(), "catalog");
    EXPECT_EQ(doc.first().type(), velk::NodeType::instruction);
    EXPECT_EQ(catalog.attribute("owner"), "Ann & Bob");
    EXPECT_EQ(catalog.attribute("none"), std::nullopt);
    std::vector<std::string> ids;
    for (velk::Node book : catalog.children())
        if (book.type() == velk::NodeType::element) ids.push_back(*book.attribute("id"));
    EXPECT_EQ(ids, (std::vector<std::string>{"b1", "b2"}));
    std::vector<std::string> attributes;
    for (velk::Attribute a : doc.find("book", "id", "b2").attributes())
        attributes.push_back(std::string(a.name()) + "=" + std::string(a.value()));
    EXPECT_EQ(attributes, (std::vector<std::string>{"id=b2", "lang=en"}));
    EXPECT_EQ(doc.find("book", "id", "b2").child("title").text(), "Stone");
    EXPECT_EQ(catalog.child("title"), velk::Node()); // children only
    EXPECT_FALSE(doc.find("magazine"));
    EXPECT_THROW(velk::Node().name(), velk::Error);
}

TEST(CppFace, FailuresCarryTheMessageAndThePlace) {
    try {
        velk::Document::parse("<r><a></r>");
        FAIL() << "no exception";
    } catch (const velk::Error &e) {
        EXPECT_STREQ(e.what(), "(1:9) Nesting error. Expecing end tag=a, but found r");
        EXPECT_EQ(e.line(), 0);
    }
    try {
        velk::Document::parse_strict("<r>\n  <a>\n</r>");
        FAIL() << "no exception";
    } catch (const velk::Error &e) {
        EXPECT_STREQ(e.what(), "end tag 'r' where element 'a' is open");
        EXPECT_EQ(e.line(), 3);
        EXPECT_EQ(e.column(), 1);
    }
    EXPECT_THROW(velk::Document::parse_file("none.xml"), velk::Error);
    EXPECT_THROW(velk::Document::parse_file_strict("none.xml"), velk::Error);
    EXPECT_NO_THROW(velk::Document::parse_strict(kCatalog));
}

TEST(CppFace, DocumentsAndListsReleaseWhatTheyHoldOnce) {
    BlockWatch blocks;
    {
        velk::Document a = velk::Document::parse(kCatalog);
        velk::Document b = std::move(a);
        EXPECT_FALSE(a);
        a = velk::Document::parse("<r/>");
        a = std::move(b); // releases <r/>
        EXPECT_EQ(a.root().name(), "catalog");
        velk::List list;
        list.append("one", "1");
        velk::List other = std::move(list);
        EXPECT_TRUE(list.empty());
        list = std::move(other);
        EXPECT_EQ(list.size(), 1u);
        const velk_handle given = velk::Document::parse("<g/>").release();
        xmlFree(given);
    }
    EXPECT_EQ(blocks.leaked(), 0);
}

TEST(CppFace, EditsChangeTheTreeAsTheEditingHeaderDoes) {
    BlockWatch blocks;
    {
        velk::Document doc =
            velk::Document::parse("<config><server port='80'><timeout>10</timeout><legacy/></server>"
                                  "</config>");
        velk::Node server = doc.root().child("server");
        server.child("timeout").set_text("30");
        server.set_attribute("port", "8443");
        server.child("timeout").insert_after("log", "info");
        server.child("timeout").insert_before("name", "main");
        server.prepend_child("first");
        velk::Node added = server.append_child("last", "x");
        velk::Node legacy = server.child("legacy");
        legacy.remove();
        EXPECT_FALSE(legacy);
        EXPECT_EQ(doc.to_string(),
                  "<config><server port='8443'><first></first><name>main</name><timeout>30</timeout>"
                  "<log>info</log><last>x</last></server></config>");
        EXPECT_EQ(added.parent(), server);
        EXPECT_THROW(doc.first().insert_before("x"), velk::Error); // before the document's first node
        EXPECT_THROW(server.append_child(""), velk::Error);
    }
    EXPECT_EQ(blocks.leaked(), 0);
}

TEST(CppFace, ListsAppendFindSetEraseSortSaveAndLoad) {
    velk_test::TempDir dir;
    llzLastError(); // the thread's list return buffer, which List::load reads, is the library's to keep
    BlockWatch blocks;
    {
        velk::List list;
        for (const char *name : {"c", "a", "b"})
            list.append(name, std::string(name) + "-data");
        EXPECT_EQ(list.find("A"), "a-data"); // names are kept in lower case
        EXPECT_EQ(list.find("z"), std::nullopt);
        list.set("b", "9");
        list.set("new", "5");
        EXPECT_EQ(list.size(), 4u);
        EXPECT_TRUE(list.erase("c"));   // the first
        EXPECT_TRUE(list.erase("new")); // the last: an append goes after the new last
        EXPECT_FALSE(list.erase("none"));
        list.append("d", "1");
        std::vector<std::string> names;
        for (velk::List::Entry e : list)
            names.push_back(std::string(e.name()) + "=" + std::string(e.data()));
        EXPECT_EQ(names, (std::vector<std::string>{"a=a-data", "b=9", "d=1"}));
        list.sort(true);
        list.append("e", "0");
        EXPECT_EQ((*list.begin()).name(), "a"); // "a-data" counts 0, before 1 and 9
        const std::string file = dir.file("list.lst");
        list.save(file);
        EXPECT_THROW(list.save(file), velk::Error); // never over an existing file
        velk::List loaded = velk::List::load(file);
        EXPECT_EQ(loaded.size(), 4u);
        EXPECT_EQ(loaded.find("e"), "0");
        loaded.append("f", "after");
        EXPECT_EQ(loaded.size(), 5u);
        EXPECT_THROW(velk::List::load(dir.file("none.lst")), velk::Error);
        const std::string empty = dir.file("empty.lst");
        velk::List().save(empty);
        EXPECT_TRUE(velk::List::load(empty).empty());
    }
    EXPECT_EQ(blocks.leaked(), 0);
}

} // namespace
