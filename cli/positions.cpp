#include "positions.h"

#include <cstring>

#include "xml/position.h"

namespace velkxml {

namespace {

// A decimal number of at most nine digits at s[i]; false when there is none.
bool read_number(std::string_view s, std::size_t &i, long &value) {
    std::size_t start = i;
    value = 0;
    while (i < s.size() && i - start < 9 && s[i] >= '0' && s[i] <= '9')
        value = value * 10 + (s[i++] - '0');
    return i > start;
}

} // namespace

bool split_positioned(std::string_view message, long &line, long &column, std::string &text) {
    std::size_t i = 1;
    if (message.empty() || message[0] != '(' || !read_number(message, i, line)) return false;
    if (i >= message.size() || message[i++] != ':' || !read_number(message, i, column)) return false;
    if (message.substr(i, 2) != ") ") return false;
    text = message.substr(i + 2);
    return true;
}

bool library_offset(std::string_view text, long line, long column, std::size_t &offset) {
    const void *lt = std::memchr(text.data(), '<', text.size());
    if (!lt || column < 0) return false;
    const auto origin = static_cast<std::size_t>(static_cast<const char *>(lt) - text.data());
    return velk::xml::message_offset(text, origin, {line, static_cast<std::size_t>(column)}, &offset);
}

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

std::string placed_message(const std::string &file, Position at, std::string_view text) {
    return file + ":" + std::to_string(at.line) + ":" + std::to_string(at.column) + ": " + std::string(text);
}

std::string located_message(const std::string &file, std::string_view text, const std::string &message) {
    long line, column;
    std::string rest;
    std::size_t offset;
    if (!split_positioned(message, line, column, rest) || !library_offset(text, line, column, offset))
        return file + ": " + message;
    return placed_message(file, editor_positions(text, {offset})[0], rest);
}

} // namespace velkxml
