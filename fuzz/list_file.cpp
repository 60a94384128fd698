// Loads arbitrary bytes as a list file: every load either fails with a
// message or gives a list whose entries are within the file's bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "frame/testing.h"
#include "list/node.h"
#include "velk_xml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const std::string path = "/tmp/velk-fuzz-" + std::to_string(getpid()) + ".lst";
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    long before = velk::testing::live_blocks();
    velk_handle list = llzListFromFile(path.c_str());
    std::size_t bytes = 0;
    for (auto *node = velk::list::as_node(list); node; node = node->next)
        bytes += velk::list::name_text(node).size() + velk::list::data_text(node).size() + 8;
    if (bytes > size) std::abort(); // entries made of bytes the file does not hold
    llFree(list);
    if (velk::testing::live_blocks() != before) std::abort();
    std::remove(path.c_str());
    return 0;
}
