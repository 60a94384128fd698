// Reading the five entities back: &amp; &lt; &gt; &quot; &apos; become the
// characters they stand for, in one left-to-right pass. No other entity and
// no numeric character reference is understood; they stay as written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velk::xml {

// Writes the text with the five entities turned back into characters, one
// level only ("&amp;lt;" gives "&lt;"). out has room for text.size() bytes,
// which is always enough; returns the number of bytes written.
std::size_t unclean_into(char *out, std::string_view text);

std::string unclean(std::string_view text);

} // namespace velk::xml
