// An XML document read for a command: a file through the library's own file
// reader, or standard input ("-") through its parser, with failures told as
// editors place them.
#pragma once

#include <cstdio>
#include <string>

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
    // The text: what read() took, what load() parsed when asked to keep it,
    // and after a failure that names a place in it.
    const std::string &bytes() const { return bytes_; }
    const std::string &failure() const { return failure_; }

  private:
    bool fail(const std::string &file, const std::string &message);
    void drop_bytes();
    std::FILE *in_;
    velk_handle root_ = 0;
    std::string bytes_;
    bool has_bytes_ = false;
    std::string failure_;
};

// The name standard input goes by in messages and on the command line.
constexpr const char kStdinName[] = "-";

} // namespace velkxml
