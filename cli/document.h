// An XML document read for a command: a file through the library's own file
// reader, or standard input ("-") through its parser, with failures told as
// editors place them. A document type declaration is set aside first
// (doctype_aside.h), and the rest is handed to the parser; places in
// messages are the file's all the same.
#pragma once

#include <cstdio>
#include <string>

#include "check/strict_scan.h"
#include "doctype_aside.h"
#include "velk_xml.h"

namespace velkxml {

class Document {
  public:
    // in: the stream a file named "-" is read from.
    explicit Document(std::FILE *in) : in_(in) {}
    ~Document() { xmlFree(root_); }
    Document(const Document &) = delete;
    Document &operator=(const Document &) = delete;

    // Parses the file, or standard input for "-". keep_bytes keeps the text
    // for bytes() also when the parse succeeds. False on failure, with
    // failure() set to "FILE:LINE:COL: message" or "FILE: message".
    bool load(const std::string &file, bool keep_bytes);

    // The two steps of a load taken apart, so that the text can be looked at
    // before the library parses it: read() reads the file, or standard input
    // for "-", into bytes(); parse() then parses the file with the library's
    // file reader, or what read() took from standard input. False on
    // failure, with failure() set as by load().
    bool read(const std::string &file);
    bool parse(const std::string &file);

    velk_handle root() const { return root_; }
    // The text handed to the parser: what read() took, what load() parsed
    // when asked to keep it, and after a failure that names a place in it;
    // without the document type declaration set aside.
    const std::string &bytes() const { return bytes_; }
    // The declaration set aside, if any.
    const SetAside &doctype() const { return doctype_; }
    // The file's text, the declaration in its place.
    std::string file_text() const;
    // The well-formedness check of bytes(), its offsets the file's. With a
    // declaration set aside, references to entities it may declare are
    // limits, and with tell_doctype one more limit tells that it was set
    // aside.
    velk::check::StrictReport scan(bool tell_doctype) const;
    const std::string &failure() const { return failure_; }

  private:
    bool fail(const std::string &file, const std::string &message);
    void drop_bytes();
    std::FILE *in_;
    velk_handle root_ = 0;
    std::string bytes_;
    bool has_bytes_ = false;
    SetAside doctype_;
    std::string failure_;
};

// The name standard input goes by in messages and on the command line.
constexpr const char kStdinName[] = "-";

} // namespace velkxml
