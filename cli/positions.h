// Places in a text as editors count them (check/editor_positions.h). The
// library's messages count differently (a line for every carriage return after the
// first "<", columns from that "<" on the first line), so its positions are
// turned back into byte offsets first.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "check/editor_positions.h"

namespace velkxml {

using velk::check::editor_positions;
using velk::check::Position;

// A library message "(LINE:COL) text" split into its position and its text;
// false for a message without that prefix.
bool split_positioned(std::string_view message, long &line, long &column, std::string &text);

// The byte offset that the library's (line:column) names in the text it
// parsed; false when the text has no such place.
bool library_offset(std::string_view text, long line, long column, std::size_t &offset);

// "FILE:LINE:COL: text": a message placed in a file.
std::string placed_message(const std::string &file, Position at, std::string_view text);

// "FILE:LINE:COL: text" for a library message that carries a place in the
// text, "FILE: message" for any other.
std::string located_message(const std::string &file, std::string_view text, const std::string &message);

} // namespace velkxml
