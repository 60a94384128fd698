#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "list/core.h"
#include "list/node.h"
#include "support.h"

using namespace velk_test;
using velk::list::as_node;

namespace {

std::string name_of(velk_handle h) { return std::string(velk::list::name_text(as_node(h))); }
std::string text_of(velk_handle h) { return std::string(velk::list::data_text(as_node(h))); }

// The names of a list from its first node, in chain order.
std::vector<std::string> names(velk_handle list) {
    std::vector<std::string> out;
    for (velk_handle h = list; h; h = llNext(h))
        out.push_back(name_of(h));
    return out;
}

velk_handle make_list(std::initializer_list<const char *> entry_names) {
    velk_handle list = 0, last = 0;
    for (const char *n : entry_names) {
        last = llzAdd(last, n, n);
        if (!list) list = last;
    }
    return list;
}

} // namespace

TEST(ListCore, AddNormalisesTheNameAndAppendsBehindTheLastNode) {
    velk_handle first = llAdd(0, bs("  Alpha "), bs("x"));
    ASSERT_NE(first, 0u);
    EXPECT_EQ(name_of(first), "alpha");
    EXPECT_EQ(llCapacity(first), 1);
    velk_handle second = llAdd(first, bs("Key"), bs("1"));
    velk_handle third = llAdd(first, bs("KEY"), bs("2")); // names need not be unique
    EXPECT_EQ(llNext(first), second);
    EXPECT_EQ(llNext(second), third);
    EXPECT_EQ(names(first), (std::vector<std::string>{"alpha", "key", "key"}));
    llFree(first);
}

TEST(ListCore, AddLowersCodePage437CapitalsAndKeepsOtherBlanks) {
    velk_handle node = llAdd(0, bs("\x80\x8E\x8F\x90\x99\x9A\xA5 \t\xC9Z \r"), bs("d"));
    EXPECT_EQ(name_of(node), "\x87\x84\x86\x82\x94\x81\xA4 \t\xC9z \r");
    llFree(node);
}

TEST(ListCore, NamesAreLoweredAlikeWhereverEachByteStands) {
    // Names are lowered eight bytes at a time while they are ASCII: every
    // byte value, at each place of such a run and after it, in long names.
    for (int b = 1; b < 256; ++b) {
        if (b == ' ') continue; // outer blanks are trimmed
        const char c = static_cast<char>(b);
        char lowered = c;
        if (b >= 'A' && b <= 'Z') lowered = static_cast<char>(b + 32);
        const std::pair<int, char> cp437[] = {{0x80, '\x87'}, {0x8E, '\x84'}, {0x8F, '\x86'}, {0x90, '\x82'},
                                              {0x99, '\x94'}, {0x9A, '\x81'}, {0xA5, '\xA4'}};
        for (auto [capital, small] : cp437)
            if (b == capital) lowered = small;
        for (std::size_t at = 0; at < 17; ++at) {
            std::string name = "Name-Of-Q-Z-@[`{" + std::string(1, 'K');
            name[at] = c;
            std::string expected = "name-of-q-z-@[`{k";
            expected[at] = lowered;
            velk_handle node = llAdd(0, bs(name), bs("d"));
            EXPECT_EQ(name_of(node), expected) << "byte " << b << " at " << at;
            llFree(node);
        }
    }
}

TEST(ListCore, AddEmptyOrBlankNamesAreNotStored) {
    velk_handle a = llAdd(0, nullptr, bs("d"));
    velk_handle b = llAdd(a, bs("   "), bs("d"));
    EXPECT_EQ(as_node(a)->name, nullptr);
    EXPECT_EQ(as_node(b)->name, nullptr);
    llFree(a);
}

TEST(ListCore, AddPlainFaceKeepsNulBytesAndTerminates) {
    velk_handle node = llAdd(0, bs("n"),
                             bs(std::string_view("1\0"
                                                 "2",
                                                 3)));
    EXPECT_EQ(llCapacity(node), 3);
    EXPECT_EQ(text_of(node), "1");
    EXPECT_EQ(0, std::memcmp(as_node(node)->data,
                             "1\0"
                             "2\0",
                             4));
    llFree(node);
}

