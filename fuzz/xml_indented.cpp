// The indented writer's text parses, and keeps every element of the tree
// with its tag, attributes and nesting.
#include "fuzz_support.h"

using namespace velk_fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    velk_handle root = parse({reinterpret_cast<const char *>(data), size});
    std::string compact = take(xmlTreeToString(root, 0));
    xmlFree(root);
    if (compact.empty()) return 0;
    velk_handle normal = parse(compact); // line ends as the writer makes them
    std::string indented = take(xmlTreeToString(normal, 1));
    velk_handle again = parse(indented);
    require(again != 0);
    require(dump(again, {}, true) == dump(normal, {}, true));
    xmlFree(normal);
    xmlFree(again);
    return 0;
}
