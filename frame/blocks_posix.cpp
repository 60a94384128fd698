// POSIX memory blocks. A parsed document is hundreds of thousands of small
// blocks (records and short texts), so blocks up to kMaxSmall bytes come from
// size-class pages instead of calloc:
//
// - Pages of 16 KiB, aligned to their size, are cut from regions taken from
//   malloc (so the process's heap figures still show them). Each page holds
//   blocks of one size class. A page map (address >> 14 -> class) tells on
//   release whether a block is one of ours and of which class; anything else
//   goes to free().
// - Every thread keeps a free list per class and takes from it without a
//   lock. An empty list takes a batch from the class's pool (under its lock):
//   released blocks, which the pool keeps on their own pages, else fresh
//   blocks cut from a page. A list grown past its limit goes back to the
//   pool whole. A block may be released by any thread: it simply joins that
//   thread's list.
// - A thread's lists go back to the pools when it ends; after that, the
//   thread's allocations use calloc and its releases go to the pools
//   directly. Freed memory is kept for reuse: a page whose blocks all came
//   back serves any class again, but regions are never returned to malloc.
//
// Blocks are zero-filled when handed out and aligned to 16 bytes, as malloc's.
// Under AddressSanitizer, under valgrind, or with VELK_PLAIN_BLOCKS set in the
// environment, every block is calloc's own, so those tools see each one.
#include "frame/compiler.h"
#include "frame/platform.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#if VELK_ADDRESS_SANITIZER
#define VELK_PLAIN_BLOCKS 1
#endif
#if !defined(VELK_PLAIN_BLOCKS) && defined(__has_include)
#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#define VELK_HAVE_VALGRIND_H 1
#endif
#endif

