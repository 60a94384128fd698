#include "frame/messages.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

namespace velk::messages {

namespace {

std::string join(std::initializer_list<std::string_view> parts) {
    std::size_t size = 0;
    for (std::string_view part : parts)
        size += part.size();
    std::string text;
    text.reserve(size);
    for (std::string_view part : parts)
        text.append(part);
    return text;
}

std::string_view err_equals(FileWriter writer) {
    return writer == FileWriter::tree_to_file ? "', err=" : "' err=";
}

} // namespace

std::string at_position(long line, std::size_t column, std::string_view message) {
    return join({"(", std::to_string(line), ":", std::to_string(column), ") ", message});
}

std::string_view at_position_in(char *room, std::size_t size, long line, std::size_t column,
                                std::string_view message) noexcept {
    const int n = std::snprintf(room, size, "(%ld:%zu) %.*s", line, column, static_cast<int>(message.size()),
                                message.data());
    return {room, n < 0 ? 0 : std::min(static_cast<std::size_t>(n), size - 1)};
}

std::string invalid_attribute_name_character(char c) {
    return join({"Invalid character found in attribute name: ", {&c, 1}});
}

std::string invalid_attribute_name_character_2(char c) {
    return join({"Invalid character found in attribute name (2): ", {&c, 1}});
}

std::string no_attribute_value(std::string_view attribute) {
    return join({"No value specified for attribute '", attribute, "'"});
}

std::string invalid_before_attribute_value(std::string_view attribute, unsigned char c) {
    return join({"Attribute invalid character before attribute value. Attrib=", attribute,
                 " currentChar=", std::to_string(c)});
}

std::string too_many_end_tags(std::string_view end_tag) {
    return join({"Too many end tags found. Last was ", end_tag});
}

std::string nesting_error(std::string_view expected, std::string_view found) {
    return join({"Nesting error. Expecing end tag=", expected, ", but found ", found});
}

std::string cannot_locate_xml_file(std::string_view file) { return join({"Cannot locate xml file ", file}); }

std::string error_opening_xml_file(std::string_view file, int number) {
    return join({"Error opening xml file ", file, " error=", std::to_string(number)});
}

std::string xml_file_is_empty(std::string_view file) { return join({"File ", file, " is empty."}); }

std::string error_reading_xml_file(std::string_view file, int number) {
    return join({"Error reading xml file ", file, " error=", std::to_string(number)});
}

std::string unable_to_open_output_file(FileWriter writer, std::string_view file, int number) {
    return join({"Unable to open output file '", file, err_equals(writer), std::to_string(number)});
}

std::string error_writing_output_file(FileWriter writer, std::string_view file, int number) {
    return join({"Error writing output file '", file, err_equals(writer), std::to_string(number)});
}

std::string output_file_exists(std::string_view file) { return join({"Output file exists: ", file}); }

std::string file_already_exists(std::string_view file) { return join({"File '", file, "' already exists."}); }

std::string list_file_exists(std::string_view file) {
    return join({"Unable to save linked list. File ", file, " already exists."});
}

std::string unable_to_create_list_file(std::string_view file, int number) {
    return join({"Unable to create save file ", file, "Error = ", std::to_string(number)});
}

std::string error_writing_list_file(std::string_view file) {
    return join({"i/o error writing to file ", file});
}

std::string list_file_does_not_exist(std::string_view file) {
    return join({"Input file '", file, "' doesn't exist."});
}

std::string unable_to_open_list_file(std::string_view file, int number) {
    return join({"Unable to open file ", file, " Error = ", std::to_string(number)});
}

std::string error_reading_list_file(std::string_view file, int number) {
    return join({"Error reading input file ", file, " Error = ", std::to_string(number)});
}

std::string not_a_list_file(std::string_view file) {
    return join({"File ", file, " doesn't contain a properly formatted linked list."});
}

} // namespace velk::messages
