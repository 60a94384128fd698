// Shared by the fuzz targets: the library's texts through the plain face,
// and the suites' dump of a tree for comparing two parses.
#pragma once

#include <cstdlib>
#include <string>
#include <string_view>

#include "frame/testing.h"
#include "tests/tree_dump.h"
#include "velk_strings.h"
#include "velk_xml.h"

namespace velk_fuzz {

using velk_strings::free_string;
inline velk_bstr bs(std::string_view s) { return velk_strings::make_string(s); }
inline std::string take(velk_bstr s) { return velk_strings::take_string(s); }

inline velk_handle parse(std::string_view text) {
    velk_bstr s = bs(text);
    velk_handle root = xmlParse(&s);
    free_string(s);
    return root;
}

inline std::string str(const char *stored) { return stored ? stored : ""; }

// The suites' dump of a tree (tests/tree_dump.h), for comparing two parses.
using velk_test::dump;

// The bytes as one printable line: bytes outside printable ASCII, and the
// backslash, as \xHH.
inline std::string printable(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

inline void require(bool ok) {
    if (!ok) std::abort();
}

// Blocks held by the library, counted from the first call on.
inline long live_blocks() {
    velk::testing::count_blocks();
    return velk::testing::live_blocks();
}

} // namespace velk_fuzz
