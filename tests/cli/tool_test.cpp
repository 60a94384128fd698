// The tool's commands, run in this process as a caller runs them from a
// folder that holds a copy of the examples: each case gives the arguments,
// the exit status and what must be printed.
#include <cstdio>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tool.h"
#include "tool_support.h"
#include "velk_xml_version.h"

namespace {

using tool_test::Case;

class Tool : public testing::Test {
  protected:
    void SetUp() override { tool_test::enter_work_folder(); }
};

const std::string kVersion = "velkxml " VELK_XML_VERSION_STRING "\n";

const char kToolHelp[] = R"(usage: velkxml COMMAND [ARGS]

Commands:
  check [--lenient] [-q] FILE...  check that each file is well-formed XML
  format [OPTIONS] FILE           print the document indented (or compact)
  select [OPTIONS] PATH FILE...   print the values that a path selects
  edit [OPTIONS] FILE CHANGE...   update, insert and delete by path
  paths FILE                      print each element path with its count
  list show [--name NAME] FILE    print a list file as the XML list form
  list pack FILE.xml OUT.lst      save the XML list form as a new list file
  split DELIM [TEXT]              split TEXT (or standard input) at DELIM
  find [OPTIONS] FILE TAG         print the path and text of each TAG element
  get [--attr NAME] FILE TAG      print the text of the top element's TAG child

A FILE given as '-' is standard input. '--version' prints the version, also
after a command. 'velkxml COMMAND --help' tells more. Exit status: 0 done,
1 failed (or nothing found), 2 usage error, 3 not read as written (check,
edit) or shown as text that is not well-formed XML (format).
)";

TEST_F(Tool, HelpVersionAndUsage) {
    const Case runs[] = {
        Case({"--help"}, 0).out(kToolHelp).err(""),
        Case({"-h"}, 0).out(kToolHelp),
        Case({}, 2).contains("no command given"),
        Case({"--version"}, 0).out(kVersion),
        Case({"frobnicate"}, 2).contains("unknown command 'frobnicate'"),
        Case({"--verbose"}, 2).contains("unknown option '--verbose'"),
        Case({"check", "--help"}, 0).contains("usage: velkxml check [--strict] [-q] FILE..."),
    };
    for (const Case &r : runs)
        r.check();
    // --version after any command, the two of list among them.
    const std::vector<std::vector<std::string>> commands = {
        {"check"},  {"format"}, {"find"},  {"get"},          {"split"},       {"list"},
        {"select"}, {"edit"},   {"paths"}, {"list", "show"}, {"list", "pack"}};
    for (std::vector<std::string> args : commands) {
        args.push_back("--version");
        Case(args, 0).out(kVersion).check();
    }
}

TEST_F(Tool, Check) {
    const Case runs[] = {
        Case({"check", "examples/catalog.xml"}, 0).out("examples/catalog.xml: ok\n"),
        Case({"check", "examples/broken.xml", "examples/catalog.xml"}, 1)
            .out("examples/catalog.xml: ok\n")
            .err("examples/broken.xml:4:1: end tag 'ordr' where element 'order' is open\n"),
        Case({"check", "none.xml"}, 1).out("").err("none.xml: cannot read: No such file or directory\n"),
        Case({"check", "--lenient", "none.xml"}, 1)
            .out("")
            .err("none.xml: Cannot locate xml file none.xml\n"),
        Case({"check"}, 2).contains("no file given"),
        Case({"check", "--lenient", "-", "examples/catalog.xml"}, 1)
            .in("cr.xml")
            .out("examples/catalog.xml: ok (the library parses it; well-formedness not checked)\n")
            .err("-:4:6: Nesting error. Expecing end tag=a, but found b\n"),
        Case({"check", "-"}, 0).in("examples/catalog.xml").out("-: ok\n"),
        Case({"check", "-"}, 1).in("empty.txt").out("").err("-: standard input is empty\n"),
        Case({"check", "folder.xml"}, 1).out("").err("folder.xml: is a folder, not a file\n"),
        Case({"check", "--foo", "examples/catalog.xml"}, 2).out("").contains("unknown option '--foo'"),
        Case({"check", "--lenient", "strict.xml"}, 0)
            .out("strict.xml: ok (the library parses it; well-formedness not checked)\n"),
        Case({"check", "strict.xml"}, 1).out("").contains("strict.xml:2:13: "),
        Case({"check", "--strict", "--lenient", "clean.xml"}, 2)
            .contains("--strict and --lenient exclude each other"),
        Case({"check", "-q", "--lenient", "examples/catalog.xml", "lf.xml"}, 1)
            .out("")
            .err("lf.xml:4:6: Nesting error. Expecing end tag=a, but found b\n"),
        Case({"check", "--quiet", "examples/catalog.xml", "clean.xml"}, 0).out("").err(""),
        Case({"check", "empty.txt"}, 1).out("").err("empty.txt: no top-level element\n"),
        Case({"check", "--", "-x.xml"}, 1).err("-x.xml: cannot read: No such file or directory\n"),
    };
    for (const Case &r : runs)
        r.check();
}

