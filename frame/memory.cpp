#include "frame/memory.h"

#include <atomic>
#include <cstring>

#include "frame/compiler.h"
#include "frame/countdown.h"
#include "frame/platform.h"
#include "frame/testing.h"
#include "frame/text.h"

namespace velk {

namespace {
// The counts of allocations and live blocks are for tests: each costs an
// atomic operation per block, so the library keeps them only when asked,
// and always in sanitizer builds (tests and fuzz targets).
std::atomic<bool> g_counting{kAddressSanitizer};
FailureCountdown g_allocation_failure;
std::atomic<unsigned> g_allocations{0};
std::atomic<long> g_live_blocks{0};
} // namespace

std::atomic<bool> detail::g_watched{kAddressSanitizer};

bool allocation_permitted() noexcept {
    if (!detail::g_watched.load(std::memory_order_relaxed)) return true;
    if (g_counting.load(std::memory_order_relaxed)) g_allocations.fetch_add(1, std::memory_order_relaxed);
    return !g_allocation_failure.strikes();
}

void *detail::mem_get_watched(std::size_t size) noexcept {
    if (!allocation_permitted()) return nullptr;
    void *block = platform::block_alloc(size);
    if (block && g_counting.load(std::memory_order_relaxed))
        g_live_blocks.fetch_add(1, std::memory_order_relaxed);
    return block;
}

void detail::mem_free_watched(void *block) noexcept {
    if (g_counting.load(std::memory_order_relaxed)) g_live_blocks.fetch_sub(1, std::memory_order_relaxed);
    platform::block_free(block);
}

char *text_store(std::string_view text) noexcept {
    if (text.empty()) return nullptr;
    auto *block = static_cast<char *>(mem_get(text.size() + 1));
    if (!block) return nullptr;
    copy_bytes(block, text.data(), text.size());
    return block; // the terminating NUL comes from the zero fill
}

char *bstr_new(std::string_view bytes) noexcept {
    if (bytes.empty() || bytes.size() > UINT32_MAX) return nullptr;
    if (!allocation_permitted()) return nullptr;
    return platform::bstr_alloc(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

namespace testing {
void count_blocks() {
    g_counting.store(true);
    detail::g_watched.store(true);
}
void fail_allocation(unsigned nth) {
    detail::g_watched.store(true);
    g_allocation_failure.arm(nth);
}
unsigned allocations_since_reset() { return g_allocations.load(); }
void reset_allocation_count() { g_allocations.store(0); }
long live_blocks() { return g_live_blocks.load(); }
std::size_t block_cache_bytes() { return platform::block_cache_bytes(); }
} // namespace testing

} // namespace velk
