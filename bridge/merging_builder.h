// Builds a list entry by entry the way llAdd and llUpdateByName would (the
// first pair starts the list, a later pair updates the first entry of its
// normalised name or is appended), in time linear in the number of entries:
// the list core's builder appends in constant time, and an index by name
// finds the entry a pair updates.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "list/core.h"

namespace velk::bridge {

class MergingBuilder {
  public:
    // False when a block could not be had; the entry is then not (fully)
    // stored and the list built so far should be given up. May throw
    // std::bad_alloc.
    bool put(std::string_view name, std::string_view data);
    // Hands the list to the caller; null when no entry was put.
    list::ListNode *release();

  private:
    list::ListBuilder list_;
    std::unordered_map<std::string, list::ListNode *> by_name_;
};

} // namespace velk::bridge
