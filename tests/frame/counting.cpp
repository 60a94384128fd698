// The test program counts allocations and live blocks from its start, before
// any block is made (the library counts only when asked).
#include "frame/testing.h"

namespace {
const bool g_counting = (velk::testing::count_blocks(), true);
} // namespace
