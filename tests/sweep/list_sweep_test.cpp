// Allocation sweeps over the list exports that make blocks: adds and updates
// in every face, splitting delimited text, and GetAsciiz.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "list/node.h"
#include "sweep.h"

using namespace velk_test;
using namespace velk_test::sweep;

namespace {

const Entries kThree = {{"a", "1"}, {"b", "2"}, {"c", "3"}};

struct AddCase {
    const char *what;
    std::function<velk_handle(velk_handle list)> call;
    std::pair<std::string, std::string> added; // the entry a success appends
};

} // namespace

// An add refused returns 0 and leaves the list as it was, or (when only the
// name's block is refused) adds the entry complete but for its name. Either
// way nothing leaks and the same add succeeds right after.
TEST(ListSweep, ListAddsInEveryFace) {
    const std::string raw("x\0y", 3);
    const std::vector<AddCase> cases = {
        {"llAdd", [](velk_handle l) { return llAdd(l, bs(" New "), bs("data")); }, {"new", "data"}},
        {"llzAdd", [](velk_handle l) { return llzAdd(l, "New", "data"); }, {"new", "data"}},
        {"llbAdd", [&](velk_handle l) { return llbAdd(l, bs("New"), bs(raw)); }, {"new", raw}},
        {"llUpdateByName (new name)",
         [](velk_handle l) { return llUpdateByName(l, bs("New"), bs("data")); },
         {"new", "data"}},
        {"llzUpdateByName (new name)",
         [](velk_handle l) { return llzUpdateByName(l, "New", "data"); },
         {"new", "data"}},
        {"llbUpdateByName (new name)",
         [&](velk_handle l) { return llbUpdateByName(l, bs("New"), bs(raw)); },
         {"new", raw}},
    };
    unsigned points = 0;
    for (const AddCase &c : cases) {
        for (bool onto_empty : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (onto_empty ? " onto list 0" : " onto three entries"));
            int nameless = 0;
            points += sweep_allocations("list adds and updates", [&](AllocationFault &fault) {
                BlockWatch watch;
                velk_handle list = onto_empty ? 0 : make_list(kThree);
                const Entries before = entries(list);
                fault.arm();
                velk_handle added = c.call(list);
                fault.disarm();
                velk_handle first = list ? list : added;
                Entries expected = before;
                expected.push_back(c.added);
                if (fault.struck() && added) { // only the name was refused
                    ++nameless;
                    expected.back().first.clear();
                }
                if (fault.struck()) {
                    EXPECT_EQ(entries(first), added ? expected : before);
                    // The same add goes through once memory is back.
                    velk_handle again = c.call(first);
                    EXPECT_NE(again, 0u);
                    if (!first) first = again;
                    if (!added) expected = before;
                    expected.push_back(c.added);
                } else {
                    ASSERT_NE(added, 0u);
                }
                EXPECT_EQ(entries(first), expected);
                llFree(first);
                EXPECT_EQ(watch.leaked(), 0);
            });
            EXPECT_LE(nameless, 1); // the name is one block: one refusal at most can cost it
        }
    }
    EXPECT_GE(points, cases.size() * 2); // every add was refused at least once
}

// A refused update leaves the node in its place without data (readers give
// ""), every other entry as it was, and the next update gives it data again.
TEST(ListSweep, ListUpdatesInEveryFace) {
    const std::string raw("1\0"
                          "2",
                          3);
    struct UpdateCase {
        const char *what;
        std::function<velk_handle(velk_handle list, velk_handle node)> call;
        std::string data;
    };
    const std::vector<UpdateCase> cases = {
        {"llUpdate",
         [](velk_handle, velk_handle n) {
             llUpdate(n, bs("new"));
             return n;
         },
         "new"},
        {"llzUpdate",
         [](velk_handle, velk_handle n) {
             llzUpdate(n, "new");
             return n;
         },
         "new"},
        {"llbUpdate",
         [&](velk_handle, velk_handle n) {
             llbUpdate(n, bs(raw));
             return n;
         },
         raw},
        {"llUpdateByName", [](velk_handle l, velk_handle) { return llUpdateByName(l, bs(" B"), bs("new")); },
         "new"},
        {"llzUpdateByName", [](velk_handle l, velk_handle) { return llzUpdateByName(l, "b", "new"); }, "new"},
        {"llbUpdateByName", [&](velk_handle l, velk_handle) { return llbUpdateByName(l, bs("B "), bs(raw)); },
         raw},
    };
    unsigned points = 0;
    for (const UpdateCase &c : cases) {
        SCOPED_TRACE(c.what);
        points += sweep_allocations("list adds and updates", [&](AllocationFault &fault) {
            BlockWatch watch;
            velk_handle list = make_list(kThree);
            velk_handle middle = llNext(list);
            fault.arm();
            velk_handle result = c.call(list, middle);
            fault.disarm();
            EXPECT_EQ(result, middle);
            Entries expected = kThree;
            if (fault.struck()) {
                expected[1].second.clear();
                EXPECT_EQ(entries(list), expected);
                EXPECT_EQ(llCapacity(middle), 0);
                EXPECT_EQ(llData(middle), nullptr);
                EXPECT_EQ(c.call(list, middle), middle);
            }
            expected[1].second = c.data;
            EXPECT_EQ(entries(list), expected);
            llFree(list);
            EXPECT_EQ(watch.leaked(), 0);
        });
    }
    EXPECT_GE(points, cases.size()); // every update was refused at least once
}

// Splitting is all or nothing: a refused block anywhere gives 0 and releases
// the entries made so far.
TEST(ListSweep, DelimitedTextInBothFaces) {
    const Entries pieces = {{"1", "alpha"}, {"2", "b"}, {"3", "gamma delta"}, {"4", "e"}};
    unsigned points = 0;
    for (bool plain : {true, false}) {
        SCOPED_TRACE(plain ? "llDelimToList" : "llzDelimToList");
        points += sweep_allocations("delimited text", [&](AllocationFault &fault) {
            BlockWatch watch;
            auto split = [&] {
                return plain ? llDelimToList(bs(";alpha;b;;gamma delta;e;"), bs(";"))
                             : llzDelimToList(";alpha;b;;gamma delta;e;", ";");
            };
            fault.arm();
            velk_handle list = split();
            fault.disarm();
            if (fault.struck()) {
                EXPECT_EQ(list, 0u);
                EXPECT_EQ(watch.leaked(), 0);
                list = split();
            }
            EXPECT_EQ(entries(list), pieces);
            llFree(list);
            EXPECT_EQ(watch.leaked(), 0);
        });
    }
    EXPECT_GE(points, 2u * 4); // every entry of both faces was refused at least once
}

TEST(ListSweep, GetAsciiz) {
    unsigned points = sweep_allocations("memory", [&](AllocationFault &fault) {
        BlockWatch watch;
        fault.arm();
        void *block = GetAsciiz(bs("stored text"));
        fault.disarm();
        if (fault.struck()) {
            EXPECT_EQ(block, nullptr);
            block = GetAsciiz(bs("stored text"));
        }
        ASSERT_NE(block, nullptr);
        EXPECT_STREQ(static_cast<const char *>(block), "stored text");
        FreeMem(block);
        EXPECT_EQ(watch.leaked(), 0);
    });
    EXPECT_EQ(points, 1u);
}
