#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "file_support.h"
#include "frame/errors.h"
#include "frame/files.h"
#include "list/node.h"
#include "support.h"

using namespace velk_test;
using velk::testing::FileOp;

namespace {

const std::string kSig = "LINKED_LIST_TYPE";

std::string le(int32_t v) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return out;
}

std::string entry(const std::string &name, const std::string &data) {
    return le(static_cast<int32_t>(name.size())) + name + le(static_cast<int32_t>(data.size())) + data;
}

// (name, data text) of every node from the list on.
std::vector<std::pair<std::string, std::string>> entries(velk_handle list) {
    std::vector<std::pair<std::string, std::string>> out;
    for (auto *n = velk::list::as_node(list); n; n = n->next)
        out.emplace_back(velk::list::name_text(n), velk::list::data_text(n));
    return out;
}

using Entries = std::vector<std::pair<std::string, std::string>>;

velk_handle load(const std::string &name) { return llListFromFile(bs(name)); }

} // namespace

TEST(ListFile, SavesTheDocumentedBytes) {
    TempDir dir;
    velk_handle list = llzAdd(0, "alpha", "1");
    llzAdd(list, "Beta ", "");
    ASSERT_EQ(llListToFile(list, bs(dir.file("ab.lst"))), 1);
    EXPECT_EQ(read_file(dir.file("ab.lst")),
              kSig + le(5) + "alpha" + le(1) + "1" + le(4) + "beta" + le(0) + le(-1));
    velk_handle back = load(dir.file("ab.lst"));
    EXPECT_EQ(entries(back), (Entries{{"alpha", "1"}, {"beta", ""}}));
    llFree(list);
    llFree(back);
}

TEST(ListFile, EmptyListSavesTwentyBytesAndLoadsAsNothing) {
    TempDir dir;
    velk::set_error(velk::Family::list, "earlier");
    ASSERT_EQ(llzListToFile(0, dir.file("empty.lst").c_str()), 1);
    EXPECT_EQ(read_file(dir.file("empty.lst")), kSig + le(-1));
    EXPECT_EQ(llzListFromFile(dir.file("empty.lst").c_str()), 0u);
    EXPECT_STREQ(llzLastError(), "earlier"); // success leaves the text alone
}

TEST(ListFile, NeverWritesIntoAnExistingFile) {
    TempDir dir;
    write_file(dir.file("kept.lst"), "precious");
    velk_handle list = llzAdd(0, "a", "b");
    EXPECT_EQ(llListToFile(list, bs(dir.file("kept.lst"))), 0);
    EXPECT_EQ(take(llLastError()),
              "Unable to save linked list. File " + dir.file("kept.lst") + " already exists.");
    EXPECT_EQ(read_file(dir.file("kept.lst")), "precious");
    llFree(list);
}

TEST(ListFile, DataIsSavedAsTextAndLoadsWithThatCapacity) {
    TempDir dir;
    velk_handle list = llbAdd(0, bs("raw"),
                              bs(std::string("1\0"
                                             "2",
                                             3)));
    ASSERT_EQ(llListToFile(list, bs(dir.file("raw.lst"))), 1);
    velk_handle back = load(dir.file("raw.lst"));
    EXPECT_EQ(entries(back), (Entries{{"raw", "1"}}));
    EXPECT_EQ(llCapacity(back), 1);
    llFree(list);
    llFree(back);
}

// A file written elsewhere may hold names in any case and with blanks
// around them: loaded, every name and data of every length around 16 bytes
// (where short ones are stored and saved 16 bytes at once) is stored as
// appending the same entry stores it, and saved as the format says.
TEST(ListFile, LoadedEntriesAreStoredAsAppendedOnesWhateverTheirLength) {
    TempDir dir;
    const std::string letters = "AzZa@[`{Q9q mM_~";
    std::string file = kSig;
    velk_handle appended = 0, last = 0;
    for (std::size_t size = 0; size <= 20; ++size) {
        for (const std::string &edge : {std::string(), std::string(" "), std::string("\x8E")}) {
            std::string name, data;
            for (std::size_t i = 0; i < size; ++i) {
                name += letters[(i * 7 + size) % letters.size()];
                data += static_cast<char>('A' + (i + size) % 26);
            }
            name = edge + name + edge;
            if (size == 9) data[4] = '\0';
            file += entry(name, data);
            last = llbAdd(last, bs(name), bs(data));
            if (!appended) appended = last;
        }
    }
    write_file(dir.file("cases.lst"), file + le(-1));
    velk_handle loaded = load(dir.file("cases.lst"));
    const auto *a = velk::list::as_node(appended);
    const auto *l = velk::list::as_node(loaded);
    std::string saved = kSig; // what saving either list must write
    for (; a && l; a = a->next, l = l->next) {
        EXPECT_EQ(velk::list::name_text(l), velk::list::name_text(a));
        EXPECT_EQ(l->capacity, a->capacity);
        EXPECT_EQ(velk::list::data_text(l), velk::list::data_text(a));
        saved += entry(std::string(velk::list::name_text(a)), std::string(velk::list::data_text(a)));
    }
    EXPECT_TRUE(!a && !l);
    for (velk_handle list : {appended, loaded}) {
        const std::string again = dir.file("again.lst");
        ASSERT_EQ(llzListToFile(list, again.c_str()), 1);
        EXPECT_TRUE(read_file(again) == saved + le(-1));
        std::remove(again.c_str());
    }
    llFree(appended);
    llFree(loaded);
}

