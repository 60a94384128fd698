#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "list/node.h"
#include "support.h"

using namespace velk_test;
using velk::list::as_node;

namespace {

std::string data_of(velk_handle h) { return take(llData(h)); }

std::vector<std::string> datas(velk_handle list) {
    std::vector<std::string> out;
    for (velk_handle h = list; h; h = llNext(h))
        out.push_back(data_of(h));
    return out;
}

} // namespace

TEST(ListLookup, FindByNameNormalisesTheKey) {
    velk_handle list = llzAdd(0, "ALPHA", "1");
    velk_handle nameless = llzAdd(list, "", "2");
    velk_handle beta = llzAdd(list, "Beta", "3");
    EXPECT_EQ(llFindByName(list, bs("  Alpha ")), list);
    EXPECT_EQ(llzFindByName(list, "BETA"), beta);
    EXPECT_EQ(llFindByName(list, bs("alph")), 0u);
    EXPECT_EQ(llFindByName(list, bs("  ")), 0u); // an empty key never matches
    EXPECT_EQ(llFindByName(list, nullptr), 0u);
    EXPECT_EQ(llzFindByName(list, nullptr), 0u);
    EXPECT_EQ(llzFindByName(nameless, "alpha"), 0u); // only from the given node on
    EXPECT_EQ(llzFindByName(0, "alpha"), 0u);
    llFree(list);
}

TEST(ListLookup, FindByNameDuplicatesAlwaysReachTheFirst) {
    velk_handle list = llzAdd(0, "other", "0");
    velk_handle first = llzAdd(list, "key", "1");
    velk_handle second = llzAdd(list, "KEY", "2");
    EXPECT_EQ(llzFindByName(list, "Key"), first);
    EXPECT_EQ(take(llDataByName(list, bs("key"))), "1");
    EXPECT_EQ(llzUpdateByName(list, "key", "updated"), first);
    EXPECT_EQ(datas(list), (std::vector<std::string>{"0", "updated", "2"}));
    EXPECT_EQ(llzFindByName(second, "key"), second);
    llFree(list);
}

TEST(ListLookup, FindByDataNormalisesOnlyTheKey) {
    velk_handle list = llzAdd(0, "a", "ABC");
    velk_handle lower = llzAdd(list, "b", "abc");
    velk_handle empty = llzAdd(list, "c", "");
    EXPECT_EQ(llFindByData(list, bs(" ABC ")), lower); // never the stored ABC
    EXPECT_EQ(llzFindByData(list, "abc"), lower);
    EXPECT_EQ(llzFindByData(list, "ab"), 0u);
    EXPECT_EQ(llFindByData(list, nullptr), empty); // the first empty data text
    EXPECT_EQ(llzFindByData(0, "abc"), 0u);
    llFree(list);
}

TEST(ListLookup, FindByDataReadsDataAsTextUpToANul) {
    velk_handle list = llAdd(0, bs("a"), bs(std::string_view("x\0y", 3)));
    velk_handle raw = llbAdd(list, bs("b"), bs("pq")); // no terminator: capacity bounds it
    EXPECT_EQ(llzFindByData(list, "x"), list);
    EXPECT_EQ(llFindByData(list, bs(std::string_view("x\0y", 3))), 0u);
    EXPECT_EQ(llzFindByData(list, "PQ"), raw);
    llFree(list);
}

