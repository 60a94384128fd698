#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "list/node.h"
#include "list/number.h"
#include "support.h"

using namespace velk_test;
using velk::list::as_node;

namespace {

std::vector<std::string> names(velk_handle list) {
    std::vector<std::string> out;
    for (velk_handle h = list; h; h = llNext(h))
        out.push_back(take(llName(h)));
    return out;
}

std::vector<std::string> datas(velk_handle list) {
    std::vector<std::string> out;
    for (velk_handle h = list; h; h = llNext(h))
        out.push_back(take(llData(h)));
    return out;
}

// A list whose entries are named after their data.
velk_handle make_list(std::initializer_list<const char *> entries) {
    velk_handle list = 0, last = 0;
    for (const char *e : entries) {
        last = llzAdd(last, e, e);
        if (!list) list = last;
    }
    return list;
}

using Strings = std::vector<std::string>;

} // namespace

TEST(ListSort, DeleteUnlinksAndReleasesOneNode) {
    BlockWatch watch;
    velk_handle list = make_list({"a", "b", "c", "d"});
    velk_handle b = llNext(list);
    EXPECT_EQ(llDelete(list, b), 1);
    EXPECT_EQ(names(list), (Strings{"a", "c", "d"}));
    EXPECT_EQ(llDelete(list, llFindLast(list)), 1);
    EXPECT_EQ(names(list), (Strings{"a", "c"}));
    EXPECT_EQ(llDelete(list, 0), 0);
    EXPECT_EQ(llDelete(0, llNext(list)), 0); // the empty list holds no node
    EXPECT_EQ(llCount(list), 2);
    // The first node: the caller's handle goes, the list goes on from its next.
    velk_handle rest = llNext(list);
    EXPECT_EQ(llDelete(list, list), 1);
    EXPECT_EQ(names(rest), (Strings{"c"}));
    llFree(rest);
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(ListSort, DeleteByNameDeletesTheFirstOfThatNameAndAlwaysAnswersOne) {
    BlockWatch watch;
    velk_handle list = make_list({"a", "b", "c", "b"});
    EXPECT_EQ(llDeleteByName(list, bs("missing")), 1);
    EXPECT_EQ(llzDeleteByName(list, nullptr), 1);
    EXPECT_EQ(llDeleteByName(list, nullptr), 1);
    EXPECT_EQ(llDeleteByName(0, bs("a")), 1);
    EXPECT_EQ(llCount(list), 4);
    EXPECT_EQ(llDeleteByName(list, bs(" B ")), 1);
    EXPECT_EQ(names(list), (Strings{"a", "c", "b"}));
    EXPECT_EQ(llzDeleteByName(list, "b"), 1);
    EXPECT_EQ(names(list), (Strings{"a", "c"}));
    velk_handle rest = llNext(list);
    EXPECT_EQ(llzDeleteByName(list, "A"), 1); // releases the first node
    EXPECT_EQ(names(rest), (Strings{"c"}));
    llFree(rest);
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(ListSort, FindSmallestEarliestSmallestAndTheNodeBeforeIt) {
    velk_handle list = make_list({"b", "a", "c", "a"});
    velk_handle before = 12345;
    EXPECT_EQ(llFindSmallest(list, 0, &before), llNext(list));
    EXPECT_EQ(before, list);
    velk_handle c = llGetByNumber(list, 3);
    EXPECT_EQ(llFindSmallest(c, 0, &before), llNext(c)); // from the given node on
    EXPECT_EQ(before, c);
    EXPECT_EQ(llFindSmallest(llNext(list), 0, &before), llNext(list));
    EXPECT_EQ(before, 0u);
    before = 12345;
    EXPECT_EQ(llFindSmallest(0, 1, &before), 0u);
    EXPECT_EQ(before, 0u);
    EXPECT_EQ(llFindSmallest(list, 0, nullptr), llNext(list));
    llFree(list);
}

TEST(ListSort, FindSmallestPassesOverNodesWithoutData) {
    FailureReset reset;
    velk_handle list = make_list({"5", "1", "3"});
    velk_handle one = llNext(list);
    velk::testing::fail_allocation(1);
    llzUpdate(one, "0"); // loses its data block
    velk_handle before = 0;
    EXPECT_EQ(llFindSmallest(list, 1, &before), llFindLast(list));
    EXPECT_EQ(before, one); // still counts as the node before
    velk::testing::fail_allocation(1);
    llzUpdate(list, "0");
    velk::testing::fail_allocation(1);
    llzUpdate(llFindLast(list), "0");
    EXPECT_EQ(llFindSmallest(list, 1, &before), 0u);
    EXPECT_EQ(before, 0u);
    llFree(list);
}

TEST(ListSort, TextAndNumericOrder) {
    velk_handle list = make_list({"10", "9", "100"});
    list = llSort(list, 0);
    EXPECT_EQ(datas(list), (Strings{"10", "100", "9"}));
    list = llSort(list, 1);
    EXPECT_EQ(datas(list), (Strings{"9", "10", "100"}));
    for (int mode : {2, -1, 0}) {
        list = llSort(list, mode);
        EXPECT_EQ(datas(list), (Strings{"10", "100", "9"})) << mode;
    }
    llFree(list);
}

TEST(ListSort, TextOrderIsUnsignedBytesShorterFirst) {
    velk_handle list = make_list({"\xE9", "ab", "a", "B", "", "a b"});
    list = llSort(list, 0);
    EXPECT_EQ(datas(list), (Strings{"", "B", "a", "a b", "ab", "\xE9"}));
    llFree(list);
}

TEST(ListSort, EqualKeysKeepTheirOrder) {
    velk_handle list = llzAdd(0, "x", "b");
    llzAdd(list, "y", "a");
    llzAdd(list, "z", "b");
    list = llSort(list, 0);
    EXPECT_EQ(names(list), (Strings{"y", "x", "z"}));
    EXPECT_EQ(datas(list), (Strings{"a", "b", "b"}));
    llFree(list);

    // Texts that are no numbers count 0 and come before the positive values.
    list = make_list({"7", "abc", "&H2", "", "-1", "x", "1e0", "1"});
    list = llSort(list, 1);
    // The nameless entry with empty data sits among the zeros.
    EXPECT_EQ(names(list), (Strings{"-1", "abc", "", "x", "1e0", "1", "&h2", "7"}));
    llFree(list);
}

TEST(ListSort, EmptyAndSingleLists) {
    EXPECT_EQ(llSort(0, 0), 0u);
    EXPECT_EQ(llSort(0, 1), 0u);
    velk_handle one = make_list({"a"});
    EXPECT_EQ(llSort(one, 0), one);
    EXPECT_EQ(llNext(one), 0u);
    llFree(one);
}

TEST(ListSort, NodesWithoutDataFollowInTheirOrder) {
    FailureReset reset;
    BlockWatch watch;
    velk_handle list = make_list({"d", "c", "b", "a"});
    for (velk_handle node : {llGetByNumber(list, 3), list}) { // b, then d
        velk::testing::fail_allocation(1);
        llzUpdate(node, "z");
    }
    list = llSort(list, 0);
    EXPECT_EQ(names(list), (Strings{"a", "c", "d", "b"}));
    // Only nodes without data: nothing moves.
    velk_handle bare = make_list({"y", "x"});
    for (velk_handle node : {bare, llNext(bare)}) {
        velk::testing::fail_allocation(1);
        llzUpdate(node, "z");
    }
    EXPECT_EQ(llSort(bare, 1), bare);
    EXPECT_EQ(names(bare), (Strings{"y", "x"}));
    llFree(list);
    llFree(bare);
    EXPECT_EQ(watch.leaked(), 0);
}

// The order of the selection sort that defines llSort, worked out on a model
// of the list: take the earliest node with the smallest key among those with
// data, again and again; nodes without data follow in their order.
namespace {

struct ModelEntry {
    std::string text; // the data read as text
    bool has_data;
    std::string name;
    double number; // the numeric value of text
};

bool text_less(const std::string &a, const std::string &b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]);
    return a.size() < b.size();
}

Strings selection_order(std::vector<ModelEntry> rest, int mode) {
    Strings order;
    for (;;) {
        int best = -1;
        for (int i = 0; i < static_cast<int>(rest.size()); ++i) {
            if (!rest[i].has_data) continue;
            if (best < 0) {
                best = i;
            } else if (mode == 1 ? rest[i].number < rest[best].number
                                 : text_less(rest[i].text, rest[best].text)) {
                best = i;
            }
        }
        if (best < 0) break;
        order.push_back(rest[best].name);
        rest.erase(rest.begin() + best);
    }
    for (const auto &e : rest)
        order.push_back(e.name);
    return order;
}

// The selection sort of the list itself, through llFindSmallest: only the
// nodes with data end up in the chain it returns; the others stay behind in
// *leftover.
velk_handle selection_sort(velk_handle list, int mode, velk_handle *leftover) {
    velk_handle rest = list, sorted = 0, before = 0;
    for (velk_handle node = llFindSmallest(rest, mode, &before); node;
         node = llFindSmallest(rest, mode, &before)) {
        if (before)
            as_node(before)->next = as_node(node)->next;
        else
            rest = llNext(node);
        if (!sorted) sorted = node;
        as_node(node)->next = nullptr;
        velk_handle last = llFindLast(sorted);
        if (last != node) as_node(last)->next = as_node(node);
    }
    *leftover = sorted ? rest : 0;
    return sorted ? sorted : list;
}

const char *const kTextPieces[] = {"a", "b", "A", " ", "\xFF", "ab", "ba", "\x80", "z"};
const char *const kNumbers[] = {"1",      "1.0", " +1", "1e0", "&H1", "&1",    "&B1",  "-2",   "2D0",
                                "abc",    "",    "0",   "-0",  ".5",  "5e-1",  "&HFF", "255",  "1e400",
                                "-1e400", "\t7", "x9",  "12",  "1 2", "&O377", "-.5",  "3.25", "1e-400"};

std::string random_data(std::mt19937 &random, int mode) {
    std::string data;
    if (mode == 1) {
        data = kNumbers[random() % (sizeof kNumbers / sizeof *kNumbers)];
        if (random() % 5 == 0) data += std::to_string(random() % 1000);
    } else {
        int pieces = static_cast<int>(random() % 4);
        for (int i = 0; i < pieces; ++i)
            data += kTextPieces[random() % (sizeof kTextPieces / sizeof *kTextPieces)];
    }
    if (random() % 10 == 0) data += std::string(1, '\0') + "0zz"; // beyond the text
    return data;
}

// Builds two lists of the same entries (one for each sort) and the model.
void make_random_lists(std::mt19937 &random, int size, int mode, velk_handle *a, velk_handle *b,
                       std::vector<ModelEntry> *model) {
    velk_handle last_a = 0, last_b = 0;
    *a = *b = 0;
    for (int i = 0; i < size; ++i) {
        std::string name = "n" + std::to_string(i);
        std::string data = random_data(random, mode);
        bool raw = !data.empty() && random() % 8 == 0;
        auto add = raw ? llbAdd : llAdd;
        last_a = add(last_a, bs(name), bs(data));
        last_b = add(last_b, bs(name), bs(data));
        if (!*a) *a = last_a, *b = last_b;
        bool bare = random() % 12 == 0;
        if (bare) { // data lost by a failed update
            velk::testing::fail_allocation(1);
            llzUpdate(last_a, "lost");
            velk::testing::fail_allocation(1);
            llzUpdate(last_b, "lost");
        }
        std::string text = data.substr(0, data.find('\0'));
        model->push_back({text, !bare, name, velk::list::numeric_value(text)});
    }
}

} // namespace

