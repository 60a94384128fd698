// The list node record. A list is the handle of its first node; 0 is the
// empty list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "frame/memory.h"

namespace velk::list {

struct ListNode {
    char *data;            // data block: bytes (+ NUL for the plain face); 0 after a failed update
    char *name;            // normalised name as a stored text; 0 when empty
    std::int32_t capacity; // data bytes stored, without the plain face's NUL
    ListNode *next;        // following node; 0 for the last
};

inline ListNode *as_node(std::uintptr_t handle) noexcept { return reinterpret_cast<ListNode *>(handle); }
inline std::uintptr_t as_handle(const ListNode *node) noexcept {
    return reinterpret_cast<std::uintptr_t>(node);
}

// How an entry's data is stored: as text (the bytes and a NUL behind them) or
// raw (exactly the bytes, the b face).
enum class DataForm { text, raw };

// The readers below are inline: saving and searching a list call them once
// or twice per entry.

// The node's data read as text: the bytes before the first NUL, never more
// than capacity bytes; "" when the node has no data block.
inline std::string_view data_text(const ListNode *node) noexcept {
    if (!node || !node->data || node->capacity <= 0) return {};
    return {node->data, block_text_length(node->data, static_cast<std::size_t>(node->capacity))};
}
// Exactly capacity bytes of the data block.
inline std::string_view data_bytes(const ListNode *node) noexcept {
    if (!node || !node->data || node->capacity <= 0) return {};
    return {node->data, static_cast<std::size_t>(node->capacity)};
}
// The stored (normalised) name; "" when the node has none.
inline std::string_view name_text(const ListNode *node) noexcept {
    return node ? text_read(node->name) : std::string_view();
}

} // namespace velk::list
