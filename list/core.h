// Appending, walking and releasing named lists.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/text.h"
#include "list/node.h"

namespace velk::list {

// Name normalisation: A-Z and the seven code-page-437 capitals lowered, then
// leading and trailing blanks (0x20 only) removed.
std::string normalise_name(std::string_view name);
// True when text equals the lowered form of key, byte for byte and in length.
// With a key trimmed once, this matches a stored name or a data text against
// the normalised key without making a copy of it.
bool equals_lowered(std::string_view text, std::string_view key) noexcept;
// Stores the normalised name as a stored text (null when empty or when no
// block can be had).
char *store_name(std::string_view name) noexcept;

// A data block for the given form; null when it cannot be had.
char *make_data_block(std::string_view data, DataForm form) noexcept;

// Appends a new node behind the last node of the chain that starts at list
// (a new one-node list when list is null). Returns the new node, or null when
// memory ran out (the list is then unchanged).
ListNode *add(ListNode *list, std::string_view name, std::string_view data, DataForm form) noexcept;

std::int32_t count(const ListNode *node) noexcept;
ListNode *find_last(ListNode *node) noexcept;
ListNode *get_by_number(ListNode *node, std::int32_t position) noexcept;
ListNode *find_prev(ListNode *list, const ListNode *node) noexcept;
void move_first(ListNode *list, ListNode *node, ListNode *before) noexcept;
// Releases every node from this one to the end of the chain.
void free_chain(ListNode *node) noexcept;

// Builds a new list entry by entry, each appended in constant time, and
// releases what it built unless the list is handed out: a half-built list
// never leaks and never leaves.
class ListBuilder {
  public:
    ListBuilder() = default;
    ~ListBuilder();
    ListBuilder(const ListBuilder &) = delete;
    ListBuilder &operator=(const ListBuilder &) = delete;

    // Appends an entry as add() does. False when memory ran out: the entry is
    // then missing, or (as add() keeps it) there without its name. Padded:
    // 16 bytes may be read from where the name and the data begin.
    bool add(std::string_view name, std::string_view data, DataForm form, bool padded = false) noexcept;
    // The entry appended last; null before the first.
    ListNode *last() const { return tail_; }
    // Hands the list to the caller; null when no entry was added.
    ListNode *release() noexcept;
    // Frees the entries added so far.
    void clear() noexcept;

  private:
    ListNode *head_ = nullptr;
    ListNode *tail_ = nullptr;
};

} // namespace velk::list
