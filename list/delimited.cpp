#include "list/delimited.h"

#include <charconv>
#include <cstdint>
#include <cstring>

#include "list/core.h"

namespace velk::list {

ListNode *delim_to_list(std::string_view text, std::string_view delimiter) noexcept {
    ListBuilder built;
    std::uint64_t number = 0;
    char name[24];
    const char *p = text.data(), *end = p + text.size();
    while (p < end) {
        const char *stop =
            delimiter.empty() ? nullptr : static_cast<const char *>(std::memchr(p, delimiter[0], end - p));
        if (!stop) stop = end;
        if (stop > p) {
            char *name_end = std::to_chars(name, name + sizeof name, ++number).ptr;
            // An entry or its number that cannot be stored gives up the list.
            if (!built.add(std::string_view(name, name_end - name), std::string_view(p, stop - p),
                           DataForm::text))
                return nullptr;
        }
        if (stop == end) break;
        p = stop + 1;
    }
    return built.release();
}

} // namespace velk::list
