// Lists as keyed stores: lookup by name or data, and replacing data.
#pragma once

#include <string_view>

#include "list/node.h"

namespace velk::list {

// The first node from list on whose stored name equals the normalised name;
// null when none (always for an empty or blank name).
ListNode *find_by_name(ListNode *list, std::string_view name) noexcept;
// The first node from list on whose data text equals the normalised data.
// Only the key is normalised, never the stored data.
ListNode *find_by_data(ListNode *list, std::string_view data) noexcept;
// Replaces the node's data block with a new one holding data in the given
// form. When no block can be had the node keeps no data and capacity 0.
void update(ListNode *node, std::string_view data, DataForm form) noexcept;
// Updates the first node of that name, or appends a new one when there is
// none. Returns the node, or null when the add failed.
ListNode *update_by_name(ListNode *list, std::string_view name, std::string_view data,
                         DataForm form) noexcept;

} // namespace velk::list
