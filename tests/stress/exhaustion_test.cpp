// Memory truly exhausted, not one refused block: each case runs in a child
// process whose address space is capped a little above what it already uses,
// so that every allocation beyond fails, the library's and the C++ runtime's
// alike. The export must fail with its message, and the message must be
// there although memory is gone. The inputs are several times larger than
// what the cap leaves.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>

#include "file_support.h"
#include "frame/compiler.h"
#include "support.h"
#include "velk_xml.h"

using namespace velk_test;

namespace {

constexpr long kHeadroom = 96L << 20; // the bytes the child may still take

// A document of elements with attributes, some 60 MB.
std::string big_document() {
    std::string text = "<list name=\"big\">";
    for (int i = 0; text.size() < (60u << 20); ++i)
        text += "<listitem name=\"entry" + std::to_string(i) + "\" kind=\"k\">value " + std::to_string(i) +
                "</listitem>";
    return text + "</list>";
}

long mapped_bytes() {
    long pages = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
        std::fclose(statm);
    }
    return pages * sysconf(_SC_PAGESIZE);
}

// Runs the case in a fresh process whose address space is capped at what it
// maps once the case is prepared, and kHeadroom more; the answer comes back
// through a pipe. Fresh: this program is run again for the one test (and the
// one call of capped in it), since a forked copy would inherit the blocks
// that earlier tests left free in the library's pools, and take them in
// place of the memory the cap withholds. There the cap is lifted again
// after the case, so that the test ends as tests do, its files removed.
template <class Prepare, class Case> std::string capped(Prepare &&prepare, Case &&run_case) {
    static int calls = 0;
    const int call = calls++;
    if (const char *fd = std::getenv("VELK_EXHAUSTION_FD")) { // the fresh process
        if (call != std::atoi(std::getenv("VELK_EXHAUSTION_CALL"))) return {};
        auto prepared = prepare();
        const rlimit cap{static_cast<rlim_t>(mapped_bytes() + kHeadroom), RLIM_INFINITY};
        const std::string answer = setrlimit(RLIMIT_AS, &cap) == 0 ? run_case(prepared) : "no cap";
        const rlimit none{RLIM_INFINITY, RLIM_INFINITY};
        setrlimit(RLIMIT_AS, &none);
        if (write(std::atoi(fd), answer.data(), answer.size()) < 0) return {};
        close(std::atoi(fd));
        return answer;
    }
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter = std::string("--gtest_filter=") + test->test_suite_name() + "." + test->name();
    int out[2];
    if (pipe(out) != 0) return "no pipe";
    const pid_t pid = fork();
    if (pid == 0) {
        close(out[0]);
        alarm(120);
        setenv("VELK_EXHAUSTION_FD", std::to_string(out[1]).c_str(), 1);
        setenv("VELK_EXHAUSTION_CALL", std::to_string(call).c_str(), 1);
        const int quiet = open("/dev/null", O_WRONLY); // its own report is not this one's
        dup2(quiet, 1);
        dup2(quiet, 2);
        execl("/proc/self/exe", "velk_tests", filter.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string answer;
    char chunk[512];
    for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;)
        answer.append(chunk, static_cast<std::size_t>(n));
    close(out[0]);
    if (pid > 0) waitpid(pid, nullptr, 0);
    return answer.empty() ? "no answer from the fresh process" : answer;
}

// Why the cases cannot run in this build, or nullptr.
const char *why_not_here() {
    if (VELK_ADDRESS_SANITIZER) return "AddressSanitizer reserves more address space than any cap allows";
    if (std::getenv("VELK_TESTS_EMULATED"))
        return "under qemu-user the cap binds the emulator's own address space, and the program cannot start "
               "itself again without the system's handler for the target's programs";
    return nullptr;
}

// "null: MESSAGE" when the export failed, "made" when it did not.
std::string outcome(bool made, const char *message) {
    return made ? "made" : std::string("null: ") + message;
}

} // namespace

TEST(Exhaustion, ParsingTellsOutOfMemoryWithItsPlace) {
    if (const char *why = why_not_here()) GTEST_SKIP() << why;
    const std::regex placed("null: \\(1:[0-9]+\\) Out of memory");
    TempDir dir;
    const std::string file = dir.file("big.xml");
    write_file(file, big_document());
    for (int face = 0; face < 3; ++face) {
        SCOPED_TRACE(face);
        struct Input {
            std::string text;
            velk_bstr plain = nullptr;
        };
        const std::string answer = capped(
            [&] {
                Input in;
                if (face < 2) in.text = big_document();
                if (face == 1) in.plain = bs(in.text);
                return in;
            },
            [&](Input &in) {
                velk_handle tree = 0;
                if (face == 0) tree = xmlzParse(in.text.c_str());
                if (face == 1) tree = xmlParse(&in.plain);
                if (face == 2) tree = xmlzParseFile(file.c_str());
                return outcome(tree != 0, xmlzLastError());
            });
        EXPECT_TRUE(std::regex_match(answer, placed)) << answer;
    }
}

// Little-endian 32-bit length fields, as list files hold them.
std::string le(std::uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}

TEST(Exhaustion, ListFileLoadFailsWhole) {
    if (const char *why = why_not_here()) GTEST_SKIP() << why;
    TempDir dir;
    const std::string file = dir.file("big.lst");
    // Written as bytes: a list made by the library would leave its blocks
    // free in the pools, where the child's load would find them.
    std::string bytes = "LINKED_LIST_TYPE";
    for (int i = 0; i < 3000000; ++i) {
        const std::string name = "entry" + std::to_string(i);
        bytes += le(static_cast<std::uint32_t>(name.size())) + name + le(4) + "data";
    }
    write_file(file, bytes + le(0xFFFFFFFFu));
    std::string().swap(bytes);
    const std::string answer = capped([] { return 0; },
                                      [&](int) {
                                          velk_handle loaded = llzListFromFile(file.c_str());
                                          return outcome(loaded != 0, llzLastError());
                                      });
    // The fresh process writes a file of its own, in a folder of its own.
    EXPECT_TRUE(std::regex_match(answer, std::regex("null: Error reading input file .*/big\\.lst Error = 7")))
        << answer;
}

TEST(Exhaustion, ListsFromXmlTellOutOfMemory) {
    if (const char *why = why_not_here()) GTEST_SKIP() << why;
    const std::string answer = capped([] { return xmlzParse(big_document().c_str()); },
                                      [](velk_handle tree) {
                                          velk_handle list = xmlToList(tree);
                                          return outcome(list != 0, xmlzLastError());
                                      });
    EXPECT_EQ(answer, "null: Out of memory");
}
#endif