TEST(ListFile, RoundTripOfManyEntries) {
    TempDir dir;
    velk_handle list = 0, last = 0;
    Entries expected;
    for (int i = 0; i < 20000; ++i) {
        std::string name = "Name " + std::to_string(i % 97), data(static_cast<size_t>(i % 300), 'a' + i % 26);
        last = llzAdd(last, name.c_str(), data.c_str());
        if (!list) list = last;
        expected.emplace_back("name " + std::to_string(i % 97), data);
    }
    ASSERT_EQ(llzListToFile(list, dir.file("many.lst").c_str()), 1);
    velk_handle back = llzListFromFile(dir.file("many.lst").c_str());
    EXPECT_EQ(entries(back), expected);
    llFree(list);
    llFree(back);
}

TEST(ListFile, MissingNamesAndFolders) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder"));
    EXPECT_EQ(load(dir.file("none.lst")), 0u);
    EXPECT_EQ(take(llLastError()), "Input file '" + dir.file("none.lst") + "' doesn't exist.");
    EXPECT_EQ(load(dir.file("folder")), 0u); // a folder is not a file
    EXPECT_EQ(take(llLastError()), "Input file '" + dir.file("folder") + "' doesn't exist.");
    EXPECT_EQ(load(""), 0u);
    EXPECT_STREQ(llzLastError(), "Input file '' doesn't exist.");

    velk_handle list = llzAdd(0, "a", "b");
    EXPECT_EQ(llzListToFile(list, dir.file("no/such.lst").c_str()), 0);
    EXPECT_EQ(take(llLastError()), "Unable to create save file " + dir.file("no/such.lst") + "Error = 76");
    EXPECT_EQ(llzListToFile(list, nullptr), 0);
    EXPECT_STREQ(llzLastError(), "Unable to create save file Error = 64");
    llFree(list);
}

TEST(ListFile, WildcardNamesAreSearchPatternsThatNoOpenAccepts) {
    TempDir dir;
    write_file(dir.file("one.lst"), kSig + entry("a", "b") + le(-1));
    velk_handle list = llzAdd(0, "a", "b");
    EXPECT_EQ(llzListToFile(list, dir.file("*.lst").c_str()), 0); // matches one.lst
    EXPECT_EQ(take(llLastError()),
              "Unable to save linked list. File " + dir.file("*.lst") + " already exists.");
    EXPECT_EQ(llzListFromFile(dir.file("o?e.lst").c_str()), 0u);
    EXPECT_EQ(take(llLastError()), "Unable to open file " + dir.file("o?e.lst") + " Error = 64");
    EXPECT_EQ(llzListToFile(list, dir.file("*.none").c_str()), 0); // matches nothing
    EXPECT_EQ(take(llLastError()), "Unable to create save file " + dir.file("*.none") + "Error = 64");
    EXPECT_EQ(llzListFromFile(dir.file("*.none").c_str()), 0u);
    EXPECT_EQ(take(llLastError()), "Input file '" + dir.file("*.none") + "' doesn't exist.");
    llFree(list);
}

TEST(ListFile, SignatureMustMatch) {
    TempDir dir;
    write_file(dir.file("short.lst"), "LINKED_LIST");
    write_file(dir.file("other.lst"), "LINKED_LIST_TYPO" + le(-1));
    for (const char *name : {"short.lst", "other.lst"}) {
        EXPECT_EQ(load(dir.file(name)), 0u);
        EXPECT_EQ(take(llLastError()),
                  "File " + dir.file(name) + " doesn't contain a properly formatted linked list.");
    }
}

