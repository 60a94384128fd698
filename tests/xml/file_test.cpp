#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "file_support.h"
#include "frame/errors.h"
#include "frame/files.h"
#include "xml_support.h"

using namespace velk_test;
using velk::testing::FileOp;

namespace {

velk_handle parse_file(const std::string &name) {
    velk_bstr s = bs(name);
    velk_handle root = xmlParseFile(&s);
    EXPECT_EQ(take(s), name); // the caller's string stays the caller's
    return root;
}

} // namespace

TEST(XmlFile, ParseFileReadsTheFileAsXmlParseReadsItsText) {
    TempDir dir;
    write_file(dir.file("a.xml"), "\xEF\xBB\xBF<a>x\r\n<b k='v'/></a>");
    velk_handle from_file = parse_file(dir.file("a.xml"));
    velk_handle from_text = parse("\xEF\xBB\xBF<a>x\r\n<b k='v'/></a>");
    ASSERT_NE(from_file, 0u);
    EXPECT_EQ(tree_text(from_file), tree_text(from_text));
    xmlFree(from_file);
    xmlFree(from_text);
    velk_handle z = xmlzParseFile(dir.file("a.xml").c_str());
    EXPECT_EQ(tag(z), "a");
    xmlFree(z);
}

TEST(XmlFile, ParseFileMissingEmptyAndUnparsableFiles) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder"));
    write_file(dir.file("empty.xml"), "");
    write_file(dir.file("plain.txt"), "no tags here");
    EXPECT_EQ(parse_file(dir.file("none.xml")), 0u);
    EXPECT_EQ(xml_error(), "Cannot locate xml file " + dir.file("none.xml"));
    EXPECT_EQ(parse_file(dir.file("folder")), 0u);
    EXPECT_EQ(xml_error(), "Cannot locate xml file " + dir.file("folder"));
    EXPECT_EQ(xmlzParseFile(nullptr), 0u);
    EXPECT_EQ(xml_error(), "Cannot locate xml file ");
    EXPECT_EQ(parse_file(dir.file("empty.xml")), 0u);
    EXPECT_EQ(xml_error(), "File " + dir.file("empty.xml") + " is empty.");
    std::filesystem::remove(dir.file("empty.xml")); // not left open
    EXPECT_FALSE(file_present(dir.file("empty.xml")));
    EXPECT_EQ(parse_file(dir.file("plain.txt")), 0u);
    EXPECT_EQ(xml_error(), "No starting tag found");
}

TEST(XmlFile, ParseFilePatternsPassTheLookupButNotTheOpen) {
    TempDir dir;
    write_file(dir.file("a.xml"), "<a/>");
    EXPECT_EQ(parse_file(dir.file("*.xml")), 0u);
    EXPECT_EQ(xml_error(), "Error opening xml file " + dir.file("*.xml") + " error=64");
    EXPECT_EQ(parse_file(dir.file("*.none")), 0u);
    EXPECT_EQ(xml_error(), "Cannot locate xml file " + dir.file("*.none"));
}

TEST(XmlFile, ParseFileOpenAndReadFailuresAreReported) {
    TempDir dir;
    write_file(dir.file("a.xml"), "<a>text</a>");
    velk::testing::fail_file_operation(FileOp::open, 1, 5); // access denied
    EXPECT_EQ(parse_file(dir.file("a.xml")), 0u);
    EXPECT_EQ(xml_error(), "Error opening xml file " + dir.file("a.xml") + " error=70");
    BlockWatch watch;
    velk::testing::fail_file_operation(FileOp::read, 1, 23);
    EXPECT_EQ(parse_file(dir.file("a.xml")), 0u); // never a buffer of blanks
    EXPECT_EQ(xml_error(), "Error reading xml file " + dir.file("a.xml") + " error=72");
    EXPECT_EQ(watch.leaked(), 0);
    velk::files::File holder; // held exclusively by another opener
    ASSERT_EQ(velk::files::File::open(dir.file("a.xml"), velk::files::Access::read_write,
                                      velk::files::Share::none, holder),
              0);
    EXPECT_EQ(parse_file(dir.file("a.xml")), 0u);
    EXPECT_EQ(xml_error(), "Error opening xml file " + dir.file("a.xml") + " error=70");
}

TEST(XmlFile, TreeToFileWritesExactlyTheCompactTextOfTheNodeAndItsSiblings) {
    TempDir dir;
    velk_handle root = parse("<?xml version='1.0'?><r a=\"1\">x<c>y\nz</c></r><!--end-->");
    ASSERT_EQ(xmlTreeToFile(root, bs(dir.file("t.xml")), 0), 1);
    EXPECT_EQ(read_file(dir.file("t.xml")), tree_text(root));
    velk_handle r = xmlNextSibling(root);
    ASSERT_EQ(xmlzNodeToFile(r, dir.file("n.xml").c_str()), 1);
    EXPECT_EQ(read_file(dir.file("n.xml")), tree_text(r));
    EXPECT_NE(read_file(dir.file("n.xml")).find("<!--end-->"), std::string::npos);
    xmlFree(root);
}

