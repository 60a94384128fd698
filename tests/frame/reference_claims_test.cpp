// Claims of the reference (api/velk_xml.h), the README and the man page that
// readers have held to the library: each test finds the claim's words in its
// file and then checks what they say, so that a change to either the text or
// the behaviour shows here.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "file_support.h"
#include "velk_xml.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace {

// A file of the sources as prose: the header's comment leaders (" * ") gone
// and every run of blanks one space, so that a claim is found however its
// lines are broken.
std::string prose(const char *path) {
    std::ifstream in(std::string(VELK_SOURCE_FROM_TESTS "/") + path, std::ios::binary);
    std::stringstream read;
    read << in.rdbuf();
    const std::string text = read.str();
    EXPECT_GT(text.size(), 1000u) << path << " was not read";
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\n') {
            std::size_t k = text.find_first_not_of(' ', i + 1);
            if (k != std::string::npos && text[k] == '*' && text.compare(k, 2, "*/") != 0) i = k;
            c = ' ';
        }
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out += c;
    }
    return out;
}

void expect_claim(const char *path, const std::string &words) {
    EXPECT_NE(prose(path).find(words), std::string::npos) << path << " no longer says: " << words;
}

// The parser's message for text it refuses, or "parsed" with the tree.
std::string parse(const char *text) {
    const velk_handle doc = xmlzParse(text);
    if (!doc) return xmlzLastError();
    std::string tree = std::string("parsed ") + xmlzTreeToString(doc, VELK_COMPACT);
    xmlFree(doc);
    return tree;
}