namespace velk::platform {

#if defined(VELK_PLAIN_BLOCKS)

void *block_alloc(std::size_t size) { return std::calloc(1, size ? size : 1); }
void block_free(void *block) { std::free(block); }
std::size_t block_cache_bytes() { return 0; }

#else

namespace {

constexpr std::size_t kMaxSmall = 512;
constexpr int kClasses = 20;

// 16 to 256 bytes in steps of 16, then 320 to 512 in steps of 64.
inline int class_of(std::size_t size) {
    return size <= 256 ? static_cast<int>((size - 1) >> 4) : 16 + static_cast<int>((size - 257) >> 6);
}
constexpr std::size_t class_size(int c) {
    return c < 16 ? std::size_t(c + 1) * 16 : 256 + std::size_t(c - 15) * 64;
}
// Blocks cut from a page at once: about 8 KiB. A thread keeps up to two
// such batches of a class on its list; the next release gives the list back.
constexpr std::uint32_t batch_of(int c) {
    return 8192 / class_size(c) > 8 ? static_cast<std::uint32_t>(8192 / class_size(c)) : 8;
}
struct Limits {
    std::uint32_t of[kClasses];
};
constexpr Limits make_limits() {
    Limits l{};
    for (int c = 0; c < kClasses; ++c)
        l.of[c] = 2 * batch_of(c);
    return l;
}
constexpr Limits kKeep = make_limits();

constexpr unsigned kPageShift = 14;
constexpr std::size_t kPageSize = std::size_t(1) << kPageShift;
// Small pages and regions keep what a small document costs near what it
// uses: each class in use holds a page, and the newest region may be mostly
// unused. A region is one page larger than its pages, so that they fit
// whatever alignment malloc gives.
constexpr std::size_t kRegionPages = 16;
constexpr std::size_t kRegionBytes = (kRegionPages + 1) * kPageSize;

// The page map: a root of leaves, each leaf one byte per page of a 1 GiB
// span (0: not ours, else class + 1). Leaves (64 KiB) are made when a region
// first reaches their span and kept for the life of the process; of the
// root (2 MiB, zero until used) only the parts for spans in use are ever
// touched. Addresses beyond 2^48 are not mapped; a region there goes back
// to malloc unused.
constexpr unsigned kLeafBits = 16;
constexpr std::size_t kLeafSize = std::size_t(1) << kLeafBits;
constexpr std::size_t kRootSize = std::size_t(1) << (48 - kPageShift - kLeafBits);
using Leaf = std::atomic<std::uint8_t>;
std::atomic<Leaf *> g_root[kRootSize];

inline Leaf *leaf_of(std::uint64_t page) {
    std::uint64_t r = page >> kLeafBits;
    return r < kRootSize ? g_root[r].load(std::memory_order_acquire) : nullptr;
}

// The class of a block of ours, or -1.
inline int class_of_block(const void *block) {
    std::uint64_t page = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(block)) >> kPageShift;
    Leaf *leaf = leaf_of(page);
    if (!leaf) return -1;
    return static_cast<int>(leaf[page & (kLeafSize - 1)].load(std::memory_order_relaxed)) - 1;
}

// A free block: the next block of its list.
struct FreeBlock {
    FreeBlock *next;
};

// The head of every page: which of its blocks the pool holds, one bit per
// 16 bytes of the page (a block's bit is that of its first 16 bytes), and
// the page's place among the class's pages that have such blocks. Only the
// pool touches it, under the class's lock. A free page (one whose every
// block is in the pool) is also linked by next_partial, among the pages
// free for any class.
constexpr std::size_t kBitWords = kPageSize / 16 / 64;
struct PageHeader {
    std::uint64_t free_bits[kBitWords];
    PageHeader *next_partial;
    PageHeader *prev_partial;
    std::uint32_t free_count;
    bool listed; // on the class's partial list
};
constexpr std::size_t kHeaderSize = (sizeof(PageHeader) + 15) & ~std::size_t(15);

struct PageCapacity {
    std::uint32_t of[kClasses];
};
constexpr PageCapacity make_capacity() {
    PageCapacity p{};
    for (int c = 0; c < kClasses; ++c)
        p.of[c] = static_cast<std::uint32_t>((kPageSize - kHeaderSize) / class_size(c));
    return p;
}
constexpr PageCapacity kBlocksPerPage = make_capacity();

inline PageHeader *page_of(const void *block) {
    return reinterpret_cast<PageHeader *>(reinterpret_cast<std::uintptr_t>(block) & ~(kPageSize - 1));
}

struct Batch {
    FreeBlock *head = nullptr;
    std::uint32_t count = 0;
};

// Released blocks wait in the pool on their own page, and a batch taken
// from the pool is a page's blocks in address order: blocks released in any
// order (a list freed after sorting, say) are handed out again side by side.
struct alignas(64) ClassPool {
    std::mutex lock;
    PageHeader *partial = nullptr; // pages with blocks in the pool
    std::uint32_t partial_count = 0;
    char *cut = nullptr; // fresh blocks of the class's newest page
    char *cut_end = nullptr;
};
ClassPool g_pools[kClasses];

std::mutex g_region_lock;
PageHeader *g_free_pages = nullptr; // pages that every class gave back whole
char *g_next_page = nullptr;        // pages of the newest region not given to a class
char *g_pages_end = nullptr;
std::atomic<std::size_t> g_region_bytes{0};

bool map_span(std::uint64_t first_page, std::uint64_t last_page) {
    for (std::uint64_t r = first_page >> kLeafBits; r <= last_page >> kLeafBits; ++r) {
        if (r >= kRootSize) return false;
        if (g_root[r].load(std::memory_order_relaxed)) continue;
        Leaf *leaf = new (std::nothrow) Leaf[kLeafSize]();
        if (!leaf) return false;
        g_root[r].store(leaf, std::memory_order_release);
    }
    return true;
}

// A page for class c, entered in the map; null when memory is exhausted.
char *take_page(int c) {
    std::lock_guard<std::mutex> hold(g_region_lock);
    if (PageHeader *free = g_free_pages) {
        g_free_pages = free->next_partial;
        char *page = reinterpret_cast<char *>(free);
        std::uint64_t index =
            static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(page)) >> kPageShift;
        leaf_of(index)[index & (kLeafSize - 1)].store(static_cast<std::uint8_t>(c + 1),
                                                      std::memory_order_relaxed);
        return page;
    }
    if (g_next_page == g_pages_end) {
        void *raw = std::malloc(kRegionBytes);
        if (!raw) return nullptr;
        std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(raw) + kPageSize - 1) & ~(kPageSize - 1);
        std::uint64_t first_page = static_cast<std::uint64_t>(first) >> kPageShift;
        if (!map_span(first_page, first_page + kRegionPages - 1)) {
            std::free(raw);
            return nullptr;
        }
        g_next_page = reinterpret_cast<char *>(first);
        g_pages_end = g_next_page + kRegionPages * kPageSize;
        g_region_bytes.fetch_add(kRegionBytes, std::memory_order_relaxed);
    }
    char *page = g_next_page;
    g_next_page += kPageSize;
    std::uint64_t index = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(page)) >> kPageShift;
    leaf_of(index)[index & (kLeafSize - 1)].store(static_cast<std::uint8_t>(c + 1),
                                                  std::memory_order_relaxed);
    return page;
}

