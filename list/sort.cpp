#include "list/sort.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "frame/compiler.h"
#include "list/core.h"
#include "list/number.h"

namespace velk::list {

namespace {

struct TextOrder {
    using Key = std::string_view;
    static Key key(const ListNode *node) noexcept { return data_text(node); }
    // string_view compares as unsigned bytes, the shorter of two texts with
    // the same beginning first.
    static bool less(Key a, Key b) noexcept { return a < b; }
};

struct NumericOrder {
    using Key = double; // never NaN, so < is a strict weak order
    static Key key(const ListNode *node) noexcept { return numeric_value(data_text(node)); }
    static bool less(Key a, Key b) noexcept { return a < b; }
};

template <class Order> ListNode *smallest(ListNode *list, ListNode **before) noexcept {
    ListNode *best = nullptr, *previous = nullptr;
    typename Order::Key best_key{};
    *before = nullptr;
    for (ListNode *node = list; node; previous = node, node = node->next) {
        if (!node->data) continue;
        auto key = Order::key(node);
        if (!best || Order::less(key, best_key)) { // strict: the earliest of equals stays
            best = node;
            best_key = key;
            *before = previous;
        }
    }
    return best;
}

// The sort is a stable merge sort of the chain that allocates nothing. It
// starts with runs of up to kRun nodes, ordered in an array on the stack
// where each key is worked out once. Runs are then merged kWays at a time:
// level i collects runs of kRun * kWays^i nodes until it holds kWays of
// them, which merge into one run of the next level. So every node is visited
// by few merge passes, each of which works out its key once, when the node
// reaches the head of its run. Ties go to the earlier run, so equal keys
// keep their order.
constexpr std::size_t kRun = 256;
constexpr int kWays = 32;
constexpr int kLevels = 12; // kRun * kWays^12 = 2^68 nodes: more than any address space holds

template <class Order> struct Entry {
    typename Order::Key key;
    std::size_t position; // in the list, to break ties in list order
    ListNode *node;
};

// Takes up to kRun nodes from the front of *rest and returns them as an
// ordered chain.
template <class Order> ListNode *take_run(ListNode **rest, Entry<Order> *entries) noexcept {
    std::size_t n = 0;
    for (ListNode *node = *rest; node && n < kRun; node = node->next, ++n)
        entries[n] = {Order::key(node), n, node};
    *rest = entries[n - 1].node->next;
    std::sort(entries, entries + n, [](const Entry<Order> &a, const Entry<Order> &b) {
        if (Order::less(a.key, b.key)) return true;
        if (Order::less(b.key, a.key)) return false;
        return a.position < b.position;
    });
    for (std::size_t i = 0; i + 1 < n; ++i)
        entries[i].node->next = entries[i + 1].node;
    entries[n - 1].node->next = nullptr;
    return entries[0].node;
}

// The head of one run in a merge: its node, its key, and the run's place
// among the runs merged (lower = earlier in the list).
template <class Order> struct Head {
    typename Order::Key key;
    ListNode *node;
    int run;
};

template <class Order> bool goes_first(const Head<Order> &a, const Head<Order> &b) noexcept {
    if (Order::less(a.key, b.key)) return true;
    if (Order::less(b.key, a.key)) return false;
    return a.run < b.run;
}

// Restores the heap order below position i of a min-heap of size heads.
template <class Order> void sift_down(Head<Order> *heap, int size, int i) noexcept {
    Head<Order> moving = heap[i];
    for (;;) {
        int child = 2 * i + 1;
        if (child >= size) break;
        if (child + 1 < size && goes_first(heap[child + 1], heap[child])) ++child;
        if (!goes_first(heap[child], moving)) break;
        heap[i] = heap[child];
        i = child;
    }
    heap[i] = moving;
}

// Asks the processor early for what a run needs a few turns from now: the
// data of the node after this one, and the record after that. Taken one step
// at a time, each node's record has arrived before it is read. (Prefetching
// never faults, so null addresses need no test.)
inline void prefetch_after(const ListNode *node) noexcept {
    if (const ListNode *next = node->next) {
        prefetch(next->data);
        prefetch(next->next);
    }
}

// Merges count (1 to kWays) non-empty ordered chains, the earliest first.
template <class Order> ListNode *merge_runs(ListNode *const *runs, int count) noexcept {
    Head<Order> heap[kWays];
    for (int i = 0; i < count; ++i) {
        prefetch_after(runs[i]);
        heap[i] = {Order::key(runs[i]), runs[i], i};
    }
    for (int i = count / 2 - 1; i >= 0; --i)
        sift_down(heap, count, i);
    ListNode head{};
    ListNode *tail = &head;
    int size = count;
    while (size > 1) {
        Head<Order> &top = heap[0];
        tail = tail->next = top.node;
        if (ListNode *next = top.node->next) {
            prefetch_after(next);
            top.node = next;
            top.key = Order::key(next);
        } else {
            top = heap[--size]; // that run is used up
        }
        sift_down(heap, size, 0);
    }
    tail->next = heap[0].node; // the last run follows as it stands
    return head.next;
}

template <class Order> ListNode *merge_sort(ListNode *chain) noexcept {
    Entry<Order> entries[kRun];
    ListNode *levels[kLevels][kWays];
    int filled[kLevels] = {};
    while (chain) {
        ListNode *run = take_run<Order>(&chain, entries);
        for (int level = 0;; ++level) {
            levels[level][filled[level]++] = run;
            if (filled[level] < kWays) break;
            run = merge_runs<Order>(levels[level], kWays);
            filled[level] = 0;
        }
    }
    // Lower levels hold later nodes: each level's result goes behind the
    // runs of the level above.
    ListNode *carry = nullptr;
    for (int level = 0; level < kLevels; ++level) {
        if (carry) levels[level][filled[level]++] = carry;
        if (filled[level]) carry = merge_runs<Order>(levels[level], filled[level]);
    }
    return carry;
}

} // namespace

ListNode *find_smallest(ListNode *list, std::int32_t mode, ListNode **before) noexcept {
    return mode == kNumericOrder ? smallest<NumericOrder>(list, before) : smallest<TextOrder>(list, before);
}

ListNode *sort(ListNode *list, std::int32_t mode) noexcept {
    // Nodes with data to sort, and nodes without, each in list order.
    ListNode with{}, without{};
    ListNode *with_tail = &with, *without_tail = &without;
    for (ListNode *node = list; node; node = node->next) {
        if (node->data)
            with_tail = with_tail->next = node;
        else
            without_tail = without_tail->next = node;
    }
    if (!with.next) return list; // no key anywhere: the chain is as it was
    with_tail->next = nullptr;
    without_tail->next = nullptr;
    ListNode *sorted =
        mode == kNumericOrder ? merge_sort<NumericOrder>(with.next) : merge_sort<TextOrder>(with.next);
    if (without.next) find_last(sorted)->next = without.next;
    return sorted;
}

} // namespace velk::list
