// Parse, write compactly, parse again: the writer's text always parses, and
// from the second round on writing and parsing is a fixed point, whatever the
// first text was: the same text, and from the text of the second round on,
// the same tree. (A comment without a body is written "<!-- -->", which
// reads back as a body of one blank: the trees settle one round later.)
#include "fuzz_support.h"

using namespace velk_fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    long before = live_blocks();
    velk_handle first = parse({reinterpret_cast<const char *>(data), size});
    std::string text1 = take(xmlTreeToString(first, 0));
    xmlFree(first);
    if (text1.empty()) return 0;
    velk_handle second = parse(text1);
    require(second != 0);
    std::string text2 = take(xmlTreeToString(second, 0));
    velk_handle third = parse(text2);
    require(third != 0);
    std::string text3 = take(xmlTreeToString(third, 0));
    require(text3 == text2);
    velk_handle fourth = parse(text3);
    require(dump(third) == dump(fourth));
    xmlFree(second);
    xmlFree(third);
    xmlFree(fourth);
    require(live_blocks() == before);
    return 0;
}