// Free pages a class keeps for itself rather than give to every class, so
// that a document parsed and released again and again does not move its
// pages from class to class each time.
constexpr std::uint32_t kKeptFreePages = 4;

void unlist(ClassPool &pool, PageHeader *page) {
    --pool.partial_count;
    if (page->prev_partial)
        page->prev_partial->next_partial = page->next_partial;
    else
        pool.partial = page->next_partial;
    if (page->next_partial) page->next_partial->prev_partial = page->prev_partial;
    page->listed = false;
}

// Returns a list of class c, block by block, to the pages it came from. A
// page that gets all its blocks back is free for any class, unless the class
// has few pages with blocks in the pool.
void pool_put(int c, FreeBlock *list) {
    ClassPool &pool = g_pools[c];
    PageHeader *emptied = nullptr;
    {
        std::lock_guard<std::mutex> hold(pool.lock);
        while (list) {
            FreeBlock *block = list;
            list = list->next;
            PageHeader *page = page_of(block);
            std::size_t bit = (reinterpret_cast<std::uintptr_t>(block) & (kPageSize - 1)) >> 4;
            page->free_bits[bit >> 6] |= std::uint64_t(1) << (bit & 63);
            if (!page->listed) {
                page->listed = true;
                page->prev_partial = nullptr;
                page->next_partial = pool.partial;
                if (pool.partial) pool.partial->prev_partial = page;
                pool.partial = page;
                ++pool.partial_count;
            }
            if (++page->free_count == kBlocksPerPage.of[c] && pool.partial_count > kKeptFreePages) {
                unlist(pool, page);
                page->next_partial = emptied;
                emptied = page;
            }
        }
    }
    if (!emptied) return;
    std::lock_guard<std::mutex> hold(g_region_lock);
    while (emptied) {
        PageHeader *page = emptied;
        emptied = page->next_partial;
        page->next_partial = g_free_pages;
        g_free_pages = page;
    }
}

// A batch of class c in address order: the pool's blocks, page by page,
// else fresh blocks cut from the class's page.
Batch pool_take(int c) {
    ClassPool &pool = g_pools[c];
    const std::uint32_t want = batch_of(c);
    Batch batch;
    FreeBlock **tail = &batch.head;
    std::lock_guard<std::mutex> hold(pool.lock);
    while (batch.count < want && pool.partial) {
        PageHeader *page = pool.partial;
        for (std::size_t w = 0; w < kBitWords && batch.count < want; ++w) {
            std::uint64_t bits = page->free_bits[w];
            for (; bits && batch.count < want; bits &= bits - 1) {
                std::size_t bit = w * 64 + static_cast<std::size_t>(__builtin_ctzll(bits));
                auto *block = reinterpret_cast<FreeBlock *>(reinterpret_cast<char *>(page) + (bit << 4));
                *tail = block;
                tail = &block->next;
                ++batch.count;
                --page->free_count;
            }
            page->free_bits[w] = bits;
        }
        if (page->free_count == 0) unlist(pool, page);
    }
    const std::size_t size = class_size(c);
    if (batch.count == 0) {
        for (; batch.count < want; ++batch.count) {
            if (pool.cut_end - pool.cut < static_cast<std::ptrdiff_t>(size)) {
                char *page = take_page(c);
                if (!page) break;
                *reinterpret_cast<PageHeader *>(page) = PageHeader{};
                pool.cut = page + kHeaderSize;
                pool.cut_end = page + kPageSize;
            }
            auto *block = reinterpret_cast<FreeBlock *>(pool.cut);
            pool.cut += size;
            *tail = block;
            tail = &block->next;
        }
    }
    *tail = nullptr;
    return batch;
}

