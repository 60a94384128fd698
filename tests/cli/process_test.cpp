// The tool as a program, where a process differs from a call of run(): its
// exit status, standard input from a pipe, the temporary folder it is given,
// and a standard output that the system cannot write or that nobody reads.
// Native POSIX builds only: the test starts the tool through the shell.
#if defined(VELK_TOOL_FILE) && !defined(_WIN32)
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "tool_support.h"
#include "velk_xml_version.h"

namespace {

struct Ran {
    int status;
    std::string out, err;
};

// Runs "velkxml ARGS" through the shell in the work folder, after the
// words before (settings, or a pipe into it); args are shell words as
// written. Standard output goes to a file, or to out.
Ran shell(const std::string &args, const std::string &before = "",
          const std::string &out = "process-out.tmp") {
    const std::string command =
        before + " '" VELK_TOOL_FILE "' " + args + " > " + out + " 2> process-err.tmp";
    const int raw = std::system(command.c_str());
    Ran ran{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, tool_test::file_bytes("process-out.tmp"),
            tool_test::file_bytes("process-err.tmp")};
    std::remove("process-out.tmp");
    std::remove("process-err.tmp");
    return ran;
}

class Process : public testing::Test {
  protected:
    void SetUp() override { tool_test::enter_work_folder(); }
};

TEST_F(Process, ExitStatusAndVersion) {
    const Ran none = shell("");
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err, "velkxml: no command given\nTry 'velkxml --help'.\n");
    const Ran version = shell("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "velkxml " VELK_XML_VERSION_STRING "\n");
    EXPECT_EQ(shell("check examples/broken.xml").status, 1);
}

TEST_F(Process, StandardInputFromAPipe) {
    const Ran ran = shell("format --compact -", "cat examples/colours.xml |");
    EXPECT_EQ(ran.status, 0);
    EXPECT_EQ(ran.out.rfind("<list name=\"colours\">\n", 0), 0u) << ran.out << ran.err;
}

TEST_F(Process, AListOnStandardInputPassesThroughTheTemporaryFolder) {
    // The temporary file is made in TMPDIR and removed whether the load
    // succeeds or fails.
    std::filesystem::create_directory("own-temp");
    const Ran shown = shell("list show - < examples/sizes.lst", "TMPDIR=own-temp");
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out.rfind("<list name=\"list\">\n", 0), 0u);
    const Ran refused = shell("list show - < find.xml", "TMPDIR=own-temp");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "velkxml: File - doesn't contain a properly formatted linked list.\n");
    EXPECT_TRUE(std::filesystem::is_empty("own-temp"));
    std::filesystem::remove_all("own-temp");
    const Ran no_folder = shell("list show - < examples/sizes.lst", "TMPDIR=empty.txt");
    EXPECT_EQ(no_folder.status, 1);
    EXPECT_EQ(no_folder.err, "velkxml: -: cannot keep standard input in a temporary file: Not a directory\n");
}

TEST_F(Process, AClosedPipeIsReported) {
    // More output than a pipe holds, into a pipe whose reader has gone.
    std::string big = "<r>";
    for (int i = 0; i < 20000; ++i)
        big += "<item n='" + std::to_string(i) + "'>text</item>";
    { std::ofstream("big.xml", std::ios::binary) << big << "</r>"; }
    const std::string command =
        "{ '" VELK_TOOL_FILE "' format big.xml 2> process-err.tmp; echo $? > process-status.tmp; } | true";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(tool_test::file_bytes("process-status.tmp"), "1\n");
    EXPECT_EQ(tool_test::file_bytes("process-err.tmp"),
              "velkxml: cannot write standard output: Broken pipe\n");
    std::remove("process-err.tmp");
    std::remove("process-status.tmp");
    std::remove("big.xml");
}

TEST_F(Process, AFullDeviceIsReported) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    for (const char *args : {"format examples/catalog.xml", "check examples/catalog.xml"}) {
        const Ran ran = shell(args, "", "/dev/full");
        EXPECT_EQ(ran.status, 1) << args;
        EXPECT_EQ(ran.err, "velkxml: cannot write standard output: No space left on device\n") << args;
    }
}

TEST_F(Process, AFileThatCannotBeWrittenWholeStaysAsItWas) {
    // Past a file-size limit of 64 KiB (SIGXFSZ ignored, so that the write
    // fails), edit --in-place and format --output fail, the file keeps its
    // bytes, and no private file is left beside it.
    std::string big = "<r>";
    for (int i = 0; i < 20000; ++i)
        big += "<item n='" + std::to_string(i) + "'>text</item>";
    big += "</r>";
    { std::ofstream("big.xml", std::ios::binary) << big; }
    const char *limit = "trap '' XFSZ; ulimit -f 64;";
    for (const char *args :
         {"edit --in-place big.xml --insert /r --element more", "format --output big.xml big.xml"}) {
        const Ran ran = shell(args, limit);
        EXPECT_EQ(ran.status, 1) << args;
        EXPECT_EQ(ran.err, "velkxml: big.xml: cannot write: File too large\n") << args;
        EXPECT_EQ(tool_test::file_bytes("big.xml"), big) << args;
    }
    for (const auto &entry : std::filesystem::directory_iterator("."))
        EXPECT_NE(entry.path().filename().string().rfind(".velkxml-", 0), 0u) << entry.path();
    // On a file system that fills (an 800 KiB tmpfs, room for the file alone, in a mount namespace of
    // the command's own, where the system lets it make one), the same.
    std::filesystem::create_directory("full");
    const std::string in_full =
        "unshare --mount true 2>/dev/null || exit 77; unshare --mount sh -c 'mount -t tmpfs -o size=800k "
        "tmpfs full || exit 77; cp big.xml full/ && "
        "\"$0\" edit --in-place full/big.xml --insert /r --element more; echo $? > full-status.tmp; "
        "cmp -s big.xml full/big.xml && ls -A full > full-left.tmp' '" VELK_TOOL_FILE "' 2> full-err.tmp";
    const int raw = std::system(in_full.c_str());
    if (WIFEXITED(raw) && WEXITSTATUS(raw) == 77) {
        std::filesystem::remove_all("full");
        std::remove("big.xml");
        std::remove("full-err.tmp");
        GTEST_SKIP() << "no mount namespace here";
    }
    EXPECT_EQ(tool_test::file_bytes("full-status.tmp"), "1\n");
    EXPECT_EQ(tool_test::file_bytes("full-left.tmp"), "big.xml\n")
        << "the file changed, or a private file stayed";
    EXPECT_EQ(tool_test::file_bytes("full-err.tmp"),
              "velkxml: full/big.xml: cannot write: No space left on device\n");
    for (const char *name : {"full-status.tmp", "full-left.tmp", "full-err.tmp", "big.xml"})
        std::remove(name);
    std::filesystem::remove_all("full");
}

} // namespace
#endif