TEST(XmlFile, TreeToFileNullNodeWritesAnEmptyFile) {
    TempDir dir;
    EXPECT_EQ(xmlTreeToFile(0, bs(dir.file("t.xml")), 0), 1);
    EXPECT_EQ(xmlNodeToFile(0, bs(dir.file("n.xml"))), 1);
    EXPECT_TRUE(file_present(dir.file("t.xml")));
    EXPECT_EQ(read_file(dir.file("t.xml")), "");
    EXPECT_EQ(read_file(dir.file("n.xml")), "");
}

TEST(XmlFile, TreeToFileExistingFilesAreRefusedOrReplacedOnRequest) {
    TempDir dir;
    velk_handle doc = parse("<new/>");
    write_file(dir.file("old.xml"), "old contents");
    EXPECT_EQ(xmlTreeToFile(doc, bs(dir.file("old.xml")), 0), 0);
    EXPECT_EQ(xml_error(), "Output file exists: " + dir.file("old.xml"));
    EXPECT_EQ(xmlNodeToFile(doc, bs(dir.file("old.xml"))), 0);
    EXPECT_EQ(xml_error(), "File '" + dir.file("old.xml") + "' already exists.");
    EXPECT_EQ(read_file(dir.file("old.xml")), "old contents");
    EXPECT_EQ(xmlTreeToFile(doc, bs(dir.file("old.xml")), 1), 1);
    EXPECT_EQ(read_file(dir.file("old.xml")), "<new />");
    xmlFree(doc);
}

TEST(XmlFile, TreeToFileAFileThatCannotBeReplacedStays) {
    TempDir dir;
    velk_handle doc = parse("<new/>");
    const std::string kept = dir.file("kept.xml");
    write_file(kept, "kept");
    velk::testing::fail_file_operation(FileOp::place, 1, 5); // refused at the last step
    EXPECT_EQ(xmlTreeToFile(doc, bs(kept), 1), 0);
    EXPECT_EQ(xml_error(), "Output file exists and cannot be deleted.");
    EXPECT_EQ(read_file(kept), "kept");
    {
        velk::files::File holder; // another opener's exclusive hold
        ASSERT_EQ(
            velk::files::File::open(kept, velk::files::Access::read_write, velk::files::Share::none, holder),
            0);
        velk::set_error(velk::Family::xml, "");
        EXPECT_EQ(xmlTreeToFile(doc, bs(kept), 1), 0);
        EXPECT_EQ(xml_error(), "Output file exists and cannot be deleted.");
    }
    EXPECT_EQ(read_file(kept), "kept");
    // A pattern names no file to replace: nothing is deleted.
    EXPECT_EQ(xmlTreeToFile(doc, bs(dir.file("kept.*")), 1), 0);
    EXPECT_EQ(xml_error(), "Output file exists and cannot be deleted.");
    EXPECT_EQ(names_in(dir), std::vector<std::string>{"kept.xml"});
    EXPECT_EQ(read_file(kept), "kept");
    xmlFree(doc);
}

TEST(XmlFile, TreeToFileAReadOnlyFileIsSeenButNotDeleted) {
    if (!read_only_holds()) GTEST_SKIP() << "running as root: read-only files can be written";
    TempDir dir;
    velk_handle doc = parse("<a/>");
    write_file(dir.file("ro.xml"), "<kept/>");
    make_read_only(dir.file("ro.xml"));
    EXPECT_EQ(xmlTreeToFile(doc, bs(dir.file("ro.xml")), 1), 0);
    EXPECT_EQ(xml_error(), "Output file exists and cannot be deleted.");
    EXPECT_EQ(read_file(dir.file("ro.xml")), "<kept/>");
    velk_handle back = parse_file(dir.file("ro.xml")); // reading needs no write access
    EXPECT_EQ(tag(back), "kept");
    xmlFree(back);
    xmlFree(doc);
}

