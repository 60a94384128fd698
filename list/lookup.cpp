#include "list/lookup.h"

#include <cstdint>

#include "frame/memory.h"
#include "list/core.h"

namespace velk::list {

ListNode *find_by_name(ListNode *list, std::string_view name) noexcept {
    std::string_view key = trim_blanks(name);
    if (key.empty()) return nullptr; // empty names are never stored
    for (ListNode *node = list; node; node = node->next)
        if (node->name && equals_lowered(text_read(node->name), key)) return node;
    return nullptr;
}

ListNode *find_by_data(ListNode *list, std::string_view data) noexcept {
    std::string_view key = trim_blanks(data);
    for (ListNode *node = list; node; node = node->next)
        if (equals_lowered(data_text(node), key)) return node;
    return nullptr;
}

void update(ListNode *node, std::string_view data, DataForm form) noexcept {
    if (!node) return;
    mem_free(node->data);
    node->data = nullptr;
    node->capacity = 0;
    if (data.size() > INT32_MAX) return; // more than a capacity can count
    node->data = make_data_block(data, form);
    if (node->data) node->capacity = static_cast<std::int32_t>(data.size());
}

ListNode *update_by_name(ListNode *list, std::string_view name, std::string_view data,
                         DataForm form) noexcept {
    if (ListNode *node = find_by_name(list, name)) {
        update(node, data, form);
        return node;
    }
    return add(list, name, data, form);
}

} // namespace velk::list
