// The sizes of the memory blocks a parsed tree holds (records and texts), in
// the order the parser made them.
#pragma once

#include <cstdint>
#include <vector>

std::vector<std::uint32_t> tree_block_sizes(std::uintptr_t root);
