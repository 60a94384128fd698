// Ordering a list by its entries' data, as text or as numbers.
#pragma once

#include <cstdint>

#include "list/node.h"

namespace velk::list {

// Sort mode 1 orders by the numeric value of the data text (list/number.h);
// every other mode by the data text, byte by byte as unsigned values, a text
// that is the beginning of another coming first.
constexpr std::int32_t kNumericOrder = 1;

// The node with the smallest key from list on, among the nodes that have a
// data block; the earliest of equal keys. *before receives the node just
// before it (null when it is list itself or when there is none).
ListNode *find_smallest(ListNode *list, std::int32_t mode, ListNode **before) noexcept;

// Relinks the chain that starts at list in ascending, stable order and
// returns its new first node. Nodes without a data block (lost by a failed
// update) follow all the others in their original order. A list where no
// node has data comes back unchanged. Allocates nothing.
ListNode *sort(ListNode *list, std::int32_t mode) noexcept;

} // namespace velk::list