TEST_F(Tool, CheckPlacesAsEditorsCount) {
    // The parser's positions, told as editors count (--lenient: the parser
    // alone), whatever the line ends.
    for (const char *ends : {"lf", "crlf", "cr"}) {
        const std::string file = std::string(ends) + ".xml";
        Case({"check", "--lenient", file}, 1)
            .out("")
            .err(file + ":4:6: Nesting error. Expecing end tag=a, but found b\n")
            .check();
    }
    Case({"check", "--lenient", "lead.xml"}, 1)
        .out("")
        .err("lead.xml:3:8: No value specified for attribute 'x'\n")
        .check();
}

TEST_F(Tool, CheckFindings) {
    // Each finding after which the check reads on, in one file with all
    // three kinds of line end; a clean file with a byte order mark,
    // multi-byte UTF-8 and every form of markup the parser reads.
    Case({"check", "--strict", "clean.xml", "strict.xml"}, 1)
        .out("clean.xml: ok\n")
        .err(
            R"(strict.xml:2:13: character references are not read: the parser keeps '&#65;' as literal text (and writes it back as '&amp;#65;')
strict.xml:2:20: attribute 'a' given again on element 'r'
strict.xml:3:1: entity 'nbsp' is not declared: a document without a document type declaration has only amp, lt, gt, quot and apos (the parser keeps '&nbsp;' as literal text)
strict.xml:3:7: character references are not read: the parser keeps '&#169;' as literal text (and writes it back as '&amp;#169;')
strict.xml:3:16: '&' that begins no reference (XML writes it '&amp;')
strict.xml:3:22: text that is not UTF-8 (byte 0xE9)
strict.xml:3:24: ']]>' in text (XML writes it ']]&gt;')
strict.xml:3:28: character U+0001 is not allowed in XML
strict.xml:4:8: '<' in an attribute value (XML writes it '&lt;')
strict.xml:5:8: '--' inside a comment (XML ends a comment at its first '--', which '>' must follow)
strict.xml:6:2: element name '.s' is not an XML name
strict.xml:8:1: another top-level element 'r2' (a document has one)
strict.xml:9:1: text after the top-level element
strict.xml:10:1: another top-level element 'open' (a document has one)
strict.xml:10:1: element 'open' is not closed at the end of the input
)")
        .check();
    // The first finding after which the rest cannot be read ends each file's check.
    Case({"check", "doctype.xml", "cdata.xml", "latin1.xml", "pi.xml", "early_comment.xml", "slash.xml",
          "mismatch.xml", "value.xml"},
         1)
        .out("")
        .err(
            R"(doctype.xml:1:1: document type declaration set aside: the library does not read its declarations; the rest of the document is checked without it
cdata.xml:1:4: CDATA sections are not read: the parser takes '<![CDATA[' for the start of an element, not text
latin1.xml:1:21: encoding 'ISO-8859-1' is not read: the library reads and writes the bytes as they stand, as UTF-8
pi.xml:1:17: processing instruction data that the parser cannot read: it reads an instruction's data as name="value" pairs
early_comment.xml:1:4: comment that begins '<!-->' or '<!--->': the parser ends it at that '>', XML at the next '-->'
slash.xml:1:6: '/' in a tag that '>' does not follow
mismatch.xml:1:7: end tag 'r' where element 'b' is open
value.xml:1:6: the input ends inside this attribute value
)")
        .check();
    std::string references;
    for (int column = 4; column <= 49; column += 5)
        references +=
            "-:1:" + std::to_string(column) +
            ": character references are not read: the parser keeps '&#65;' as literal text (and writes it "
            "back as '&amp;#65;')\n";
    const Case runs[] = {
        Case({"check", "--strict", "-"}, 3)
            .in("references.xml")
            .out("")
            .err(references + "-: 2 more character references\n"),
        // UTF-16 is refused by the scan, first, and never reaches the parser.
        Case({"check", "utf16.xml"}, 3)
            .out("")
            .err("utf16.xml:1:1: UTF-16 is not read: the parser reads single bytes, and refuses this text\n"),
        Case({"check", "--strict", "cut.xml"}, 1)
            .out("")
            .err("cut.xml:1:1: element 'r' is not closed at the end of the input\n"
                 "cut.xml:2:3: element 's' is not closed at the end of the input\n"),
        Case({"check", "--strict", "attributes.xml"}, 1)
            .out("")
            .err("attributes.xml:1:164: attribute 'a5' given again on element 'r'\n"),
        // The exit status: 3 for well-formed XML that the library does not
        // read (limits alone), 1 when any file is not well-formed, whatever
        // their order; ASCII declared as windows-1252 is read as it stands.
        Case({"check", "-q", "doctype.xml", "cdata.xml", "latin1.xml", "html.xml"}, 3),
        Case({"check", "-q", "doctype.xml", "mismatch.xml"}, 1),
        Case({"check", "-q", "mismatch.xml", "doctype.xml"}, 1),
        Case({"check", "ascii_1252.xml", "clean.xml"}, 0).out("ascii_1252.xml: ok\nclean.xml: ok\n").err(""),
    };
    for (const Case &r : runs)
        r.check();
}