TEST(ListCore, AddBFaceStoresExactlyTheBytes) {
    BlockWatch watch;
    velk_handle node = llbAdd(0, bs("n"), bs("ab"));
    EXPECT_EQ(llCapacity(node), 2);
    EXPECT_EQ(text_of(node), "ab"); // text reads stop at capacity without a NUL
    // Empty raw data: a zero-byte block, or a failed add; both are allowed.
    velk_handle empty = llbAdd(node, bs("e"), nullptr);
    if (empty) {
        EXPECT_EQ(llCapacity(empty), 0);
    }
    llFree(node);
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(ListCore, AddExhaustedMemoryLeavesTheListAsItWas) {
    FailureReset reset;
    BlockWatch watch;
    velk_handle list = make_list({"a", "b"});
    const long held = watch.leaked(); // two nodes: record, name, data each
    for (unsigned nth : {1u, 2u}) {   // the record, then the data block
        velk::testing::fail_allocation(nth);
        EXPECT_EQ(llAdd(list, bs("c"), bs("data")), 0u) << nth;
        EXPECT_EQ(llCount(list), 2) << nth;
        EXPECT_EQ(llNext(llNext(list)), 0u) << nth;
        EXPECT_EQ(watch.leaked(), held) << nth; // a half-built node is released
    }
    velk::testing::fail_allocation(3); // only the name block is missing
    velk_handle added = llAdd(list, bs("c"), bs("data"));
    ASSERT_NE(added, 0u);
    EXPECT_EQ(as_node(added)->name, nullptr);
    EXPECT_EQ(text_of(added), "data");
    llFree(list);
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(ListCore, WalkNullHandleGivesNothing) {
    EXPECT_EQ(llCount(0), 0);
    EXPECT_EQ(llFindLast(0), 0u);
    EXPECT_EQ(llNext(0), 0u);
    EXPECT_EQ(llCapacity(0), 0);
    EXPECT_EQ(llGetByNumber(0, 1), 0u);
    EXPECT_EQ(llFindPrev(0, 0), 0u);
    llMoveFirst(0, 0, 0);
    llFree(0);
}

TEST(ListCore, WalkCountsAndPositionsFromTheGivenNode) {
    velk_handle list = make_list({"a", "b", "c"});
    velk_handle b = llNext(list), c = llNext(b);
    EXPECT_EQ(llCount(list), 3);
    EXPECT_EQ(llCount(b), 2);
    EXPECT_EQ(llFindLast(list), c);
    EXPECT_EQ(llFindLast(c), c);
    EXPECT_EQ(llGetByNumber(list, 1), list);
    EXPECT_EQ(llGetByNumber(list, 3), c);
    EXPECT_EQ(llGetByNumber(b, 2), c);
    for (int position : {0, -1, 4, INT32_MIN})
        EXPECT_EQ(llGetByNumber(list, position), 0u) << position;
    llFree(list);
}

TEST(ListCore, WalkFindPrev) {
    velk_handle list = make_list({"a", "b", "c"});
    velk_handle other = make_list({"x", "y"});
    velk_handle b = llNext(list), c = llNext(b);
    EXPECT_EQ(llFindPrev(list, list), 0u);
    EXPECT_EQ(llFindPrev(list, b), list);
    EXPECT_EQ(llFindPrev(list, c), b);
    EXPECT_EQ(llFindPrev(list, llNext(other)), 0u); // not in this chain
    EXPECT_EQ(llFindPrev(list, 0), c);              // node 0: the last node
    EXPECT_EQ(llFindPrev(0, b), 0u);
    llFree(list);
    llFree(other);
}

TEST(ListCore, MoveFirstMovesANodeToTheFront) {
    velk_handle list = make_list({"a", "b", "c"});
    velk_handle c = llGetByNumber(list, 3);
    llMoveFirst(list, c, llFindPrev(list, c));
    EXPECT_EQ(names(c), (std::vector<std::string>{"c", "a", "b"}));
    velk_handle b = llGetByNumber(c, 3); // the last node to the front of c, a, b
    llMoveFirst(c, b, llFindPrev(c, b));
    EXPECT_EQ(names(b), (std::vector<std::string>{"b", "c", "a"}));
    llFree(b);
}

TEST(ListCore, MoveFirstFirstNodeOrNullNodeChangesNothing) {
    velk_handle list = make_list({"a", "b"});
    llMoveFirst(list, list, 0);
    llMoveFirst(list, 0, llNext(list));
    EXPECT_EQ(names(list), (std::vector<std::string>{"a", "b"}));
    llFree(list);
}

TEST(ListCore, FreeReleasesFromTheGivenNodeToTheEnd) {
    BlockWatch watch;
    velk_handle list = make_list({"a", "b", "c"});
    velk_handle b = llNext(list);
    llFree(b);
    EXPECT_EQ(watch.leaked(), 3); // a: record, name and data
    as_node(list)->next = nullptr;
    llFree(list);
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(ListCore, BuilderHandsOutItsEntriesInOrderOrReleasesThem) {
    using velk::list::DataForm;
    BlockWatch watch;
    {
        velk::list::ListBuilder builder;
        EXPECT_EQ(builder.release(), nullptr);
        ASSERT_TRUE(builder.add("One", "1", DataForm::text));
        ASSERT_TRUE(builder.add("  ", "blank", DataForm::text)); // a blank name is no failure
        ASSERT_TRUE(builder.add("Two", "2", DataForm::raw));
        velk_handle list = velk::list::as_handle(builder.release());
        EXPECT_EQ(names(list), (std::vector<std::string>{"one", "", "two"}));
        EXPECT_EQ(builder.release(), nullptr); // handed out once
        llFree(list);
    }
    {
        velk::list::ListBuilder dropped; // never handed out: released with its owner
        ASSERT_TRUE(dropped.add("a", "x", DataForm::text));
        ASSERT_TRUE(dropped.add("b", "y", DataForm::text));
    }
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(ListCore, BuilderAnEntryMemoryCannotHoldWholeIsReported) {
    using velk::list::DataForm;
    FailureReset reset;
    BlockWatch watch;
    // The entry's blocks, refused one at a time: the add says so, and what
    // was built before it is intact and still released.
    for (unsigned nth = 1;; ++nth) {
        velk::list::ListBuilder builder;
        ASSERT_TRUE(builder.add("first", "1", DataForm::text));
        velk::testing::fail_allocation(nth);
        bool whole = builder.add("second", "2", DataForm::text);
        velk::testing::fail_allocation(0);
        if (whole) break;
        ASSERT_LT(nth, 10u);
        // The first entry is intact, alone or with a second that lost its name.
        velk_handle list = velk::list::as_handle(builder.release());
        EXPECT_EQ(name_of(list), "first");
        int count = llCount(list);
        EXPECT_TRUE(count == 1 || (count == 2 && name_of(llNext(list)).empty())) << nth;
        llFree(list);
    }
    EXPECT_EQ(watch.leaked(), 0);
}
