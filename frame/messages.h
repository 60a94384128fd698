// Every text the library leaves in a last-error text, in one place: the fixed
// ones as constants, the ones with parameters (file names, file error
// numbers, positions) as formatters.
//
// Callers match these texts byte for byte, so they stay exactly as they are,
// spelling, spacing and punctuation included: "Expecing", "send to", the
// missing blank in "...save file NAMEError = 5", the two wordings of "err=".
// Do not correct them. A change here is a change every caller sees; the test
// that quotes the text changes with it, and so does the reference, whose
// lists of messages tests/frame/reference_messages_test.cpp holds to these
// texts (a message added here is added to that test's catalogue too).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velk::messages {

// Any function that runs out of memory (parser, list form, attribute lists).
constexpr std::string_view kOutOfMemory = "Out of memory";

// The parser. Its messages after the first "<" carry the position of the
// fault in front: at_position(line, column, message).
constexpr std::string_view kEmptyXml = "Empty xml send to xml parser";
constexpr std::string_view kNoStartingTag = "No starting tag found";
constexpr std::string_view kEmptyTagName = "Empty tag name specified";
constexpr std::string_view kInvalidTagNameCharacter = "Invalid character found in tag name";
constexpr std::string_view kDoubleEquals = "Double equals sign found in attribute";
constexpr std::string_view kNoEquals = "No equals sign found in attribute";
std::string at_position(long line, std::size_t column, std::string_view message);
// The same text made in the caller's room, without a block of memory, for a
// message given when memory ran out; cut to the room.
std::string_view at_position_in(char *room, std::size_t size, long line, std::size_t column,
                                std::string_view message) noexcept;
// Between attributes, and inside an attribute's name ("(2)").
std::string invalid_attribute_name_character(char c);
std::string invalid_attribute_name_character_2(char c);
std::string no_attribute_value(std::string_view attribute);
// The byte is shown as its decimal number.
std::string invalid_before_attribute_value(std::string_view attribute, unsigned char c);
std::string too_many_end_tags(std::string_view end_tag);
std::string nesting_error(std::string_view expected, std::string_view found);

// Parsing a file (the number is a file error number, frame/codes.h).
std::string cannot_locate_xml_file(std::string_view file);
std::string error_opening_xml_file(std::string_view file, int number);
std::string xml_file_is_empty(std::string_view file);
std::string error_reading_xml_file(std::string_view file, int number);

// Writing a tree to a file. The two writers word the number differently:
// xmlTreeToFile "', err=5", xmlNodeToFile "' err=5".
enum class FileWriter { tree_to_file, node_to_file };
std::string unable_to_open_output_file(FileWriter writer, std::string_view file, int number);
std::string error_writing_output_file(FileWriter writer, std::string_view file, int number);
std::string output_file_exists(std::string_view file);
constexpr std::string_view kOutputFileCannotBeDeleted = "Output file exists and cannot be deleted.";
std::string file_already_exists(std::string_view file);

// Lists in XML.
constexpr std::string_view kListNodeNotFound = "List node not found in xml";

// List files (in the list family's last-error text).
std::string list_file_exists(std::string_view file);
std::string unable_to_create_list_file(std::string_view file, int number);
std::string error_writing_list_file(std::string_view file);
std::string list_file_does_not_exist(std::string_view file);
std::string unable_to_open_list_file(std::string_view file, int number);
std::string error_reading_list_file(std::string_view file, int number);
std::string not_a_list_file(std::string_view file);

} // namespace velk::messages