TEST(ListLookup, UpdateReplacesTheDataInEachFace) {
    BlockWatch watch;
    velk_handle node = llzAdd(0, "n", "old");
    llUpdate(node, bs("longer data"));
    EXPECT_EQ(data_of(node), "longer data");
    EXPECT_EQ(llCapacity(node), 11);
    llzUpdate(node, nullptr);
    EXPECT_EQ(llCapacity(node), 0);
    EXPECT_NE(as_node(node)->data, nullptr); // empty text data still has its block
    llbUpdate(node, bs(std::string_view("1\0"
                                        "2",
                                        3)));
    EXPECT_EQ(llCapacity(node), 3);
    EXPECT_EQ(take(llbData(node)), std::string("1\0"
                                               "2",
                                               3));
    EXPECT_EQ(data_of(node), "1");
    llUpdate(0, bs("ignored"));
    llzUpdate(0, "ignored");
    llbUpdate(0, bs("ignored"));
    llFree(node);
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(ListLookup, UpdateFailedAllocationLeavesTheNodeWithoutData) {
    FailureReset reset;
    llzData(0); // the thread's return buffer exists before the count starts
    BlockWatch watch;
    velk_handle list = llzAdd(0, "a", "first");
    velk_handle node = llzAdd(list, "b", "second");
    llzAdd(list, "c", "third");
    const long held = watch.leaked();
    velk::testing::fail_allocation(1);
    llUpdate(node, bs("new data"));
    EXPECT_EQ(as_node(node)->data, nullptr);
    EXPECT_EQ(llCapacity(node), 0);
    EXPECT_EQ(watch.leaked(), held - 1); // the old block is gone, no new one
    EXPECT_EQ(llCount(list), 3);
    EXPECT_EQ(take(llData(node)), "");
    EXPECT_EQ(take(llbData(node)), "");
    EXPECT_STREQ(llzData(node), "");
    EXPECT_EQ(take(llName(node)), "b");
    EXPECT_EQ(llzFindByData(list, ""), node); // reads as empty
    velk::testing::fail_allocation(1);
    llbUpdate(list, bs("raw"));
    EXPECT_EQ(as_node(list)->data, nullptr);
    // A later update gives the node data again.
    llzUpdate(node, "back");
    EXPECT_EQ(data_of(node), "back");
    llFree(list);
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(ListLookup, UpdateByNameAddsWhatIsMissing) {
    BlockWatch watch;
    velk_handle list = llUpdateByName(0, bs("First"), bs("1"));
    ASSERT_NE(list, 0u);
    EXPECT_EQ(llCount(list), 1);
    velk_handle added = llzUpdateByName(list, "second", "2");
    EXPECT_EQ(llNext(list), added);
    EXPECT_EQ(llzUpdateByName(list, " FIRST", "one"), list);
    velk_handle raw = llbUpdateByName(list, bs("raw"), bs(std::string_view("a\0b", 3)));
    EXPECT_EQ(llCapacity(raw), 3);
    EXPECT_EQ(llbUpdateByName(list, bs("raw"), bs("xy")), raw);
    EXPECT_EQ(take(llbDataByName(list, bs("RAW"))), "xy");
    EXPECT_EQ(datas(list), (std::vector<std::string>{"one", "2", "xy"}));
    llFree(list);
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(ListLookup, UpdateByNameFailedAddLeavesTheListUnchanged) {
    FailureReset reset;
    BlockWatch watch;
    velk_handle list = llzAdd(0, "a", "1");
    const long held = watch.leaked();
    for (unsigned nth : {1u, 2u}) { // the record, then the data block
        velk::testing::fail_allocation(nth);
        EXPECT_EQ(llzUpdateByName(list, "missing", "x"), 0u) << nth;
        velk::testing::fail_allocation(nth);
        EXPECT_EQ(llUpdateByName(list, bs("missing"), bs("x")), 0u) << nth;
        EXPECT_EQ(llCount(list), 1) << nth;
        EXPECT_EQ(watch.leaked(), held) << nth;
    }
    llFree(list);
}

TEST(ListLookup, ReadersNamesAndDataInEveryFace) {
    velk_handle list = llzAdd(0, "  Mixed Case ", "value");
    velk_handle nameless = llzAdd(list, "", "anonymous");
    EXPECT_EQ(take(llName(list)), "mixed case");
    EXPECT_STREQ(llzName(list), "mixed case");
    EXPECT_EQ(llName(nameless), nullptr);
    EXPECT_STREQ(llzName(nameless), "");
    EXPECT_EQ(take(llDataByName(list, bs("MIXED CASE"))), "value");
    EXPECT_STREQ(llzDataByName(list, "mixed case"), "value");
    EXPECT_EQ(take(llbDataByName(list, bs("mixed case"))), "value");
    // A missing name reads like empty data.
    EXPECT_EQ(llDataByName(list, bs("missing")), nullptr);
    EXPECT_STREQ(llzDataByName(list, "missing"), "");
    EXPECT_EQ(llbDataByName(list, bs("missing")), nullptr);
    EXPECT_EQ(llDataByName(0, bs("x")), nullptr);
    llFree(list);
}

TEST(ListLookup, ReadersNullHandleGivesTheEmptyText) {
    EXPECT_EQ(llData(0), nullptr);
    EXPECT_EQ(llbData(0), nullptr);
    EXPECT_EQ(llName(0), nullptr);
    const char *z = llzData(0);
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(*z, '\0');
    EXPECT_STREQ(llzName(0), "");
}

TEST(ListLookup, ReadersZResultsShareTheListBuffer) {
    velk_handle list = llzAdd(0, "a", "first value");
    llzAdd(list, "first value", "second");
    // A key taken from the buffer stays usable in the call that refills it.
    const char *data = llzData(list);
    EXPECT_STREQ(llzDataByName(list, data), "second");
    llFree(list);
}