const char kColoursCompact[] = "<list name=\"colours\">\n<listitem name=\"sky\">blue</listitem>\n<listitem "
                               "name=\"grass\">green</listitem>\n<listitem name=\"Fire &amp; Ice\">red &amp; "
                               "white</listitem>\n</list>\n";

TEST_F(Tool, Format) {
    const Case runs[] = {
        Case({"format", "--compact", "examples/colours.xml"}, 0).err("").out(kColoursCompact),
        Case({"format", "examples/catalog.xml"}, 0)
            .contains(
                "\n  <book id=\"b1\">\n    <title>Sea &lt;and&gt; Sky</title>\n    <price>12.50</price>"),
        Case({"format", "--indent-tab", "examples/catalog.xml"}, 0)
            .contains("\n\t<book id=\"b1\">\n\t\t<title>"),
        Case({"format", "--indent", "0", "examples/catalog.xml"}, 0).contains("\n<book id=\"b1\">\n<title>"),
        Case({"format", "--library-indent", "examples/catalog.xml"}, 0)
            .contains("\n <book id=\"b1\">\n  <title>\n   Sea &lt;and&gt; Sky\n  </title>"),
        Case({"format", "--indent", "x", "examples/catalog.xml"}, 2)
            .contains("--indent needs a number from 0 to 99"),
        Case({"format", "--compact", "--indent", "4", "examples/catalog.xml"}, 2)
            .contains("exclude each other"),
        Case({"format", "--output", "formatted.xml", "examples/colours.xml"}, 0)
            .out("")
            .creates("formatted.xml"),
        Case({"format", "--wide", "examples/catalog.xml"}, 2).contains("unknown option '--wide'"),
        Case({"format", "examples/broken.xml"}, 1).contains("Nesting error."),
        Case({"format", "lf.xml"}, 1)
            .out("")
            .err("velkxml: lf.xml:4:6: Nesting error. Expecing end tag=a, but found b\n"),
        Case({"format", "--compact", "-"}, 0).in("examples/colours.xml").out(kColoursCompact),
        Case({"format", "folder.xml"}, 1).err("velkxml: folder.xml: is a folder, not a file\n"),
    };
    for (const Case &r : runs)
        r.check();
}

