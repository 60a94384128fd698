// Several threads at once, each with its own lists, documents and files:
// results are checked per thread, z-face results stay each thread's own, and
// failures on one thread never tear the message of another.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "file_support.h"
#include "support.h"

using namespace velk_test;

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 100;

// A message that one of the threads' failures can have left.
bool known_list_message(const std::string &text) {
    return text.rfind("Input file '", 0) == 0 && text.find("' doesn't exist.") != std::string::npos;
}
bool known_xml_message(const std::string &text) {
    return text.rfind("Cannot locate xml file ", 0) == 0 ||
           text.find(") Nesting error. Expecing end tag=a, but found bt") != std::string::npos;
}

// Counts failed checks and keeps the line of the last one.
struct Faults {
    std::atomic<int> count{0};
    std::atomic<int> line{0};
};

void work(int id, const TempDir &dir, Faults &faults) {
    auto check = [&](bool ok, int line) {
        if (ok) return;
        ++faults.count;
        faults.line = line;
    };
#define CHECK(condition) check((condition), __LINE__)
    const std::string me = "t" + std::to_string(id);
    for (int round = 0; round < kRounds; ++round) {
        // A list: built, read through the z face, sorted, saved and loaded.
        velk_handle list = 0, last = 0;
        for (int i = 0; i < 200; ++i) {
            std::string data = me + "-" + std::to_string((i * 37) % 200);
            last = llzAdd(last, ("n" + std::to_string(i)).c_str(), data.c_str());
            if (!list) list = last;
        }
        const char *first = llzDataByName(list, "n1");
        std::string expected_first = me + "-37";
        CHECK(std::string(first) == expected_first);
        list = llSort(list, 0);
        CHECK(std::string(llzData(list)) == me + "-0");
        std::string file = dir.file(me + "-" + std::to_string(round) + ".lst");
        CHECK(llzListToFile(list, file.c_str()) == 1);
        velk_handle back = llzListFromFile(file.c_str());
        CHECK(llCount(back) == 200);
        CHECK(std::string(llzDataByName(back, "n199")) == me + "-" + std::to_string((199 * 37) % 200));
        llFree(back);
        llFree(list);

        // A document: parsed, read, written, freed.
        std::string text =
            "<doc owner='" + me + "'><item n='1'>" + me + " &amp; co</item><item n='2'/></doc>";
        velk_handle doc = xmlzParse(text.c_str());
        CHECK(doc != 0);
        CHECK(std::string(xmlzAttribValue(doc, "owner")) == me);
        CHECK(std::string(xmlzTreeToString(doc, 0)) ==
              "<doc owner='" + me + "'><item n='1'>" + me + " &amp; co</item><item n='2' /></doc>");
        xmlFree(doc);

        // Failures: the results say so, and the texts are whole messages.
        CHECK(llzListFromFile(dir.file(me + "-missing.lst").c_str()) == 0);
        CHECK(known_list_message(llzLastError()));
        CHECK(xmlzParse(("<a></b" + me + ">").c_str()) == 0);
        CHECK(xmlzParseFile(dir.file(me + "-missing.xml").c_str()) == 0);
        CHECK(known_xml_message(xmlzLastError()));
    }
#undef CHECK
}

} // namespace

TEST(Threads, ListsDocumentsFilesAndFailuresAtOnce) {
    TempDir dir;
    Faults faults;
    std::vector<std::thread> threads;
    for (int id = 0; id < kThreads; ++id)
        threads.emplace_back(work, id, std::cref(dir), std::ref(faults));
    for (auto &t : threads)
        t.join();
    EXPECT_EQ(faults.count.load(), 0) << "last failed check at line " << faults.line.load();
}
