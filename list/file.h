// List files: the signature "LINKED_LIST_TYPE", then per entry a 32-bit
// little-endian name length, the name, a data length and the data, then the
// end marker -1.
#pragma once

#include <string_view>

#include "list/node.h"

namespace velk::list {

// Saves the chain from list on into a new file, written whole before it takes
// its name (see files::NewFile), never in the place of a file, not even one
// made meanwhile. False (with the list family's error text set) on failure.
bool save_to_file(const ListNode *list, std::string_view file);

// Loads a list file into a new list; null on failure (error text set) and
// for a file without entries (error text untouched).
ListNode *load_from_file(std::string_view file);

} // namespace velk::list