TEST_F(Tool, WarningsBeforeWhatTheLibraryReads) {
    // Documents that are not well-formed, or beyond the library's limits, are
    // shown as the library reads them after one warning, which tells a fault
    // before any limit.
    const std::string not_well_formed = R"( \(not well-formed XML; shown as the library reads it\)\n)";
    const Case runs[] = {
        // format exits 3 when the text it shows is not well-formed XML.
        Case({"format", "--compact", "limits.xml"}, 3)
            .out("<r>&amp;#65;<a x=\"1\" x=\"2\">v</a></r>\n")
            .err_match("velkxml: warning: limits.xml:1:18: [^\n]+" + not_well_formed),
        Case({"format", "--compact", "bad_doctype.xml"}, 3)
            .out("<!DOCTYPE><r /></!DOCTYPE>\n")
            .err_match("velkxml: warning: bad_doctype.xml:1:10: [^\n]+" + not_well_formed),
        Case({"format", "--compact", "references.xml"}, 0)
            .err_match(
                R"(velkxml: warning: references.xml:1:4: [^\n]+ \(beyond the library's limits; shown as the library reads it\)\n)"),
        Case({"find", "references.xml", "r"}, 0)
            .out("/r\t" + tool_test::file_bytes("references.xml").substr(3, 60) + "\n")
            .err_match(
                R"(velkxml: warning: references.xml:1:4: [^\n]+ \(beyond the library's limits; shown as the library reads it\)\n)"),
        Case({"get", "-", "a"}, 0)
            .in("limits.xml")
            .out("v\n")
            .err_match("velkxml: warning: -:1:18: [^\n]+" + not_well_formed),
        Case({"list", "pack", "loose_list.xml", "packed.lst"}, 0)
            .out("packed.lst: 1 entry\n")
            .creates("packed.lst")
            .err_match("velkxml: warning: loose_list.xml:1:54: [^\n]+" + not_well_formed),
    };
    for (const Case &r : runs)
        r.check();
}

TEST_F(Tool, Select) {
    const Case runs[] = {
        Case({"select", "//book/@id", "examples/catalog.xml"}, 0).out("b1\nb2\n").err(""),
        Case({"select", "/catalog/book[@id='b2']/title", "examples/catalog.xml"}, 0).out("Stone\n"),
        Case({"select", "//book[title='Stone']/price", "examples/catalog.xml"}, 0).out("8\n"),
        Case({"select", "//book[last()]/@id", "examples/catalog.xml", "-"}, 0)
            .in("examples/catalog.xml")
            .out("b2\nb2\n"),
        Case({"select", "count(//book)", "examples/catalog.xml"}, 0).out("2\n"),
        Case({"select", "--xml", "//book[1]", "examples/catalog.xml"}, 0)
            .out("<book id=\"b1\"><title>Sea &lt;and&gt; Sky</title><price>12.50</price></book>\n"),
        Case({"select", "--xml", "//book[1]/@id", "examples/catalog.xml"}, 0).out("id=\"b1\"\n"),
        // Nothing selected: exit 1, nothing printed.
        Case({"select", "//magazine", "examples/catalog.xml"}, 1).out("").err(""),
        Case({"select", "//book/following-sibling::book", "examples/catalog.xml"}, 2)
            .contains("position 8: 'following-sibling::' is not supported"),
        Case({"select", "//p:a", "ns.xml"}, 2).contains("prefix 'p'"),
        Case({"select", "-N", "p=urn:x", "//p:a", "ns.xml"}, 0).out("in\n"),
        Case({"select", "//a", "ns.xml"}, 0).out("out\n"),
        Case({"select", "-N", "p", "//a", "ns.xml"}, 2).contains("-N needs PREFIX=URI"),
        Case({"select", "//a"}, 2).contains("no FILE given"),
        Case({"select", "//a", "none.xml"}, 1).contains("Cannot locate xml file none.xml"),
    };
    for (const Case &r : runs)
        r.check();
}

TEST_F(Tool, Paths) {
    Case({"paths", "examples/catalog.xml"}, 0)
        .out("/catalog\t1\n/catalog/book\t2\n/catalog/book/title\t2\n/catalog/book/price\t2\n")
        .check();
    Case({"paths", "html.xml"}, 0).out("/html\t1\n/html/title\t1\n").check();
}

