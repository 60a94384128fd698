// The extent of a document type declaration, found without reading its
// internal subset: what the tool sets aside, and what the check passes over.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velk::check {

// The declaration at `lt` ("<!DOCTYPE") as XML writes it:
//   '<!DOCTYPE' S Name (S ('SYSTEM' S literal | 'PUBLIC' S literal S literal))?
//   S? ('[' internal subset ']' S?)? '>'
// The internal subset is passed over, not checked: its quoted literals,
// comments and processing instructions, up to the ']' outside them. Returns
// the index after the closing '>'; on a fault, the index the fault is about,
// with *fault set.
std::size_t doctype_end(std::string_view s, std::size_t lt, std::string *fault);

} // namespace velk::check
