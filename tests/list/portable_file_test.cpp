// List files are the same bytes on every machine: the files under
// list/samples were written on x86-64, and every build (32- and 64-bit,
// little- and big-endian) must read them as the entries below and write
// those entries as exactly those bytes.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "file_support.h"
#include "list/node.h"
#include "support.h"

using namespace velk_test;

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// Length fields of one, two and three significant bytes, data of every byte
// value but NUL, names of UTF-8 and of the longest length, entries without
// a name or data.
Entries sample_entries() {
    std::string every_byte;
    for (int b = 1; b < 256; ++b)
        every_byte += static_cast<char>(b);
    std::string long_data;
    for (int i = 0; i < 70000; ++i)
        long_data += static_cast<char>('a' + i * 7 % 26);
    return {{"alpha", "1"},
            {"", "entry without a name"},
            {"empty data", ""},
            {"every byte", every_byte},
            {"\xc3\xa9t\xc3\xa9 caf\xc3\xa9", "\xe2\x82\xac 300 " + std::string(300, '#')},
            {std::string(255, 'n'), long_data},
            {"last", "\xff\xfe\x80"}};
}

// Sixteen thousand short entries: the reader's and writer's buffers turn
// over many times, and the file's entries straddle every buffer boundary.
Entries many_entries() {
    Entries out;
    for (int i = 0; i < 16000; ++i)
        out.emplace_back("key " + std::to_string(i), std::string(static_cast<size_t>(i % 37), 'A' + i % 26));
    return out;
}

velk_handle make_list(const Entries &entries) {
    velk_handle list = 0, last = 0;
    for (const auto &[name, data] : entries) {
        last = llzAdd(last, name.c_str(), data.c_str());
        if (!list) list = last;
    }
    return list;
}

Entries entries_of(velk_handle list) {
    Entries out;
    for (auto *n = velk::list::as_node(list); n; n = n->next)
        out.emplace_back(velk::list::name_text(n), velk::list::data_text(n));
    return out;
}

// The build copies the samples into list_samples/ of the test's working
// folder.
std::string sample(const char *name) { return std::string("list_samples/") + name; }

} // namespace

TEST(PortableListFile, SamplesWrittenOnX8664ReadAndWriteTheSameEverywhere) {
    const std::pair<const char *, Entries> cases[] = {{"mixed.lst", sample_entries()},
                                                      {"many.lst", many_entries()}};
    TempDir dir;
    for (const auto &[file, expected] : cases) {
        SCOPED_TRACE(file);
        const std::string committed = read_file(sample(file));
        ASSERT_FALSE(committed.empty()) << "sample missing: " << sample(file);

        velk_handle loaded = llzListFromFile(sample(file).c_str());
        EXPECT_EQ(entries_of(loaded), expected);
        const std::string again = dir.file(std::string("again-") + file);
        ASSERT_EQ(llzListToFile(loaded, again.c_str()), 1);
        EXPECT_TRUE(read_file(again) == committed) << "the loaded list saves other bytes";

        velk_handle made = make_list(expected);
        const std::string saved = dir.file(std::string("made-") + file);
        ASSERT_EQ(llzListToFile(made, saved.c_str()), 1);
        EXPECT_TRUE(read_file(saved) == committed) << "the same entries save other bytes";
        llFree(loaded);
        llFree(made);
    }
}
