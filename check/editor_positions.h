// Places in a text as editors count them: LINE counts LF, CR LF and a lone CR
// each as one line end, and COLUMN is the byte column from 1.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace velk::check {

struct Position {
    long line = 0;
    long column = 0;
};

// Editor positions of byte offsets given in ascending order, in one pass.
std::vector<Position> editor_positions(std::string_view text, const std::vector<std::size_t> &offsets);

} // namespace velk::check
