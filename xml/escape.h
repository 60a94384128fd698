// Writing text with the five entities: &amp; &lt; &gt; &quot; &apos;, in one
// left-to-right pass. No other entity and no numeric character reference is
// produced (xml/unescape.h reads them back).
#pragma once

#include <cstddef>
#include <string_view>

#include "frame/text_buffer.h"

namespace velk::xml {

// How line ends of the text are written. crlf is the tree writer's
// normalisation: every carriage return is dropped and every line feed becomes
// carriage return + line feed. It maps each byte on its own, so applying it
// to every piece as it is written equals applying it once to the whole text.
enum class LineEnds { keep, crlf };

// Appends the text with & < > " ' written as entities.
void append_clean(TextBuffer &out, std::string_view text, LineEnds ends);
// Appends the text unchanged apart from the line ends.
void append_raw(TextBuffer &out, std::string_view text, LineEnds ends);
// The same for a stored text, read up to its NUL (null is "").
void append_clean(TextBuffer &out, const char *stored, LineEnds ends);
void append_raw(TextBuffer &out, const char *stored, LineEnds ends);

} // namespace velk::xml
