// Helpers on byte texts that the list and XML cores share.
#pragma once

#include <cstddef>
#include <string_view>

namespace velk {

// The text without leading and trailing blanks (0x20 only; tabs and line ends
// stay), as names and tags are compared.
inline std::string_view trim_blanks(std::string_view s) noexcept {
    std::size_t begin = 0, end = s.size();
    while (begin < end && s[begin] == ' ')
        ++begin;
    while (end > begin && s[end - 1] == ' ')
        --end;
    return s.substr(begin, end - begin);
}

} // namespace velk
