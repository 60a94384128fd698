// A list made from arbitrary names and data is written as the XML list form,
// parsed and read back; the result is the list that the list rules give:
// names normalised, a repeated non-empty name updating its first entry,
// empty names kept apart.
#include <vector>

#include "fuzz_support.h"
#include "list/core.h"
#include "list/node.h"

using namespace velk_fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Entries: names and data separated by bytes 1 and 2. NUL ends a stored
    // text and CR is dropped by the writer's line ends, so neither is used.
    std::string input(reinterpret_cast<const char *>(data), size);
    for (char &c : input)
        if (c == '\0' || c == '\r') c = '_';
    std::vector<std::pair<std::string, std::string>> expected;
    velk_handle list = 0, last = 0;
    std::size_t start = 0;
    while (start < input.size()) {
        std::size_t end = input.find('\x01', start);
        if (end == std::string::npos) end = input.size();
        std::string entry = input.substr(start, end - start);
        start = end + 1;
        std::size_t split = entry.find('\x02');
        std::string name = entry.substr(0, split);
        std::string value = split == std::string::npos ? "" : entry.substr(split + 1);
        last = llzAdd(last, name.c_str(), value.c_str());
        if (!list) list = last;
        std::string key = velk::list::normalise_name(name);
        bool updated = false;
        for (auto &e : expected)
            if (!key.empty() && e.first == key) {
                e.second = value;
                updated = true;
                break;
            }
        if (!updated) expected.emplace_back(key, value);
    }
    velk_handle root = parse(take(xmlFromList(list, bs("fuzz"))));
    require(root != 0);
    velk_handle back = xmlToList(root);
    std::vector<std::pair<std::string, std::string>> got;
    for (auto *n = velk::list::as_node(back); n; n = n->next)
        got.emplace_back(velk::list::name_text(n), velk::list::data_text(n));
    require(got == expected);
    llFree(back);
    llFree(list);
    xmlFree(root);
    return 0;
}