TEST(ListSort, SameOrderAsTheSelectionSortOnRandomLists) {
    FailureReset reset;
    BlockWatch watch;
    std::mt19937 random(20261207);
    for (int mode : {0, 1}) {
        for (int round = 0; round < 120; ++round) {
            // Mostly short lists; some long enough for many merged runs.
            int size =
                round % 10 == 0 ? 600 + static_cast<int>(random() % 2500) : static_cast<int>(random() % 40);
            velk_handle a, b;
            std::vector<ModelEntry> model;
            make_random_lists(random, size, mode, &a, &b, &model);
            Strings expected = selection_order(model, mode);
            velk_handle sorted = llSort(a, mode);
            ASSERT_EQ(names(sorted), expected) << "mode " << mode << " round " << round;
            ASSERT_EQ(llCount(sorted), size);
            llFree(sorted);
            // The literal selection sort drops the nodes without data.
            velk_handle leftover;
            velk_handle selected = selection_sort(b, mode, &leftover);
            Strings with_data;
            for (const auto &n : expected)
                if (model[std::stoi(n.substr(1))].has_data) with_data.push_back(n);
            if (with_data.empty())
                ASSERT_EQ(selected, b);
            else
                ASSERT_EQ(names(selected), with_data) << "mode " << mode << " round " << round;
            llFree(selected);
            llFree(leftover);
        }
    }
    EXPECT_EQ(watch.leaked(), 0);
}

