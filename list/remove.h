// Removing single entries from a list.
#pragma once

#include <string_view>

#include "list/node.h"

namespace velk::list {

// Unlinks node from the chain that starts at list and releases it with its
// data and name. Deleting the list's first node releases the node the caller
// holds as the list handle; the list then begins at the node that followed.
// Returns false, and does nothing, when list or node is null.
bool delete_node(ListNode *list, ListNode *node) noexcept;
// Deletes the first node of that name, when there is one.
void delete_by_name(ListNode *list, std::string_view name) noexcept;

} // namespace velk::list