// Trivially destructible, so that it stays usable while the thread's other
// objects are destroyed after its lists went back.
struct ThreadCache {
    FreeBlock *head[kClasses];
    std::uint32_t count[kClasses];
    bool armed; // the flusher is registered
    bool ended; // the lists went back; the thread is ending
};
thread_local ThreadCache t_cache;

struct CacheFlusher {
    bool armed = false;
    ~CacheFlusher() {
        ThreadCache &tc = t_cache;
        for (int c = 0; c < kClasses; ++c) {
            pool_put(c, tc.head[c]);
            tc.head[c] = nullptr;
            tc.count[c] = 0;
        }
        tc.ended = true;
    }
};
thread_local CacheFlusher t_flusher;

// The calling thread's cache. Finding a thread_local of a shared library is
// a call into the dynamic linker; this one pointer is in the static TLS
// block instead (8 bytes of the room the loader keeps for libraries opened
// later), so that after the first call it is a single load.
__attribute__((tls_model("initial-exec"))) thread_local ThreadCache *t_cache_at = nullptr;

__attribute__((noinline)) ThreadCache *find_thread_cache() { return t_cache_at = &t_cache; }

inline ThreadCache *this_thread_cache() {
    ThreadCache *tc = t_cache_at;
    return __builtin_expect(tc != nullptr, 1) ? tc : find_thread_cache();
}

void arm(ThreadCache &tc) {
    t_flusher.armed = true; // first use registers its destructor
    tc.armed = true;
}

bool plain_blocks() {
    static const bool plain = [] {
        const char *env = std::getenv("VELK_PLAIN_BLOCKS");
        if (env && *env && std::strcmp(env, "0") != 0) return true;
#if defined(VELK_HAVE_VALGRIND_H)
        if (RUNNING_ON_VALGRIND) return true;
#endif
        return false;
    }();
    return plain;
}

FreeBlock *refill(ThreadCache &tc, int c) {
    if (!tc.armed) arm(tc);
    Batch batch = pool_take(c);
    tc.head[c] = batch.head;
    tc.count[c] = batch.count;
    return batch.head;
}

// Gives the whole list back.
void spill(ThreadCache &tc, int c) {
    pool_put(c, tc.head[c]);
    tc.head[c] = nullptr;
    tc.count[c] = 0;
}

// Zero-fills a block of a class: whole 16-byte steps, as every class is a
// multiple of 16.
inline void zero_block(void *block, std::size_t size) {
    auto *p = static_cast<unsigned char *>(block);
    for (std::size_t i = 0; i < size; i += 16) {
        std::uint64_t zero[2] = {0, 0};
        std::memcpy(p + i, zero, 16);
    }
}

} // namespace

void *block_alloc(std::size_t size) {
    if (size == 0) size = 1;
    if (size > kMaxSmall || plain_blocks()) return std::calloc(1, size);
    ThreadCache *tc = this_thread_cache();
    if (tc->ended) return std::calloc(1, size);
    int c = class_of(size);
    FreeBlock *block = tc->head[c];
    if (!block && !(block = refill(*tc, c))) return std::calloc(1, size);
    FreeBlock *next = block->next;
    tc->head[c] = next;
    --tc->count[c];
    prefetch_for_write(next); // the next allocation of the class reads it
    zero_block(block, size);
    return block;
}

void block_free(void *block) {
    int c = class_of_block(block);
    if (c < 0) {
        std::free(block);
        return;
    }
    auto *b = static_cast<FreeBlock *>(block);
    ThreadCache *tc = this_thread_cache();
    if (tc->ended) {
        b->next = nullptr;
        pool_put(c, b);
        return;
    }
    if (!tc->armed) arm(*tc);
    b->next = tc->head[c];
    tc->head[c] = b;
    if (++tc->count[c] > kKeep.of[c]) spill(*tc, c);
}

std::size_t block_cache_bytes() { return g_region_bytes.load(std::memory_order_relaxed); }

#endif

} // namespace velk::platform