TEST(ReferenceClaims, DocumentTypeDeclarations) {
    expect_claim("api/velk_xml.h", R"(("<!DOCTYPE html>") becomes an open element named "!DOCTYPE")");
    expect_claim("api/velk_xml.h",
                 R"(("<!DOCTYPE html >" gives "(1:15) No value specified for attribute 'html'"))");
    expect_claim(
        "api/velk_xml.h",
        R"("<!DOCTYPE r [...]>" the same message for the "[" ("(1:12) ... Attrib=r currentChar=91"))");
    expect_claim("README.md", "`<!DOCTYPE html >` gives `(1:15) No value specified for attribute 'html'`");
    EXPECT_EQ(parse("<!DOCTYPE html><a/>"), "parsed <!DOCTYPE><a /></!DOCTYPE>");
    EXPECT_EQ(parse("<!DOCTYPE html ><a/>"), "(1:15) No value specified for attribute 'html'");
    EXPECT_EQ(parse("<!DOCTYPE r [<!ENTITY e 'x'>]><r/>"),
              "(1:12) Attribute invalid character before attribute value. Attrib=r currentChar=91");
}

TEST(ReferenceClaims, AttributeNamesWithoutValues) {
    expect_claim("api/velk_xml.h",
                 R"(dropped when ">" follows it at once ("<a b>", and "<?p b?>" in an instruction))");
    expect_claim("api/velk_xml.h",
                 R"(("<a b >" and "<a b />" give "(1:5) No value specified for attribute 'b'"))");
    expect_claim(
        "api/velk_xml.h",
        R"(in "<a b/>" the "/" is read as part of the name, which is dropped, so that the element stays open)");
    EXPECT_EQ(parse("<a b>x</a>"), "parsed <a>x</a>");
    EXPECT_EQ(parse("<?p b?><a/>"), "parsed <?p?><a />");
    EXPECT_EQ(parse("<a b >x</a>"), "(1:5) No value specified for attribute 'b'");
    EXPECT_EQ(parse("<a b />"), "(1:5) No value specified for attribute 'b'");
    EXPECT_EQ(parse("<r><a b/><c/></r>"), "(1:16) Nesting error. Expecing end tag=a, but found r");
}

TEST(ReferenceClaims, WhereAMessageIsPlacedAndWhichOneItIs) {
    expect_claim("api/velk_xml.h",
                 R"(("<a></b>" gives "(1:6) Nesting error. Expecing end tag=a, but found b"))");
    expect_claim(
        "api/velk_xml.h",
        R"~("Invalid character found in attribute name: X" is for a quote, "<" or "=" where an attribute name would begin ("<a ='1'>"); its "(2)" twin for a quote or "<" that ends a name ("<a b<c>"))~");
    EXPECT_EQ(parse("<a></b>"), "(1:6) Nesting error. Expecing end tag=a, but found b");
    EXPECT_EQ(parse("<a ='1'>"), "(1:3) Invalid character found in attribute name: =");
    EXPECT_EQ(parse("<a 'x'>"), "(1:3) Invalid character found in attribute name: '");
    EXPECT_EQ(parse("<a b<c>"), "(1:4) Invalid character found in attribute name (2): <");
    EXPECT_EQ(parse("<a b\"c\">"), "(1:4) Invalid character found in attribute name (2): \"");
}

TEST(ReferenceClaims, AByteOrderMarkIsSkippedAndNotWrittenBack) {
    expect_claim("api/velk_xml.h",
                 "a UTF-8 byte-order mark (EF BB BF) among them, so a tree parsed from text "
                 "that begins with one is written back without it");
    velk_test::TempDir dir;
    const std::string in = dir.file("bom.xml"), out = dir.file("out.xml");
    velk_test::write_file(in, "\xEF\xBB\xBF<r>x</r>");
    const velk_handle doc = xmlzParseFile(in.c_str());
    ASSERT_NE(doc, 0u) << xmlzLastError();
    ASSERT_EQ(xmlzNodeToFile(doc, out.c_str()), VELK_SUCCESS) << xmlzLastError();
    xmlFree(doc);
    EXPECT_EQ(velk_test::read_file(out), "<r>x</r>");
}

TEST(ReferenceClaims, AMissingFileIsToldByTheCallsOwnMessage) {
    expect_claim(
        "api/velk_xml.h",
        R"(a missing file is told first by the call's own "not found" message, and a writer's missing folder is 76)");
    expect_claim("README.md", "a missing file is told by each call's own message");
    velk_test::TempDir dir;
    const std::string missing = dir.file("missing.xml"), nowhere = dir.file("none/out.xml");
    EXPECT_EQ(xmlzParseFile(missing.c_str()), 0u);
    EXPECT_EQ(std::string(xmlzLastError()), "Cannot locate xml file " + missing);
    EXPECT_EQ(llzListFromFile(missing.c_str()), 0u);
    EXPECT_EQ(std::string(llzLastError()), "Input file '" + missing + "' doesn't exist.");
    const velk_handle doc = xmlzParse("<r/>");
    EXPECT_EQ(xmlzNodeToFile(doc, nowhere.c_str()), VELK_FAILURE);
    EXPECT_EQ(std::string(xmlzLastError()), "Unable to open output file '" + nowhere + "' err=76");
    xmlFree(doc);
}

TEST(ReferenceClaims, ANameWithANulByteEndsTheZFacesMessage) {
    expect_claim("api/velk_xml.h",
                 "the plain and b faces' last-error text holds it whole, while the z faces' (a C "
                 "text) ends at the NUL, before the file error number");
    velk_test::TempDir dir;
    const std::string name = dir.file("a") + std::string(1, '\0') + "b.lst";
    const velk_handle list = llzAdd(0, "n", "d");
    EXPECT_EQ(llListToFile(list, SysAllocStringByteLen(name.data(), static_cast<uint32_t>(name.size()))),
              VELK_FAILURE);
    EXPECT_EQ(std::string(llzLastError()), "Unable to create save file " + dir.file("a"));
    velk_bstr whole = llLastError();
    EXPECT_EQ(std::string(VELK_BSTR_BYTES(whole), SysStringByteLen(whole)),
              "Unable to create save file " + name + "Error = 64");
    SysFreeString(whole);
    llFree(list);
}

#if !defined(_WIN32)
TEST(ReferenceClaims, ModesOfNewAndReplacedFiles) {
    expect_claim("api/velk_xml.h",
                 "permission bits but setuid and setgid, which it drops (a replaced 6755 file is "
                 "0755 after)");
    expect_claim("api/velk_xml.h",
                 "a new file (no file of that name before) has the mode 0666 less the process's "
                 "umask");
    expect_claim("README.md", "(6755 becomes 0755), and a new file has the mode 0666 less the umask");
    velk_test::TempDir dir;
    const std::string fresh = dir.file("new.xml"), replaced = dir.file("old.xml");
    const velk_handle doc = xmlzParse("<r/>");
    const mode_t was = umask(027);
    EXPECT_EQ(xmlzNodeToFile(doc, fresh.c_str()), VELK_SUCCESS);
    umask(was);
    velk_test::write_file(replaced, "old");
    ASSERT_EQ(chmod(replaced.c_str(), 06755), 0);
    velk_bstr name = SysAllocStringByteLen(replaced.data(), static_cast<uint32_t>(replaced.size()));
    EXPECT_EQ(xmlTreeToFile(doc, name, VELK_OVERWRITE), VELK_SUCCESS) << xmlzLastError();
    xmlFree(doc);
    struct stat st;
    ASSERT_EQ(stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    ASSERT_EQ(stat(replaced.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
}
#endif

} // namespace
