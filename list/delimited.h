// Splitting delimited text into a numbered list.
#pragma once

#include <string_view>

#include "list/node.h"

namespace velk::list {

// A new list with one entry per non-empty piece of text between delimiter
// bytes (the first byte of delimiter; an empty delimiter splits nowhere). The
// entries are named 1, 2, 3 ... and hold their piece as it stands. Null when
// the text has no piece, and null when memory ran out: a list with an entry
// missing is never returned.
ListNode *delim_to_list(std::string_view text, std::string_view delimiter) noexcept;

} // namespace velk::list