TEST_F(Tool, Edit) {
    const std::string config =
        "<?xml version=\"1.0\"?>\n<config>\n  <server port=\"8080\">\n    <timeout>30</timeout>\n    "
        "\n  <debug>off</debug></server>\n</config>\n";
    const Case runs[] = {
        // Changes in the order given; the file stays as it was.
        Case({"edit", "examples/config.xml", "--update", "//timeout", "--value", "30", "--insert",
              "/config/server", "--element", "debug", "--value", "off", "--delete", "//legacy"},
             0)
            .out(config)
            .unchanged("examples/config.xml"),
        Case({"edit",
              "examples/catalog.xml",
              "--update",
              "//book[1]/@id",
              "--value",
              "x",
              "--insert",
              "//book[2]",
              "--attr",
              "lang",
              "--value",
              "en",
              "--delete",
              "/catalog/@owner",
              "--delete",
              "//price",
              "--insert-before",
              "//book[1]",
              "--element",
              "intro",
              "--insert-after",
              "//title[.='Stone']",
              "--element",
              "note",
              "--value",
              "new"},
             0)
            .out("<?xml version='1.0'?>\n<catalog>\n<intro></intro><book id=\"x\"><title>Sea &lt;and&gt; "
                 "Sky</title></book>\n<book id=\"b2\" "
                 "lang=\"en\"><title>Stone</title><note>new</note></book>\n"
                 "</catalog>\n"),
        // An element's update takes the place of all it held.
        Case({"edit", "examples/catalog.xml", "--update", "//book[2]", "--value", "gone"}, 0)
            .contains("<book id=\"b2\">gone</book>"),
        Case({"edit", "html.xml", "--insert", "/html", "--element", "body"}, 0)
            .out("<!DOCTYPE html><html><title>T</title><body></body></html>\n"),
        // Only what passes the check is edited.
        Case({"edit", "mismatch.xml", "--delete", "//b"}, 1)
            .err("mismatch.xml:1:7: end tag 'r' where element 'b' is open\nvelkxml: mismatch.xml: not "
                 "edited: the "
                 "library would not write it back as it is\n")
            .unchanged("mismatch.xml"),
        Case({"edit", "references.xml", "--delete", "//r", "--in-place"}, 3).unchanged("references.xml"),
        Case({"edit", "examples/config.xml", "--value", "1"}, 2).contains("--value belongs after --update"),
        Case({"edit", "examples/config.xml", "--update", "//timeout"}, 2).contains("--update needs --value"),
        Case({"edit", "examples/config.xml", "--insert", "//server"}, 2)
            .contains("--insert needs --element NAME or --attr NAME"),
        Case({"edit", "examples/config.xml"}, 2).contains("no change given"),
        Case({"edit", "-", "--in-place", "--delete", "//a"}, 2).contains("--in-place needs a file"),
        Case({"edit", "examples/config.xml", "--update", "//timeout/text()", "--value", "1"}, 1)
            .contains("selects a text node: update its element"),
        Case({"edit", "nested.xml", "--delete", "/r"}, 1).contains("cannot delete the document's first node"),
        // An update of nested elements replaces the outer one's children
        // once; the inner ones went with them.
        Case({"edit", "nested.xml", "--update", "//a", "--value", "z"}, 0).out("<r><a>z</a><b /></r>\n"),
        // Nothing selected, or a result that is not well-formed: nothing
        // written.
        Case({"edit", "--in-place", "nested.xml", "--delete", "//c"}, 1)
            .err("velkxml: nested.xml: --delete '//c': selects nothing\n")
            .unchanged("nested.xml"),
        Case({"edit", "--in-place", "examples/config.xml", "--insert-after", "/config", "--element", "more"},
             1)
            .err_match("velkxml: examples/config.xml: not edited: the changes would make it XML that is not "
                       "well-formed \\(another top-level element 'more'[^\n]*\\)\n")
            .unchanged("examples/config.xml"),
        Case({"edit", "nested.xml", "--insert", "/r", "--element", "b c"}, 2)
            .contains("'b c' is not an XML name"),
        Case({"edit", "nested.xml", "--insert", "/r", "--attr", "1x", "--value", "v"}, 2)
            .contains("'1x' is not an XML name"),
    };
    for (const Case &r : runs)
        r.check();
    // In place: the file is replaced whole, and nested selections are
    // deleted once.
    Case({"edit", "--in-place", "nested.xml", "--delete", "//a"}, 0).out("").err("").check();
    Case({"format", "--compact", "nested.xml"}, 0).out("<r><b /></r>\n").check();
    // A file with CR LF line ends keeps them.
    Case({"edit", "--in-place", "crlf_edit.xml", "--update", "//a/@n", "--value", "1"}, 1).check();
    Case({"edit", "--in-place", "crlf_edit.xml", "--insert", "//a", "--attr", "n", "--value", "1"}, 0)
        .check();
    EXPECT_EQ(tool_test::file_bytes("crlf_edit.xml"),
              "<?xml version=\"1.0\"?>\r\n<r>\r\n  <a n=\"1\">x\r\ny</a>\r\n</r>\r\n");
}

