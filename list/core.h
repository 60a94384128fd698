// Appending, walking and releasing named lists.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "list/node.h"

namespace velk::list {

// Name normalisation: A-Z and the seven code-page-437 capitals lowered, then
// leading and trailing blanks (0x20 only) removed.
std::string normalise_name(std::string_view name);
// The name without leading and trailing blanks (0x20 only).
std::string_view trim_blanks(std::string_view name) noexcept;
// True when text equals the lowered form of key, byte for byte and in length.
// With a key trimmed once, this matches a stored name or a data text against
// the normalised key without making a copy of it.
bool equals_lowered(std::string_view text, std::string_view key) noexcept;
// Stores the normalised name as a stored text (null when empty or when no
// block can be had).
char *store_name(std::string_view name);

// A data block for the given form; null when it cannot be had.
char *make_data_block(std::string_view data, DataForm form);

// Appends a new node behind the last node of the chain that starts at list
// (a new one-node list when list is null). Returns the new node, or null when
// memory ran out (the list is then unchanged).
ListNode *add(ListNode *list, std::string_view name, std::string_view data, DataForm form);

std::int32_t count(const ListNode *node);
ListNode *find_last(ListNode *node);
ListNode *get_by_number(ListNode *node, std::int32_t position);
ListNode *find_prev(ListNode *list, const ListNode *node);
void move_first(ListNode *list, ListNode *node, ListNode *before);
// Releases every node from this one to the end of the chain.
void free_chain(ListNode *node);

} // namespace velk::list
