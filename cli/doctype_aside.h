// Documents with a document type declaration: the parser does not read one,
// so the tool takes it out of the text, hands the library the rest, and puts
// it back, byte for byte, where it writes the document.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velkxml {

struct SetAside {
    // Where the cut begins in the file's text: the blanks before the
    // declaration, then the declaration itself (and the blanks after it when
    // nothing comes before it); npos when nothing was cut.
    std::size_t at = std::string_view::npos;
    std::size_t length = 0;
    // The cut bytes (blanks and declaration), as written.
    std::string bytes;
    // The offset of the declaration's "<" in the file's text.
    std::size_t declaration_at = 0;
    // The comments and instructions (the XML declaration among them) before
    // the declaration: the top-level nodes it is written back after.
    int markup_before = 0;

    bool found() const { return at != std::string_view::npos; }
    // An offset in the text without the cut as an offset in the file's text.
    std::size_t in_file(std::size_t offset) const {
        return found() && offset >= at ? offset + length : offset;
    }
};

// Finds a document type declaration in the prolog of text (after a byte
// order mark, the XML declaration, comments, instructions and blanks) that
// has the form XML gives it (check/doctype.h), cuts it and the blanks before
// it out of text, and tells what was cut. Nothing is cut from a text without
// one, or with one whose form is faulty (the check reports it there).
SetAside set_doctype_aside(std::string &text);

} // namespace velkxml
