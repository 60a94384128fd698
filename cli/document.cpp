#include "document.h"

#include "positions.h"
#include "text_io.h"
#include "velk_strings.h"

namespace velkxml {

namespace {

// The parser keeps its last message until a failure replaces it. Parsing no
// text sets a known one, so a failure that leaves it in place is one that made
// no message of its own (text with no complete tag).
const char kNoTextMessage[] = "Empty xml send to xml parser";

std::string last_parse_error() {
    std::string message = xmlzLastError();
    return message == kNoTextMessage ? "no complete tag found" : message;
}

} // namespace

bool Document::fail(const std::string &file, const std::string &message) {
    failure_ = has_bytes_ ? located_message(file, bytes_, message) : file + ": " + message;
    return false;
}

bool Document::load(const std::string &file, bool keep_bytes) {
    std::string error;
    xmlzParse(nullptr);
    if (file == kStdinName) {
        if (!read_all(stdin, bytes_, error)) return fail(file, "cannot read standard input: " + error);
        has_bytes_ = true;
        if (bytes_.empty()) return fail(file, "standard input is empty");
        velk_bstr text = velk_strings::make_string(bytes_);
        root_ = xmlParse(&text);
        velk_strings::free_string(text);
        if (!root_) return fail(file, last_parse_error());
        if (!keep_bytes) {
            bytes_.clear();
            bytes_.shrink_to_fit();
            has_bytes_ = false;
        }
        return true;
    }
    if (is_folder(file)) return fail(file, "is a folder, not a file");
    if (!readable_or_missing(file, error)) return fail(file, "cannot read: " + error);
    root_ = xmlzParseFile(file.c_str());
    if (!root_) {
        std::string message = last_parse_error();
        // The text is read again only to place the library's position.
        has_bytes_ = !message.empty() && message[0] == '(' && read_file(file, bytes_, error);
        return fail(file, message);
    }
    if (keep_bytes) {
        if (!read_file(file, bytes_, error)) return fail(file, "cannot read: " + error);
        has_bytes_ = true;
    }
    return true;
}

} // namespace velkxml
