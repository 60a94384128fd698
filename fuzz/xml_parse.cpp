// The parser on arbitrary bytes: a tree or a failure, never a fault, and
// nothing left behind after the tree is freed.
#include "fuzz_support.h"

using namespace velk_fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    long before = live_blocks();
    velk_handle root = parse({reinterpret_cast<const char *>(data), size});
    xmlFree(root);
    require(live_blocks() == before);
    return 0;
}