TEST_F(Tool, DocumentTypeDeclarationsAreSetAside) {
    // The commands read the rest of the document and write the declaration
    // back in its place, byte for byte; check tells that it was set aside
    // (exit 3), and places every finding and message in the file.
    const Case runs[] = {
        Case({"format", "--compact", "html.xml"}, 0)
            .out("<!DOCTYPE html><html><title>T</title></html>\n")
            .err(""),
        Case({"get", "html.xml", "title"}, 0).out("T\n"),
        Case({"format", "--compact", "subset.xml"}, 0)
            .out("<?xml version=\"1.0\"?>\n<!-- c -->\n<!DOCTYPE r SYSTEM \"r.dtd\" [\n<!ENTITY e "
                 "\"x\">\n]>\n<r><a "
                 "/></r>\n")
            .err(""),
        Case({"find", "subset.xml", "a"}, 0).out("/r/a\t\n"),
        Case({"check", "subset.xml"}, 3)
            .out("")
            .err("subset.xml:3:1: document type declaration set aside: the library does not read its "
                 "declarations; "
                 "the rest of the document is checked without it\n"),
        Case({"check", "subset_fault.xml"}, 1)
            .err_match("subset_fault.xml:1:1: document type declaration set aside[^\n]+\n"
                       "subset_fault.xml:4:7: end tag 'c' where element 'b' is open\n"),
        Case({"format", "subset_fault.xml"}, 1)
            .out("")
            .err("velkxml: subset_fault.xml:4:10: Nesting error. Expecing end tag=b, but found c\n"),
    };
    for (const Case &r : runs)
        r.check();
}

TEST_F(Tool, List) {
    const std::string sizes =
        "<listitem name=\"small\">10</listitem>\n<listitem name=\"medium\">25</listitem>\n"
        "<listitem name=\"large\">40 &lt; 50</listitem>\n</list>\n";
    const Case runs[] = {
        Case({"list", "show", "examples/sizes.lst"}, 0).out("<list name=\"sizes\">\n" + sizes),
        Case({"list", "show", "--name", "S & M", "examples/sizes.lst"}, 0)
            .contains("<list name=\"S &amp; M\">"),
        Case({"list", "show", "none.lst"}, 1).contains("Input file 'none.lst' doesn't exist."),
        Case({"list", "pack", "examples/colours.xml", "packed.lst"}, 0)
            .out("packed.lst: 3 entries\n")
            .creates("packed.lst")
            .err(""),
        Case({"list", "pack", "examples/colours.xml", "examples/sizes.lst"}, 1)
            .contains("Unable to save linked list. File examples/sizes.lst already exists.")
            .unchanged("examples/sizes.lst"),
        Case({"list", "pack", "examples/catalog.xml", "none.lst"}, 1).contains("List node not found in xml"),
        Case({"list", "pack", "examples/colours.xml"}, 2).contains("needs FILE.xml and OUT.lst"),
        Case({"list", "pack", "-", "packed.lst"}, 0)
            .in("examples/colours.xml")
            .out("packed.lst: 3 entries\n")
            .creates("packed.lst"),
        Case({"list", "pack", "--force", "examples/colours.xml", "none.lst"}, 2)
            .contains("unknown option '--force'"),
        Case({"list", "show", "--all", "examples/sizes.lst"}, 2).contains("unknown option '--all'"),
        Case({"list", "show", "folder.xml"}, 1).err("velkxml: folder.xml: is a folder, not a file\n"),
        // A list file on standard input passes through a temporary file.
        Case({"list", "show", "-"}, 0).in("examples/sizes.lst").out("<list name=\"list\">\n" + sizes),
        Case({"list", "show", "--name", "S", "-"}, 0).in("examples/sizes.lst").contains("<list name=\"S\">"),
        Case({"list", "show", "-"}, 1)
            .in("find.xml")
            .out("")
            .err("velkxml: File - doesn't contain a properly formatted linked list.\n"),
    };
    for (const Case &r : runs)
        r.check();
}