// Lists long enough for runs to merge on several levels: the selection order
// equals a stable sort of the model by the same keys, which is quick to work
// out at any length.
TEST(ListSort, LongListsMatchAStableSortOfTheModel) {
    FailureReset reset;
    BlockWatch watch;
    std::mt19937 random(7);
    for (int mode : {0, 1}) {
        for (int size : {8192 + 77, 300000}) {
            velk_handle a, b;
            std::vector<ModelEntry> model;
            make_random_lists(random, size, mode, &a, &b, &model);
            llFree(b);
            std::stable_partition(model.begin(), model.end(), [](const ModelEntry &e) { return e.has_data; });
            auto with_data_end =
                std::find_if(model.begin(), model.end(), [](const ModelEntry &e) { return !e.has_data; });
            std::stable_sort(model.begin(), with_data_end, [mode](const ModelEntry &x, const ModelEntry &y) {
                return mode == 1 ? x.number < y.number : text_less(x.text, y.text);
            });
            Strings expected;
            for (const auto &e : model)
                expected.push_back(e.name);
            velk_handle sorted = llSort(a, mode);
            ASSERT_EQ(names(sorted), expected) << "mode " << mode << " size " << size;
            llFree(sorted);
        }
    }
    EXPECT_EQ(watch.leaked(), 0);
}