TEST(ListFile, MissingOrNegativeLengthsEndTheListQuietly) {
    TempDir dir;
    const std::string two = kSig + entry("a", "1") + entry("b", "2");
    write_file(dir.file("nomarker.lst"), two);
    write_file(dir.file("minus5.lst"), two + le(-5) + entry("c", "3") + le(-1));
    write_file(dir.file("cutlength.lst"), two + std::string("\x01\x00", 2));
    write_file(dir.file("nodatalength.lst"), two + le(1) + "c"); // name kept only with data
    write_file(dir.file("minusdata.lst"), two + le(1) + "c" + le(-3) + entry("d", "4") + le(-1));
    for (const char *name :
         {"nomarker.lst", "minus5.lst", "cutlength.lst", "nodatalength.lst", "minusdata.lst"}) {
        velk::set_error(velk::Family::list, "untouched");
        velk_handle list = load(dir.file(name));
        EXPECT_EQ(entries(list), (Entries{{"a", "1"}, {"b", "2"}})) << name;
        EXPECT_STREQ(llzLastError(), "untouched") << name;
        llFree(list);
    }
}

TEST(ListFile, AFieldCutShortIsAReadFailureThatLeavesNothing) {
    TempDir dir;
    BlockWatch watch;
    const std::string one = kSig + entry("a", "1");
    write_file(dir.file("cutname.lst"), one + le(10) + "abc");
    write_file(dir.file("cutdata.lst"), one + le(1) + "c" + le(50) + "xy");
    // A corrupt length far beyond the file must not be asked of memory.
    write_file(dir.file("huge.lst"), one + le(0x7FFFFFFF) + "xy");
    for (const char *name : {"cutname.lst", "cutdata.lst", "huge.lst"}) {
        velk::testing::reset_allocation_count();
        EXPECT_EQ(load(dir.file(name)), 0u) << name;
        EXPECT_EQ(take(llLastError()), "Error reading input file " + dir.file(name) + " Error = 62");
        EXPECT_LT(velk::testing::allocations_since_reset(), 20u) << name;
    }
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(ListFile, AFileHeldExclusivelyCannotBeLoaded) {
    TempDir dir;
    write_file(dir.file("held.lst"), kSig + le(-1));
    velk::files::File holder;
    ASSERT_EQ(velk::files::File::open(dir.file("held.lst"), velk::files::Access::read_write,
                                      velk::files::Share::none, holder),
              0);
    EXPECT_EQ(load(dir.file("held.lst")), 0u);
    EXPECT_EQ(take(llLastError()), "Unable to open file " + dir.file("held.lst") + " Error = 70");
}

TEST(ListFile, FailedWritesAndClosesAreReportedAndLeaveNoFile) {
    TempDir dir;
    velk_handle list = llzAdd(0, "a", "b");
    int n = 0;
    for (FileOp op : {FileOp::write, FileOp::close}) {
        std::string name = dir.file("w" + std::to_string(n++) + ".lst");
        velk::testing::fail_file_operation(op, 1, 112); // disk full
        EXPECT_EQ(llzListToFile(list, name.c_str()), 0);
        EXPECT_EQ(take(llLastError()), "i/o error writing to file " + name);
        EXPECT_TRUE(names_in(dir).empty()); // no part of a list is left
    }
    velk::testing::fail_file_operation(FileOp::write, 0, 0);
    llFree(list);
}

TEST(ListFile, AFailedWriteIsNotHiddenByTheWritesAfterIt) {
    TempDir dir;
    BlockWatch watch;
    // The first chunk goes out when the long data needs room; that write
    // fails, and the long data and the end marker are written after it.
    velk_handle list = llzAdd(0, "a", "1");
    llzAdd(list, "b", std::string(300000, 'b').c_str());
    velk::testing::fail_file_operation(FileOp::write, 1, 112);
    EXPECT_EQ(llzListToFile(list, dir.file("l.lst").c_str()), 0);
    EXPECT_EQ(take(llLastError()), "i/o error writing to file " + dir.file("l.lst"));
    velk::testing::fail_file_operation(FileOp::write, 0, 0);
    llFree(list);
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(ListFile, ReadFailuresAndReadOnlyFallback) {
    TempDir dir;
    BlockWatch watch;
    write_file(dir.file("ok.lst"), kSig + entry("a", "1") + entry("b", "2") + le(-1));
    // The data field runs past the first chunk read, and the second read fails
    // with a device fault.
    write_file(dir.file("big.lst"), kSig + entry("a", std::string(600000, 'd')) + le(-1));
    velk::testing::fail_file_operation(FileOp::read, 2, 30);
    EXPECT_EQ(load(dir.file("big.lst")), 0u);
    EXPECT_EQ(take(llLastError()), "Error reading input file " + dir.file("big.lst") + " Error = 72");
    EXPECT_EQ(watch.leaked(), 0);
    // The same for a length field that the first chunk ends in: the entries
    // behind it are not dropped unnoticed.
    const std::string first = entry("a", std::string(256 * 1024 - 16 - 9 - 2, 'd'));
    write_file(dir.file("cut.lst"), kSig + first + entry("b", "2") + le(-1));
    velk::testing::fail_file_operation(FileOp::read, 2, 23);
    EXPECT_EQ(load(dir.file("cut.lst")), 0u);
    EXPECT_EQ(take(llLastError()), "Error reading input file " + dir.file("cut.lst") + " Error = 72");
    EXPECT_EQ(watch.leaked(), 0);
    velk_handle whole = load(dir.file("cut.lst"));
    EXPECT_EQ(llCount(whole), 2);
    llFree(whole);
    // A file that cannot be opened for writing is read all the same.
    velk::testing::fail_file_operation(FileOp::open, 1, 5);
    velk_handle list = load(dir.file("ok.lst"));
    EXPECT_EQ(entries(list), (Entries{{"a", "1"}, {"b", "2"}}));
    llFree(list);
}

TEST(ListFile, AReadOnlyFileLoadsAndIsNeverReplaced) {
    if (!read_only_holds()) GTEST_SKIP() << "running as root: read-only files can be written";
    TempDir dir;
    velk_handle list = llzAdd(0, "a", "1");
    ASSERT_EQ(llzListToFile(list, dir.file("ro.lst").c_str()), 1);
    make_read_only(dir.file("ro.lst"));
    velk_handle back = llzListFromFile(dir.file("ro.lst").c_str());
    EXPECT_EQ(entries(back), (Entries{{"a", "1"}}));
    EXPECT_EQ(llzListToFile(list, dir.file("ro.lst").c_str()), 0);
    EXPECT_EQ(take(llLastError()),
              "Unable to save linked list. File " + dir.file("ro.lst") + " already exists.");
    llFree(back);
    llFree(list);
}

TEST(ListFile, LoadFailureKeepsTheOtherFamilysText) {
    TempDir dir;
    velk::set_error(velk::Family::xml, "xml text");
    EXPECT_EQ(load(dir.file("none.lst")), 0u);
    velk_handle list = llzAdd(0, "a", "b");
    EXPECT_EQ(llzListToFile(list, dir.file("fine.lst").c_str()), 1);
    EXPECT_EQ(take(llLastError()), "Input file '" + dir.file("none.lst") + "' doesn't exist.");
    EXPECT_STREQ(xmlzLastError(), "xml text");
    llFree(list);
}

TEST(ListFile, FieldsOfEveryLengthAcrossTheReadBufferComeBackWhole) {
    // Megabytes of entries whose lengths vary, so that the reader's buffer
    // ends inside names, data and length fields alike; one field is larger
    // than any buffer.
    TempDir dir;
    velk_handle list = 0, last = 0;
    Entries expected;
    for (int i = 0; i < 2500; ++i) {
        std::string name(static_cast<std::size_t>(1 + i * 7 % 1013), 'a' + i % 26);
        std::string data(i == 1200 ? std::size_t(700000) : static_cast<std::size_t>(i * 13 % 2039), '\0');
        for (std::size_t k = 0; k < data.size(); ++k)
            data[k] = static_cast<char>('0' + (i + k) % 10);
        name += std::to_string(i);
        last = llzAdd(last, name.c_str(), data.c_str());
        if (!list) list = last;
        expected.emplace_back(name, data);
    }
    ASSERT_EQ(llzListToFile(list, dir.file("lengths.lst").c_str()), 1);
    velk_handle back = llzListFromFile(dir.file("lengths.lst").c_str());
    EXPECT_EQ(entries(back), expected);
    llFree(list);
    llFree(back);
}

// A name longer than 255 bytes, or holding a NUL byte (the counted face), is
// refused whole (64): the system used to be given its first 255 bytes, or
// the bytes before the NUL, which name another file.
TEST(ListFile, NamesLongerThan255BytesOrHoldingNulAreRefused) {
    TempDir dir;
    std::string kept = dir.file("keep");
    kept += std::string(255 - kept.size(), 'k');
    write_file(kept, kSig + entry("a", "b") + le(-1));
    velk_handle list = llzAdd(0, "c", "d");
    for (const std::string &name : {kept + ".lst", kept + std::string("\0.bak", 5)}) {
        SCOPED_TRACE(name.size());
        EXPECT_EQ(llListToFile(list, bs(name)), 0);
        EXPECT_EQ(take(llLastError()), "Unable to create save file " + name + "Error = 64");
        EXPECT_EQ(llListFromFile(bs(name)), 0u);
        EXPECT_EQ(take(llLastError()), "Unable to open file " + name + " Error = 64");
    }
    EXPECT_EQ(llzListFromFile((kept + ".lst").c_str()), 0u);
    EXPECT_EQ(read_file(kept), kSig + entry("a", "b") + le(-1));
    llFree(list);
}
