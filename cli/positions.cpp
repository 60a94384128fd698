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
