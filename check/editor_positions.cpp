#include "check/editor_positions.h"

namespace velk::check {

std::vector<Position> editor_positions(std::string_view text, const std::vector<std::size_t> &offsets) {
    std::vector<Position> out;
    out.reserve(offsets.size());
    long line = 1;
    std::size_t line_start = 0, i = 0;
    for (std::size_t offset : offsets) {
        for (; i < offset && i < text.size(); ++i) {
            char c = text[i];
            if (c == '\n' || (c == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
                ++line;
                line_start = i + 1;
            }
        }
        out.push_back({line, static_cast<long>(offset - line_start) + 1});
    }
    return out;
}

} // namespace velk::check