TEST(XmlFile, TreeToFileOpenFailuresCarryTheirNumber) {
    TempDir dir;
    velk_handle doc = parse("<a/>");
    EXPECT_EQ(xmlTreeToFile(doc, bs(dir.file("no/such.xml")), 0), 0);
    EXPECT_EQ(xml_error(), "Unable to open output file '" + dir.file("no/such.xml") + "', err=76");
    EXPECT_EQ(xmlzNodeToFile(doc, dir.file("no/such.xml").c_str()), 0);
    EXPECT_EQ(xml_error(), "Unable to open output file '" + dir.file("no/such.xml") + "' err=76");
    EXPECT_EQ(xmlTreeToFile(doc, nullptr, 1), 0);
    EXPECT_EQ(xml_error(), "Unable to open output file '', err=64");
    EXPECT_EQ(xmlzNodeToFile(doc, dir.file("*.none").c_str()), 0);
    EXPECT_EQ(xml_error(), "Unable to open output file '" + dir.file("*.none") + "' err=64");
    std::filesystem::create_directory(dir.file("folder"));
    EXPECT_EQ(xmlzNodeToFile(doc, dir.file("folder").c_str()), 0); // not matched, not opened
    EXPECT_NE(xml_error().find("Unable to open output file '" + dir.file("folder") + "' err="),
              std::string::npos);
    xmlFree(doc);
}

TEST(XmlFile, TreeToFileAFileTheExistenceTestMissesIsNeverOverwritten) {
#if defined(_WIN32)
    TempDir dir;
    velk_handle doc = parse("<a/>");
    write_file(dir.file("hidden.xml"), "someone else's");
    ASSERT_TRUE(SetFileAttributesA(dir.file("hidden.xml").c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(xmlTreeToFile(doc, bs(dir.file("hidden.xml")), 1), 0);
    EXPECT_EQ(xml_error(), "Unable to open output file '" + dir.file("hidden.xml") + "', err=75");
    EXPECT_EQ(xmlzNodeToFile(doc, dir.file("hidden.xml").c_str()), 0);
    EXPECT_EQ(xml_error(), "Unable to open output file '" + dir.file("hidden.xml") + "' err=75");
    SetFileAttributesA(dir.file("hidden.xml").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(read_file(dir.file("hidden.xml")), "someone else's");
    xmlFree(doc);
#else
    GTEST_SKIP() << "no hidden files here: every regular file is seen by the existence test";
#endif
}

TEST(XmlFile, TreeToFileWriteAndCloseFailuresAreReportedAndChangeNoFile) {
    TempDir dir;
    velk_handle doc = parse("<a>text</a>");
    write_file(dir.file("old.xml"), "<old/>");
    velk::testing::fail_file_operation(FileOp::write, 1, 112);
    EXPECT_EQ(xmlTreeToFile(doc, bs(dir.file("w.xml")), 0), 0);
    EXPECT_EQ(xml_error(), "Error writing output file '" + dir.file("w.xml") + "', err=61");
    velk::testing::fail_file_operation(FileOp::close, 1, 112);
    EXPECT_EQ(xmlzNodeToFile(doc, dir.file("c.xml").c_str()), 0);
    EXPECT_EQ(xml_error(), "Error writing output file '" + dir.file("c.xml") + "' err=61");
    velk::testing::fail_file_operation(FileOp::write, 1, 112);
    EXPECT_EQ(xmlTreeToFile(doc, bs(dir.file("old.xml")), 1), 0);
    EXPECT_EQ(xml_error(), "Error writing output file '" + dir.file("old.xml") + "', err=61");
    EXPECT_EQ(read_file(dir.file("old.xml")), "<old/>");
    EXPECT_EQ(names_in(dir), std::vector<std::string>{"old.xml"}); // no part of a file is left
    xmlFree(doc);
}

// A name longer than 255 bytes, or holding a NUL byte (the counted face), is
// refused whole (64): the system used to be given its first 255 bytes, or
// the bytes before the NUL, which name another file.
TEST(XmlFile, NamesLongerThan255BytesOrHoldingNulAreRefused) {
    TempDir dir;
    std::string kept = dir.file("keep");
    kept += std::string(255 - kept.size(), 'k');
    write_file(kept, "<old/>");
    velk_handle doc = parse("<new/>");
    for (const std::string &name : {kept + ".new.xml", kept + std::string("\0.bak", 5)}) {
        SCOPED_TRACE(name.size());
        EXPECT_EQ(xmlTreeToFile(doc, bs(name), 1), 0);
        EXPECT_EQ(xml_error(), "Unable to open output file '" + name + "', err=64");
        EXPECT_EQ(xmlNodeToFile(doc, bs(name)), 0);
        EXPECT_EQ(parse_file(name), 0u);
        EXPECT_EQ(xml_error(), "Error opening xml file " + name + " error=64");
    }
    const std::string longer = kept + ".new.xml";
    EXPECT_EQ(xmlzNodeToFile(doc, longer.c_str()), 0);
    EXPECT_EQ(xml_error(), "Unable to open output file '" + longer + "' err=64");
    EXPECT_EQ(xmlzParseFile(longer.c_str()), 0u);
    EXPECT_EQ(read_file(kept), "<old/>");
    xmlFree(doc);
}
