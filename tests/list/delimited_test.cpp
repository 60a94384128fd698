#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support.h"

using namespace velk_test;

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// The (name, data) pairs of a list, and the list released.
Entries entries_of(velk_handle list) {
    Entries out;
    for (velk_handle h = list; h; h = llNext(h))
        out.emplace_back(take(llName(h)), take(llbData(h)));
    llFree(list);
    return out;
}

Entries split(std::string_view text, std::string_view delimiter) {
    return entries_of(llDelimToList(bs(text), bs(delimiter)));
}

} // namespace

TEST(ListDelimToList, NumbersTheNonEmptyPieces) {
    EXPECT_EQ(split("a,b,,c", ","), (Entries{{"1", "a"}, {"2", "b"}, {"3", "c"}}));
    EXPECT_EQ(split(",,a,b,", ","), (Entries{{"1", "a"}, {"2", "b"}}));
    EXPECT_EQ(split("A,  B", ","), (Entries{{"1", "A"}, {"2", "  B"}})); // pieces as they stand
    EXPECT_EQ(llDelimToList(bs(""), bs(",")), 0u);
    EXPECT_EQ(llDelimToList(nullptr, bs(",")), 0u);
    EXPECT_EQ(llDelimToList(bs(",,,"), bs(",")), 0u);
}

TEST(ListDelimToList, SplitsAtTheFirstByteOfTheDelimiterOnly) {
    EXPECT_EQ(split("a,b;c", ",;"), (Entries{{"1", "a"}, {"2", "b;c"}}));
    EXPECT_EQ(split("a,b", ""), (Entries{{"1", "a,b"}}));
    EXPECT_EQ(split(std::string_view("a\0b\0\0c", 6), std::string_view("\0", 1)),
              (Entries{{"1", "a"}, {"2", "b"}, {"3", "c"}}));
    // NUL bytes inside a piece are kept in the plain face.
    EXPECT_EQ(split(std::string_view("x\0y|z", 5), "|"),
              (Entries{{"1", std::string("x\0y", 3)}, {"2", "z"}}));
}

TEST(ListDelimToList, ZFace) {
    EXPECT_EQ(entries_of(llzDelimToList("p q  r", " ")), (Entries{{"1", "p"}, {"2", "q"}, {"3", "r"}}));
    EXPECT_EQ(llzDelimToList(nullptr, ","), 0u);
    EXPECT_EQ(entries_of(llzDelimToList("a,b", nullptr)), (Entries{{"1", "a,b"}}));
}

TEST(ListDelimToList, ManyEntriesInOrder) {
    std::string text;
    const int entries = 100000; // each append starts from the previous entry
    for (int i = 1; i <= entries; ++i)
        text += std::to_string(i * 7) + "\n";
    velk_handle list = llDelimToList(bs(text), bs("\n"));
    EXPECT_EQ(llCount(list), entries);
    velk_handle tenth = llGetByNumber(list, 10);
    EXPECT_EQ(take(llName(tenth)), "10");
    EXPECT_EQ(take(llData(tenth)), "70");
    EXPECT_EQ(take(llName(llFindLast(list))), "100000");
    EXPECT_EQ(take(llData(llFindLast(list))), "700000");
    llFree(list);
}

TEST(ListDelimToList, ExhaustedMemoryGivesNoListAndLeaksNothing) {
    FailureReset reset;
    BlockWatch watch;
    // Three entries of three blocks each (record, data, name): fail every one.
    for (unsigned nth = 1; nth <= 9; ++nth) {
        velk::testing::fail_allocation(nth);
        EXPECT_EQ(llDelimToList(bs("a,b,c"), bs(",")), 0u) << nth;
        EXPECT_EQ(watch.leaked(), 0) << nth;
    }
    velk::testing::fail_allocation(10);
    EXPECT_EQ(split("a,b,c", ",").size(), 3u);
    EXPECT_EQ(watch.leaked(), 0);
}
