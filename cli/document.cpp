#include "document.h"

#include "positions.h"
#include "text_io.h"
#include "velk_strings.h"

namespace velkxml {

namespace {

// The parser keeps its last message until a failure replaces it. Parsing no
// text sets a known one, read back from the library rather than copied, so a
// failure that leaves it in place is one that made no message of its own
// (text with no complete tag).
std::string set_no_text_message() {
    xmlzParse(nullptr);
    return xmlzLastError();
}

std::string last_parse_error(const std::string &no_text) {
    std::string message = xmlzLastError();
    return message == no_text ? "no complete tag found" : message;
}

} // namespace

bool Document::fail(const std::string &file, const std::string &message) {
    failure_ = file + ": " + message;
    long line, column;
    std::string rest;
    std::size_t offset;
    if (has_bytes_ && split_positioned(message, line, column, rest) &&
        library_offset(bytes_, line, column, offset))
        failure_ = placed_message(file, editor_positions(file_text(), {doctype_.in_file(offset)})[0], rest);
    return false;
}

std::string Document::file_text() const {
    if (!doctype_.found()) return bytes_;
    std::string text = bytes_;
    text.insert(doctype_.at, doctype_.bytes);
    return text;
}

velk::check::StrictReport Document::scan(bool tell_doctype) const {
    using velk::check::Finding;
    velk::check::StrictReport found = velk::check::strict_scan(bytes_, nullptr, {doctype_.found()});
    if (!doctype_.found()) return found;
    for (Finding &f : found.findings)
        if (f.placed) f.offset = doctype_.in_file(f.offset);
    if (tell_doctype) {
        // Before the first finding that comes later in the file (findings
        // are in order of their offsets, an unplaced one last).
        auto at = found.findings.begin();
        while (at != found.findings.end() && at->placed && at->offset < doctype_.declaration_at)
            ++at;
        found.findings.insert(at,
                              Finding{doctype_.declaration_at, true, true,
                                      "document type declaration set aside: the library does not read its "
                                      "declarations; the rest of the document is checked without it"});
    }
    return found;
}

void Document::drop_bytes() {
    bytes_.clear();
    bytes_.shrink_to_fit();
    has_bytes_ = false;
}

bool Document::read(const std::string &file) {
    std::string error;
    if (file == kStdinName) {
        if (!read_all(in_, bytes_, error)) return fail(file, "cannot read standard input: " + error);
        has_bytes_ = true;
        if (bytes_.empty()) return fail(file, "standard input is empty");
    } else {
        if (is_folder(file)) return fail(file, "is a folder, not a file");
        if (!read_file(file, bytes_, error)) return fail(file, "cannot read: " + error);
        has_bytes_ = true;
    }
    doctype_ = set_doctype_aside(bytes_);
    return true;
}

bool Document::parse(const std::string &file) {
    const std::string no_text = set_no_text_message();
    // Standard input, and a file whose declaration was set aside, are parsed
    // from the text at hand.
    if (file == kStdinName || doctype_.found()) {
        velk_bstr text = velk_strings::make_string(bytes_);
        root_ = xmlParse(&text);
        velk_strings::free_string(text);
        return root_ || fail(file, last_parse_error(no_text));
    }
    root_ = xmlzParseFile(file.c_str());
    if (root_) return true;
    std::string message = last_parse_error(no_text);
    // Without the text at hand, it is read again only to place the library's
    // position.
    std::string error;
    if (!has_bytes_) {
        has_bytes_ = !message.empty() && message[0] == '(' && read_file(file, bytes_, error);
        if (has_bytes_) doctype_ = set_doctype_aside(bytes_);
    }
    return fail(file, message);
}

bool Document::load(const std::string &file, bool keep_bytes) {
    if (file == kStdinName) {
        if (!read(file) || !parse(file)) return false;
    } else {
        std::string error;
        if (is_folder(file)) return fail(file, "is a folder, not a file");
        if (!readable_or_missing(file, error)) return fail(file, "cannot read: " + error);
        // A missing file is told by the library's own message, in parse().
        if (read_file(file, bytes_, error)) {
            has_bytes_ = true;
            doctype_ = set_doctype_aside(bytes_);
        }
        if (!parse(file)) return false;
    }
    if (!keep_bytes) drop_bytes();
    return true;
}

} // namespace velkxml