TEST_F(Tool, Split) {
    const Case runs[] = {
        Case({"split", ",", "a,b,,c"}, 0).out("1\ta\n2\tb\n3\tc\n"),
        Case({"split", ";"}, 0).in("pieces.txt").out("1\tnorth\n2\tsouth\n3\teast\n"),
        // Standard input's final line end stays in the last piece.
        Case({"split", ","}, 0).in("line.txt").out("1\tred\n2\tgreen\n\n"),
        Case({"split"}, 2).contains("no DELIM given"),
        Case({"split", "--max", "2", ",", "a,b"}, 2).contains("unknown option '--max'"),
        Case({"split", ",", "-1,-2"}, 0).out("1\t-1\n2\t-2\n"),
    };
    for (const Case &r : runs)
        r.check();
}

TEST_F(Tool, FindAndGet) {
    // find: paths with positions among same-tag siblings, each option, and
    // the attribute asked for present even where the library's search takes
    // an element without it as having the value "". An attribute asked for
    // by name alone is shown in place of the text, on one line.
    const Case runs[] = {
        Case({"find", "find.xml", "a"}, 0)
            .err("")
            .out("/r/a[1]\tone  two\n/r/a[2]\tempty\n/r/a[3]\tnone\n/r/b/a\tin & out\n"),
        Case({"find", "--attr", "x", "find.xml", "a"}, 0).out("/r/a[1]\t1\n/r/a[2]\t\n/r/b/a\t2\n"),
        Case({"find", "--attr", "y", "find.xml", "d"}, 0).out("/r/d\tp q r\n"),
        Case({"find", "--xml", "--attr", "x", "find.xml", "a"}, 0)
            .out("<a x=\"1\">one\n two</a>\n<a x=\"\">empty</a>\n<a x=\"2\">in &amp; out</a>\n"),
        Case({"find", "find.xml", "a", "--attr", "x="}, 0).out("/r/a[2]\tempty\n"),
        Case({"find", "--depth", "2", "find.xml", "a"}, 0).out("/r/b/a\tin & out\n"),
        Case({"find", "--xml", "--attr", "x=1", "find.xml", "a"}, 0).out("<a x=\"1\">one\n two</a>\n"),
        Case({"find", "--xml", "-", "b"}, 0)
            .in("find.xml")
            .out("<b><a x=\"2\">in &amp; out</a><c>deep</c></b>\n"),
        // The tree's text of a comment: the dropped carriage return leaves a
        // blank, as the library's writer does, so that "-" and "->" do not
        // meet.
        Case({"find", "--xml", "comment_cr.xml", "a"}, 0).out("<a><!-- x- -> y\n --></a>\n"),
        Case({"find", "--depth", "0", "find.xml", "a"}, 1).out(""),
        Case({"find", "--depth", "-1", "find.xml", "a"}, 2).contains("--depth needs a number from 0"),
        Case({"find", "--all", "find.xml", "a"}, 2).contains("unknown option '--all'"),
        Case({"get", "-", "listitem"}, 0).in("examples/colours.xml").out("blue\n"),
        Case({"get", "find.xml", "a"}, 0).out("one\n two\n").err(""),
        Case({"get", "--attr", "x", "find.xml", "a"}, 0).out("1\n"),
        Case({"get", "--attr", "y", "find.xml", "a"}, 1)
            .out("")
            .err("velkxml: find.xml: element 'a' has no attribute 'y'\n"),
        Case({"get", "find.xml", "c"}, 1).out("").contains("no element 'c' in 'r'"),
        Case({"get", "find.xml", "nope"}, 1).out("").err("velkxml: find.xml: no element 'nope' in 'r'\n"),
        Case({"get", "find.xml"}, 2).contains("needs FILE and TAG"),
    };
    for (const Case &r : runs)
        r.check();
}

