#include "tool_support.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "tool.h"

namespace fs = std::filesystem;

namespace tool_test {

namespace {

const char kWorkFolder[] = "cli-work";
fs::path g_work; // once entered

// Leaves and removes the work folder when the tests are done.
class WorkFolder : public testing::Environment {
  public:
    void TearDown() override {
        if (g_work.empty()) return;
        fs::current_path(g_work.parent_path());
        std::error_code ignored;
        fs::remove_all(g_work, ignored);
    }
};
testing::Environment *const kWorkFolderRemoved = testing::AddGlobalTestEnvironment(new WorkFolder);

void write_file(const std::string &name, const std::string &bytes) {
    std::ofstream f(name, std::ios::binary);
    f << bytes;
    ASSERT_TRUE(f.good()) << "cannot write " << name;
}

// The parser's positions against an editor's, with each kind of line end:
// one mistake, the end tag of line 4.
void write_line_ends(const std::string &name, const std::string &ends) {
    write_file(name + ".xml", "<?xml version='1.0'?>" + ends + "<r>" + ends + "  <a x='1'>" + ends +
                                  "  </b>" + ends + "</r>" + ends);
}

void write_fixtures() {
    write_file("pieces.txt", "north;south;;east");
    write_line_ends("lf", "\n");
    write_line_ends("crlf", "\r\n");
    write_line_ends("cr", "\r");
    std::string references;
    for (int i = 0; i < 12; ++i)
        references += "&#65;";
    write_file("references.xml", "<r>" + references + "</r>");
    write_file("cut.xml", "<r>\n  <s>");
    std::string attributes;
    for (int i = 0; i < 20; ++i)
        attributes += " a" + std::to_string(i) + "='" + std::to_string(i) + "'";
    write_file("attributes.xml", "<r" + attributes + " a5='again'/>");
    write_file("lead.xml", "\r\n\r  <r x=>\n");
    // A limit of the library (a character reference) before a fault (an
    // attribute given twice); a list form followed by a second top-level
    // element.
    write_file("limits.xml", "<r>&#65;<a x=\"1\" x=\"2\">v</a></r>");
    write_file("loose_list.xml", "<list name=\"l\"><listitem name=\"a\">1</listitem></list><tail/>");
    write_file("empty.txt", "");
    fs::create_directory("folder.xml");
    // Findings after which the rest cannot be read, and the library's
    // limits, one file each.
    write_file("doctype.xml", "<!DOCTYPE r [<!ENTITY e 'x'>]><r/>");
    write_file("cdata.xml", "<r><![CDATA[<x>]]></r>");
    write_file("latin1.xml", "<?xml version='1.0' encoding='ISO-8859-1'?><r>caf\xE9</r>");
    write_file("ascii_1252.xml", "<?xml version='1.0' encoding='windows-1252'?><r>cafe</r>");
    write_file("html.xml", "<!DOCTYPE html><html><title>T</title></html>");
    write_file("bad_doctype.xml", "<!DOCTYPE><r/>");
    // A declaration set aside: over three lines, after the XML declaration
    // and a comment; a fault after it, placed in the file.
    write_file("subset.xml",
               "<?xml version=\"1.0\"?>\n<!-- c -->\n<!DOCTYPE r SYSTEM \"r.dtd\" [\n<!ENTITY e "
               "\"x\">\n]>\n<r><a/></r>\n");
    write_file("subset_fault.xml", "<!DOCTYPE r [\n<!ENTITY e \"x\">\n]>\n<r><b></c></r>\n");
    write_file("line.txt", "red,green\n");
    write_file("nested.xml", "<r><a><a><a/></a></a><b/></r>");
    write_file("crlf_edit.xml", "<?xml version=\"1.0\"?>\r\n<r>\r\n  <a>x\r\ny</a>\r\n</r>\r\n");
    write_file("ns.xml", "<r xmlns:q=\"urn:x\"><q:a>in</q:a><a>out</a></r>");
    write_file("pi.xml", "<?xml-stylesheet href?><r/>");
    write_file("early_comment.xml", "<r><!-->--></r>");
    write_file("slash.xml", "<r><b/ ></r>");
    write_file("mismatch.xml", "<r><b></r>");
    write_file("value.xml", "<r a='1/>");
    // A carriage return that the tree's text drops, where "-" would meet "->".
    write_file("comment_cr.xml", "<r><a><!-- x-\r-> y\r\n --></a></r>");
}

std::string lf_ends(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.erase(at, 1);
    return text;
}

struct Closer {
    void operator()(std::FILE *f) const {
        if (f) std::fclose(f);
    }
};
using File = std::unique_ptr<std::FILE, Closer>;

std::string read_back(std::FILE *f) {
    std::fflush(f);
    std::rewind(f);
    std::string text;
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
        text.append(chunk, n);
    return text;
}

std::string shown(const std::vector<std::string> &args) {
    std::string line = "velkxml";
    for (const std::string &a : args)
        line += " " + a;
    return line;
}

} // namespace

void enter_work_folder() {
    if (!g_work.empty()) return;
    const fs::path work = fs::absolute(kWorkFolder);
    fs::remove_all(work);
    fs::create_directories(work / "examples");
    for (const auto &entry : fs::directory_iterator(VELK_SOURCE_FROM_TESTS "/examples")) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".xml" || ext == ".lst")
            fs::copy_file(entry.path(), work / "examples" / entry.path().filename());
    }
    for (const auto &entry : fs::directory_iterator(VELK_SOURCE_FROM_TESTS "/tests/cli/files"))
        fs::copy_file(entry.path(), work / entry.path().filename());
    fs::current_path(work);
    g_work = work;
    write_fixtures();
}

