#include "list/remove.h"

#include "list/core.h"
#include "list/lookup.h"

namespace velk::list {

bool delete_node(ListNode *list, ListNode *node) noexcept {
    if (!list || !node) return false; // no node belongs to the empty list
    if (ListNode *before = find_prev(list, node)) before->next = node->next;
    node->next = nullptr;
    free_chain(node);
    return true;
}

void delete_by_name(ListNode *list, std::string_view name) noexcept {
    if (ListNode *node = find_by_name(list, name)) delete_node(list, node);
}

} // namespace velk::list
