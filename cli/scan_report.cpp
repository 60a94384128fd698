#include "scan_report.h"

#include <algorithm>

#include "positions.h"

namespace velkxml {

namespace {

std::string finding_line(const std::string &file, const Finding &f, const Position &at) {
    return f.placed ? placed_message(file, at, f.text) : file + ": " + f.text;
}

} // namespace

std::vector<std::string> finding_lines(const std::string &file, std::string_view text,
                                       const StrictReport &found) {
    std::vector<std::size_t> offsets;
    for (const Finding &f : found.findings)
        if (f.placed) offsets.push_back(f.offset);
    const std::vector<Position> places = editor_positions(text, offsets);
    std::vector<std::string> lines;
    std::size_t next = 0;
    for (const Finding &f : found.findings)
        lines.push_back(finding_line(file, f, f.placed ? places[next++] : Position{}));
    for (const std::string &more : found.more)
        lines.push_back(file + ": " + more);
    return lines;
}

std::string warning_line(const std::string &file, std::string_view text, const StrictReport &found) {
    if (found.clean()) return "";
    auto fault =
        std::find_if(found.findings.begin(), found.findings.end(), [](const Finding &f) { return !f.limit; });
    const Finding &f = fault != found.findings.end() ? *fault : found.findings.front();
    const Position at = f.placed ? editor_positions(text, {f.offset})[0] : Position{};
    return finding_line(file, f, at) + (f.limit
                                            ? " (beyond the library's limits; shown as the library reads it)"
                                            : " (not well-formed XML; shown as the library reads it)");
}

} // namespace velkxml