std::string source_path(const std::string &relative) {
    return std::string("../" VELK_SOURCE_FROM_TESTS "/") + relative;
}

std::string file_bytes(const std::string &name) {
    std::ifstream f(name, std::ios::binary);
    std::stringstream bytes;
    bytes << f.rdbuf();
    return bytes.str();
}

Printed run_tool(const std::vector<std::string> &args, const std::string &input, bool merged) {
    File in(std::fopen(input.empty() ? "empty.txt" : input.c_str(), "rb"));
    File out(std::fopen("stdout.tmp", "w+b"));
    File err(merged ? nullptr : std::fopen("stderr.tmp", "w+b"));
    if (!in || !out || (!merged && !err)) {
        ADD_FAILURE() << "cannot open the streams of " << shown(args);
        return {-1, "", ""};
    }
    Printed p;
    p.status = velkxml::run(args, {in.get(), out.get(), merged ? out.get() : err.get()});
    p.out = lf_ends(read_back(out.get()));
    if (!merged) p.err = lf_ends(read_back(err.get()));
    out.reset();
    err.reset();
    std::remove("stdout.tmp");
    std::remove("stderr.tmp");
    return p;
}

void Case::check() const {
    SCOPED_TRACE(shown(args_));
    std::string before;
    if (unchanged_.given) before = file_bytes(unchanged_.text);
    if (creates_.given) std::remove(creates_.text.c_str());
    const Printed p = run_tool(args_, input_.given ? input_.text : "");
    EXPECT_EQ(p.status, status_) << "output:\n" << p.out << "errors:\n" << p.err;
    if (out_.given) {
        EXPECT_EQ(p.out, out_.text);
    }
    if (err_.given) {
        EXPECT_EQ(p.err, err_.text);
    }
    if (err_match_.given) {
        EXPECT_TRUE(std::regex_match(p.err, std::regex(err_match_.text))) << p.err;
    }
    if (contains_.given) {
        EXPECT_NE((p.out + p.err).find(contains_.text), std::string::npos) << p.out << p.err;
    }
    if (creates_.given) {
        EXPECT_TRUE(fs::exists(creates_.text)) << creates_.text << " was not made";
        std::remove(creates_.text.c_str());
    }
    if (unchanged_.given) {
        EXPECT_EQ(file_bytes(unchanged_.text), before) << unchanged_.text << " was changed";
    }
}

} // namespace tool_test
