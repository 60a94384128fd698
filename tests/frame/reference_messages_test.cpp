// The reference (api/velk_xml.h) lists, for each call, the messages it can
// leave, one to a line between double quotes. These tests hold those lines to
// the catalogue (frame/messages.h), in both directions, so that a message
// changed in either place shows here.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "frame/messages.h"

namespace {

// The header's text, read from the sources.
std::string reference() {
    std::ifstream in(VELK_SOURCE_FROM_TESTS "/api/velk_xml.h", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_GT(text.str().size(), 10000u) << "api/velk_xml.h was not read";
    return text.str();
}

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    const std::size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// The message of each line that lists one: a comment line that begins with
// " *", three blanks and a double quote (deeper lines are examples). The
// message runs to the next double quote.
std::vector<std::string> listed_messages(std::string_view header) {
    std::vector<std::string> found;
    std::size_t start = 0;
    while (start < header.size()) {
        std::size_t end = header.find('\n', start);
        if (end == std::string_view::npos) end = header.size();
        const std::string_view line = header.substr(start, end - start);
        start = end + 1;
        if (line.substr(0, 6) != " *   \"") continue;
        const std::size_t close = line.find('"', 6);
        if (close != std::string_view::npos) found.emplace_back(line.substr(6, close - 6));
    }
    return found;
}

// Every text the library leaves, made by the catalogue with the words that
// the reference writes for what is filled in: FILE for a file name, N for a
// file error number, (L:C) for the parser's place, and X, NAME, D, TAG and
// OPEN for the parser's byte, attribute name, byte code and tags.
std::set<std::string> catalogue() {
    using namespace velk::messages;
    const std::string kFile = "FILE";
    auto n = [](std::string text) { return replaced(std::move(text), "4321", "N"); };
    auto placed = [](std::string_view message) {
        return replaced(at_position(8765, 4321, message), "(8765:4321)", "(L:C)");
    };
    const auto tree = FileWriter::tree_to_file, node = FileWriter::node_to_file;
    return {
        // The parser and the bridge.
        std::string(kEmptyXml),
        std::string(kNoStartingTag),
        placed(kEmptyTagName),
        placed(kInvalidTagNameCharacter),
        placed(invalid_attribute_name_character('X')),
        placed(invalid_attribute_name_character_2('X')),
        placed(kDoubleEquals),
        placed(kNoEquals),
        placed(no_attribute_value("NAME")),
        placed(replaced(invalid_before_attribute_value("NAME", 200), "200", "D")),
        placed(too_many_end_tags("/TAG")),
        placed(nesting_error("OPEN", "TAG")),
        placed(kOutOfMemory),
        std::string(kOutOfMemory),
        std::string(kListNodeNotFound),
        // XML files.
        cannot_locate_xml_file(kFile),
        n(error_opening_xml_file(kFile, 4321)),
        xml_file_is_empty(kFile),
        n(error_reading_xml_file(kFile, 4321)),
        output_file_exists(kFile),
        std::string(kOutputFileCannotBeDeleted),
        n(unable_to_open_output_file(tree, kFile, 4321)),
        n(error_writing_output_file(tree, kFile, 4321)),
        file_already_exists(kFile),
        n(unable_to_open_output_file(node, kFile, 4321)),
        n(error_writing_output_file(node, kFile, 4321)),
        // List files.
        list_file_exists(kFile),
        n(unable_to_create_list_file(kFile, 4321)),
        error_writing_list_file(kFile),
        list_file_does_not_exist(kFile),
        n(unable_to_open_list_file(kFile, 4321)),
        n(error_reading_list_file(kFile, 4321)),
        not_a_list_file(kFile),
    };
}

TEST(ReferenceMessages, EveryListedMessageIsOneTheCatalogueMakes) {
    const std::set<std::string> made = catalogue();
    for (const std::string &listed : listed_messages(reference()))
        EXPECT_TRUE(made.count(listed))
            << "api/velk_xml.h lists \"" << listed << "\", which the catalogue does not make";
}

TEST(ReferenceMessages, EveryMessageOfTheCatalogueIsListed) {
    const std::vector<std::string> listed = listed_messages(reference());
    const std::set<std::string> in_reference(listed.begin(), listed.end());
    for (const std::string &made : catalogue())
        EXPECT_TRUE(in_reference.count(made)) << "api/velk_xml.h lists no \"" << made << "\"";
}

TEST(ReferenceMessages, ListedLinesAreFoundAsTheReferenceWritesThem) {
    const std::string header = " * messages:\n"
                               " *   \"File FILE is empty.\"\n"
                               " *   \"(L:C) Empty tag name specified\"   a blank after \"<\"\n"
                               " * a \"quoted\" word in prose\n"
                               " *     \"<a>\" gives \"(1:3) example\"\n"
                               " *         printf(\"%s\", text);\n"
                               "const char *x = \"code\";\n";
    EXPECT_EQ(listed_messages(header),
              (std::vector<std::string>{"File FILE is empty.", "(L:C) Empty tag name specified"}));
}

} // namespace
