// The structure of a document at a glance: the paths of its elements from
// the top, each with the number of elements on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "velk_xml.h"

namespace velkxml {

// The most bytes the paths of element_paths() hold together: each level of
// nesting adds a longer path, so a deep document's paths grow with the square
// of its depth, past what memory holds.
constexpr std::uint64_t kMaxPathBytes = 0xFFFFFFFEu;

// Each distinct element path from the top ("/catalog/book/title") with the
// number of elements on it, in the order each path first occurs in the
// document (its first node's handle; the top-level nodes are it and its
// following siblings). Only elements count; an element with an empty tag
// adds an empty step ("/a/"). Throws std::length_error when the paths
// would pass kMaxPathBytes.
std::vector<std::pair<std::string, std::size_t>> element_paths(velk_handle document);

} // namespace velkxml
