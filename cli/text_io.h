// Bytes in and out of the tool: standard input read whole, output written as
// bytes, and the library's CR LF line breaks shown as the platform's own.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "velk_xml.h"

namespace velkxml {

// Standard streams in binary mode, so that no byte is changed on the way.
void binary_streams();

// Reads standard input to its end.
std::string read_stdin();

// Writes text to a stream, turning each CR LF into the platform's line end.
void write_text(std::FILE *out, std::string_view text);

} // namespace velkxml
