// Splits arbitrary text at its first byte and checks the list against a plain
// split: same pieces, in order, numbered 1, 2, 3 ...; nothing leaks.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "frame/testing.h"
#include "list/delimited.h"
#include "list/node.h"
#include "velk_xml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string_view input(reinterpret_cast<const char *>(data), size);
    std::string_view delimiter = input.substr(0, size ? 1 : 0);
    std::string_view text = input.substr(delimiter.size());
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || (!delimiter.empty() && text[i] == delimiter[0])) {
            if (i > start) pieces.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    long before = velk::testing::live_blocks();
    auto *list = velk::list::delim_to_list(text, delimiter);
    std::size_t n = 0;
    for (auto *node = list; node; node = node->next, ++n) {
        if (n >= pieces.size() || velk::list::data_bytes(node) != pieces[n] ||
            velk::list::name_text(node) != std::to_string(n + 1))
            std::abort();
    }
    if (n != pieces.size()) std::abort();
    llFree(velk::list::as_handle(list));
    if (velk::testing::live_blocks() != before) std::abort();
    return 0;
}