TEST_F(Tool, AFailedWriteFailsEveryCommand) {
    // Standard output that cannot be written (here a file open for reading
    // only): the command's own result is lost, so the run fails and says why.
    const std::vector<std::vector<std::string>> commands = {
        {"--help"},
        {"check", "examples/catalog.xml"},
        {"format", "examples/catalog.xml"},
        {"format", "--compact", "examples/catalog.xml"},
        {"list", "show", "examples/sizes.lst"},
        {"list", "pack", "examples/colours.xml", "packed.lst"},
        {"split", ",", "a,b"},
        {"find", "find.xml", "a"},
        {"get", "find.xml", "a"},
    };
    for (const auto &args : commands) {
        SCOPED_TRACE(args[0]);
        std::FILE *in = std::fopen("empty.txt", "rb");
        std::FILE *out = std::fopen("empty.txt", "rb");
        std::FILE *err = std::fopen("stderr.tmp", "w+b");
        ASSERT_TRUE(in && out && err);
        const int status = velkxml::run(args, {in, out, err});
        std::fclose(in);
        std::fclose(out);
        std::fflush(err);
        std::fclose(err);
        const std::string errors = tool_test::file_bytes("stderr.tmp");
        std::remove("stderr.tmp");
        std::remove("packed.lst");
        EXPECT_EQ(status, 1);
        EXPECT_EQ(errors.rfind("velkxml: cannot write standard output: ", 0), 0u) << errors;
    }
}

// Every "$ velkxml ..." line of the README's console blocks prints exactly
// the lines shown below it (standard output and error as a terminal shows
// them).
std::vector<std::string> shell_words(const std::string &line) {
    std::vector<std::string> words;
    std::string word;
    bool in_word = false;
    char quote = 0;
    for (char c : line) {
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                word += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
            in_word = true;
        } else if (c == ' ') {
            if (in_word) words.push_back(word);
            word.clear();
            in_word = false;
        } else {
            word += c;
            in_word = true;
        }
    }
    if (in_word) words.push_back(word);
    return words;
}

TEST_F(Tool, ReadmeExamples) {
    std::istringstream readme(tool_test::file_bytes(tool_test::source_path("README.md")));
    ASSERT_FALSE(readme.str().empty());
    std::vector<std::pair<std::string, std::string>> examples; // command, what it shows
    // In a console block: whether a "$ velkxml" line came in it yet.
    bool in_block = false, command_seen = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("```console", 0) == 0) {
            in_block = true;
            command_seen = false;
        } else if (in_block && line.rfind("```", 0) == 0) {
            in_block = false;
        } else if (in_block && line.rfind("$ velkxml", 0) == 0) {
            examples.push_back({line.substr(2), ""});
            command_seen = true;
        } else if (in_block && command_seen) {
            examples.back().second += line + "\n";
        }
    }
    ASSERT_GE(examples.size(), 10u);
    for (const auto &[command, shows] : examples) {
        std::vector<std::string> args = shell_words(command);
        args.erase(args.begin());
        EXPECT_EQ(tool_test::run_tool(args, "", true).out, shows) << "$ " << command;
    }
}

TEST_F(Tool, ManPageShowsEveryCommand) {
    const std::string help = tool_test::run_tool({"--help"}).out;
    const std::string man = tool_test::file_bytes(tool_test::source_path("cli/velkxml.1"));
    ASSERT_FALSE(man.empty());
    const std::regex listed("\n  ([a-z]+( [a-z]+)?)");
    int count = 0;
    for (auto m = std::sregex_iterator(help.begin(), help.end(), listed); m != std::sregex_iterator();
         ++m, ++count) {
        const std::string command = (*m)[1];
        EXPECT_NE(man.find("\n.B velkxml " + command + "\n"), std::string::npos)
            << command << " in the synopsis";
        EXPECT_TRUE(std::regex_search(man, std::regex("\n\\.TP\n\\.B[IR]* \"?" + command + "[\" ]")))
            << command << " among the commands";
    }
    EXPECT_GE(count, 5);
}

} // namespace
