// The strict scan's findings told as lines for standard error, each placed
// as editors count (positions.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "check/strict_scan.h"

namespace velkxml {

using velk::check::Finding;
using velk::check::StrictReport;

// Every finding of the scan of text, in the scan's order: "FILE:LINE:COL:
// text" for a placed one, "FILE: text" for one about the whole text, then
// the scan's "FILE: N more ..." lines. None for a clean text.
std::vector<std::string> finding_lines(const std::string &file, std::string_view text,
                                       const StrictReport &found);

// One line that tells the most telling finding: the first that makes the
// text not well-formed, or, when every finding is one of the library's
// limits, the first of those; placed as finding_lines() places it and
// followed by what it means for what a command shows. "" for a clean text.
std::string warning_line(const std::string &file, std::string_view text, const StrictReport &found);

} // namespace velkxml
