#include "list/sort.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

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
// where each key is worked out once, and merges them in bins: bin i holds a
// run of 2^i runs or nothing, like the digits of a binary counter. A merge
// works out a node's key once, when the node reaches the head of its run.
// The earlier run is always the left one and wins ties, so equal keys keep
// their order.
constexpr std::size_t kRun = 256;
constexpr int kBins = 64; // 2^64 runs: more nodes than any address space holds

// Merges two non-empty ordered chains; a holds the earlier nodes.
template <class Order> ListNode *merge(ListNode *a, ListNode *b) noexcept {
    ListNode head{};
    ListNode *tail = &head;
    auto key_a = Order::key(a), key_b = Order::key(b);
    for (;;) {
        if (Order::less(key_b, key_a)) {
            tail = tail->next = b;
            if (!(b = b->next)) {
                tail->next = a;
                break;
            }
            key_b = Order::key(b);
        } else {
            tail = tail->next = a;
            if (!(a = a->next)) {
                tail->next = b;
                break;
            }
            key_a = Order::key(a);
        }
    }
    return head.next;
}

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
    for (std::size_t i = 0; i + 1 < n; ++i) entries[i].node->next = entries[i + 1].node;
    entries[n - 1].node->next = nullptr;
    return entries[0].node;
}

template <class Order> ListNode *merge_sort(ListNode *chain) noexcept {
    Entry<Order> entries[kRun];
    ListNode *bins[kBins] = {};
    while (chain) {
        ListNode *carry = take_run<Order>(&chain, entries);
        int i = 0;
        for (; bins[i]; ++i) {
            carry = merge<Order>(bins[i], carry);
            bins[i] = nullptr;
        }
        bins[i] = carry;
    }
    // Higher bins hold earlier nodes.
    ListNode *sorted = nullptr;
    for (ListNode *bin : bins)
        if (bin) sorted = sorted ? merge<Order>(bin, sorted) : bin;
    return sorted;
}

} // namespace

ListNode *find_smallest(ListNode *list, std::int32_t mode, ListNode **before) noexcept {
    return mode == kNumericOrder ? smallest<NumericOrder>(list, before)
                                 : smallest<TextOrder>(list, before);
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
    ListNode *sorted = mode == kNumericOrder ? merge_sort<NumericOrder>(with.next)
                                             : merge_sort<TextOrder>(with.next);
    if (without.next) find_last(sorted)->next = without.next;
    return sorted;
}

} // namespace velk::list
