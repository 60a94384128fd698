// Bytes in and out of the tool: files and standard input read whole, output
// written as bytes, and the library's CR LF line breaks shown as the
// platform's own.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "velk_xml.h"

namespace velkxml {

// Standard streams in binary mode, so that no byte is changed on the way;
// on POSIX, a write to a closed pipe fails (EPIPE) instead of ending the
// process, so that it is reported as any failed write.
void prepare_streams();

// Reads a stream to its end; false, with the system's reason in error, when
// a read fails.
bool read_all(std::FILE *in, std::string &text, std::string &error);

// Reads a whole file; false, with the system's reason in error, when it
// cannot be opened or read.
bool read_file(const std::string &name, std::string &text, std::string &error);

// Whether a name can be opened for reading; false, with the system's reason
// in error, when it exists and cannot. A name that does not exist counts as
// readable: the library's own message says so.
bool readable_or_missing(const std::string &name, std::string &error);

// Whether the name is a folder.
bool is_folder(const std::string &name);

// Writes bytes to a stream as they are; false when a write fails (errno
// tells why).
bool write_bytes(std::FILE *out, std::string_view bytes);

// Writes text to a stream, turning each CR LF into the platform's line end;
// false when a write fails (errno tells why).
bool write_text(std::FILE *out, std::string_view text);

} // namespace velkxml
