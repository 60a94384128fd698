#include "list/delimited.h"

#include <charconv>
#include <cstdint>
#include <cstring>

#include "list/core.h"

namespace velk::list {

ListNode *delim_to_list(std::string_view text, std::string_view delimiter) noexcept {
    ListNode *first = nullptr, *last = nullptr;
    std::uint64_t number = 0;
    char name[24];
    const char *p = text.data(), *end = p + text.size();
    while (p < end) {
        const char *stop =
            delimiter.empty() ? nullptr : static_cast<const char *>(std::memchr(p, delimiter[0], end - p));
        if (!stop) stop = end;
        if (stop > p) {
            char *name_end = std::to_chars(name, name + sizeof name, ++number).ptr;
            // Appending behind the previous entry costs constant time.
            ListNode *node = add(last, std::string_view(name, name_end - name), std::string_view(p, stop - p),
                                 DataForm::text);
            if (node && !first) first = node;
            if (!node || !node->name) { // an entry or its number could not be stored
                free_chain(first);
                return nullptr;
            }
            last = node;
        }
        if (stop == end) break;
        p = stop + 1;
    }
    return first;
}

} // namespace velk::list
