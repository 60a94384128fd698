// Processing instructions as the parser reads them, and the XML declaration.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "check/strict_scan.h"

namespace velk::check {

// The parser reads the data of a processing instruction as name="value"
// pairs, as it reads attributes. Checks that the data from `from` to the "?>"
// at `close` is such pairs, each after a blank, which the parser then reads
// as XML means them; tells the observer each pair. False with *why set
// otherwise.
bool read_pseudo_attributes(std::string_view s, std::size_t from, std::size_t close, ScanObserver *observer,
                            std::string *why);

// The XML declaration at `at` ("<?xml" and a blank or "?"): its version
// first, then an encoding name and standalone yes or no, each optional, in
// that order. Returns the index after its "?>"; on a fault, the index the
// fault is about, with *fault set, and *limit when the declaration is sound
// but names an encoding other than UTF-8, unless s is ASCII alone and the
// encoding one that writes ASCII as ASCII (US-ASCII, ISO-8859-*,
// windows-125*): then the bytes read the same.
std::size_t xml_declaration(std::string_view s, std::size_t at, ScanObserver *observer, std::string *fault,
                            bool *limit);

} // namespace velk::check
