// POSIX memory blocks. A parsed document is hundreds of thousands of small
// blocks (records and short texts) made in a row on one thread and usually
// released together, so blocks up to kMaxSmall bytes come from size-class
// pages instead of calloc:
//
// - Pages of 16 KiB, aligned to their size, are cut from zero-filled regions
//   taken from calloc (so the process's heap figures still show them). Each
//   page holds blocks of one size class. A page map (address >> 14 -> class)
//   tells on release whether a block is one of ours and of which class;
//   anything else goes to free().
// - Every thread has, per class, a page of its own that it cuts fresh blocks
//   from in address order, and lists of released blocks; neither needs a
//   lock. Fresh blocks are still zero from the region; only a block that
//   comes back is zero-filled again when handed out.
// - The last few blocks a thread released are handed out again first, so
//   that a caller making and releasing a few blocks between the ones it
//   keeps gets the same few back and the kept ones lie side by side. Other
//   released blocks join the end of the thread's list. A list that reaches
//   a chain's length (about 8 KiB of blocks) is set aside whole; the thread
//   keeps one such chain and gives the one before to the class's pool, which
//   queues chains as they are: giving and taking one costs a lock and no
//   walk over its blocks. Blocks are taken back oldest first (the pool's
//   chains, the thread's chain, its list), so that a document released and
//   parsed again lies in memory in the same order. A block may be released
//   by any thread: it simply joins that thread's lists.
// - Before a new region is taken, the pools' chains are sorted back onto the
//   pages they came from (one bit per block in the page's header); a page
//   whose blocks all came back serves any class again, and the blocks of
//   the others are handed out page by page. Regions are never returned to
//   the system.
// - A thread's lists and the rest of its pages go back to the pools when it
//   ends; after that, the thread's allocations use calloc and its releases go
//   to the pools directly.
//
// Blocks are zero-filled when handed out and aligned to 16 bytes, as malloc's.
// Under AddressSanitizer, and in a build configured with VELK_BLOCKS=calloc
// (which defines VELK_PLAIN_BLOCKS), every block is calloc's own, so that
// memory tools see each one. Under valgrind, which its client request tells
// at run time, every block is calloc's own too, unless the build was
// configured with VELK_BLOCKS=pages (VELK_PAGES_UNDER_VALGRIND) to profile
// the pages. The build decides: the library reads no environment variable.
#include "frame/compiler.h"
#include "frame/platform.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#include <pthread.h>

#if VELK_ADDRESS_SANITIZER
#define VELK_PLAIN_BLOCKS 1
#endif
#if !defined(VELK_PLAIN_BLOCKS) && !defined(VELK_PAGES_UNDER_VALGRIND) && defined(__has_include)
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

constexpr std::size_t kMaxSmall = kSmallBlockMax;
constexpr int kClasses = 20;

// 16 to 256 bytes in steps of 16, then 320 to 512 in steps of 64.
inline int class_of(std::size_t size) {
    return size <= 256 ? static_cast<int>((size - 1) >> 4) : 16 + static_cast<int>((size - 257) >> 6);
}
constexpr std::size_t class_size(int c) {
    return c < 16 ? std::size_t(c + 1) * 16 : 256 + std::size_t(c - 15) * 64;
}
// Blocks in a chain: about 8 KiB, at least 8.
constexpr std::uint32_t chain_of(int c) {
    return 8192 / class_size(c) > 8 ? static_cast<std::uint32_t>(8192 / class_size(c)) : 8;
}
struct PerClass {
    std::uint32_t of[kClasses];
};
constexpr PerClass make_chain_lengths() {
    PerClass l{};
    for (int c = 0; c < kClasses; ++c)
        l.of[c] = chain_of(c);
    return l;
}
constexpr PerClass kChain = make_chain_lengths();

constexpr unsigned kPageShift = 14;
constexpr std::size_t kPageSize = std::size_t(1) << kPageShift;
// Small pages and regions keep what a small document costs near what it
// uses: each class in use holds a page, and the newest region may be mostly
// unused. A region is one page larger than its pages, so that they fit
// whatever alignment calloc gives.
constexpr std::size_t kRegionPages = 16;
constexpr std::size_t kRegionBytes = (kRegionPages + 1) * kPageSize;

// The page map: a root of leaves, each leaf one byte per page of a 1 GiB
// span (0: not ours, else class + 1). Leaves (64 KiB) are made when a region
// first reaches their span and kept for the life of the process; of the
// root (2 MiB, zero until used) only the parts for spans in use are ever
// touched. Addresses beyond 2^48 are not mapped; a region there goes back
// to the system unused.
constexpr unsigned kLeafBits = 16;
constexpr std::size_t kLeafSize = std::size_t(1) << kLeafBits;
constexpr std::size_t kRootSize = std::size_t(1) << (48 - kPageShift - kLeafBits);
using Leaf = std::atomic<std::uint8_t>;
std::atomic<Leaf *> g_root[kRootSize];

inline Leaf *leaf_of(std::uint64_t page) {
    std::uint64_t r = page >> kLeafBits;
    return r < kRootSize ? g_root[r].load(std::memory_order_acquire) : nullptr;
}

inline std::uint64_t page_index(const void *at) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(at)) >> kPageShift;
}

// The class of a block of ours, or -1.
inline int class_of_block(const void *block) {
    std::uint64_t page = page_index(block);
    Leaf *leaf = leaf_of(page);
    if (!leaf) return -1;
    return static_cast<int>(leaf[page & (kLeafSize - 1)].load(std::memory_order_relaxed)) - 1;
}

void map_page(const void *page, int c) {
    std::uint64_t index = page_index(page);
    leaf_of(index)[index & (kLeafSize - 1)].store(static_cast<std::uint8_t>(c + 1),
                                                  std::memory_order_relaxed);
}

// A free block: the next block of its list. The first block of a chain in a
// pool also links the next chain (every block has room for two pointers).
struct FreeBlock {
    FreeBlock *next;
    FreeBlock *next_chain;
};

// The head of every page: which of its blocks the pool holds on the page,
// one bit per 16 bytes of the page (a block's bit is that of its first 16
// bytes), and the page's place among the class's pages that have such
// blocks. Only the pool touches it, under the class's lock. A free page (one
// whose every block is in the pool) is also linked by next_partial, among
// the pages free for any class.
constexpr std::size_t kBitWords = kPageSize / 16 / 64;
struct PageHeader {
    std::uint64_t free_bits[kBitWords];
    PageHeader *next_partial;
    PageHeader *prev_partial;
    std::uint32_t free_count;
    bool listed; // on the class's partial list
};
constexpr std::size_t kHeaderSize = (sizeof(PageHeader) + 15) & ~std::size_t(15);

constexpr PerClass make_capacity() {
    PerClass p{};
    for (int c = 0; c < kClasses; ++c)
        p.of[c] = static_cast<std::uint32_t>((kPageSize - kHeaderSize) / class_size(c));
    return p;
}
constexpr PerClass kBlocksPerPage = make_capacity();

inline PageHeader *page_of(const void *block) {
    return reinterpret_cast<PageHeader *>(reinterpret_cast<std::uintptr_t>(block) & ~(kPageSize - 1));
}

// A class's pool: whole chains as threads gave them, and blocks sorted back
// onto their pages, handed out page by page in address order (blocks
// released in any order, a list freed after sorting say, come back side by
// side).
struct alignas(64) ClassPool {
    std::mutex lock;
    FreeBlock *chains = nullptr; // oldest first, each kChain.of[c] blocks long
    FreeBlock *chains_tail = nullptr;
    PageHeader *partial = nullptr; // pages with blocks in the pool
    std::uint32_t partial_count = 0;
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

// Sorts a list of class c back onto its pages, block by block; the pool's
// lock is held. Pages that got all their blocks back are added to *emptied,
// unless the class has few pages with blocks in the pool.
void sort_onto_pages(ClassPool &pool, int c, FreeBlock *list, PageHeader **emptied) {
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
            page->next_partial = *emptied;
            *emptied = page;
        }
    }
}

void give_pages(PageHeader *emptied) {
    if (!emptied) return;
    std::lock_guard<std::mutex> hold(g_region_lock);
    while (emptied) {
        PageHeader *page = emptied;
        emptied = page->next_partial;
        page->next_partial = g_free_pages;
        g_free_pages = page;
    }
}

// Returns a list of class c, of any length, to the pages it came from.
void pool_put(int c, FreeBlock *list) {
    if (!list) return;
    PageHeader *emptied = nullptr;
    {
        ClassPool &pool = g_pools[c];
        std::lock_guard<std::mutex> hold(pool.lock);
        sort_onto_pages(pool, c, list, &emptied);
    }
    give_pages(emptied);
}

// Gives a whole chain of class c to its pool.
void pool_put_chain(int c, FreeBlock *chain) {
    ClassPool &pool = g_pools[c];
    std::lock_guard<std::mutex> hold(pool.lock);
    chain->next_chain = nullptr;
    if (pool.chains)
        pool.chains_tail->next_chain = chain;
    else
        pool.chains = chain;
    pool.chains_tail = chain;
}

// Sorts every pool's chains back onto their pages, so that pages whose
// blocks all came back serve any class: done before memory is taken from
// the system. Each released block is sorted at most once.
void reclaim() {
    PageHeader *emptied = nullptr;
    for (int c = 0; c < kClasses; ++c) {
        ClassPool &pool = g_pools[c];
        std::lock_guard<std::mutex> hold(pool.lock);
        while (FreeBlock *chain = pool.chains) {
            pool.chains = chain->next_chain;
            sort_onto_pages(pool, c, chain, &emptied);
        }
        pool.chains_tail = nullptr;
    }
    give_pages(emptied);
}

// The pool's oldest chain of class c; null when it has none.
FreeBlock *pool_take_chain(int c) {
    ClassPool &pool = g_pools[c];
    std::lock_guard<std::mutex> hold(pool.lock);
    FreeBlock *chain = pool.chains;
    if (chain) {
        pool.chains = chain->next_chain;
        if (!pool.chains) pool.chains_tail = nullptr;
    }
    return chain;
}

// Up to a chain's length of blocks of class c that the pool holds on their
// pages, in address order; null when it has none.
FreeBlock *pool_take_sorted(int c) {
    ClassPool &pool = g_pools[c];
    const std::uint32_t want = kChain.of[c];
    FreeBlock *head = nullptr;
    std::uint32_t count = 0;
    std::lock_guard<std::mutex> hold(pool.lock);
    FreeBlock **tail = &head;
    while (count < want && pool.partial) {
        PageHeader *page = pool.partial;
        for (std::size_t w = 0; w < kBitWords && count < want; ++w) {
            std::uint64_t bits = page->free_bits[w];
            for (; bits && count < want; bits &= bits - 1) {
                std::size_t bit = w * 64 + static_cast<std::size_t>(__builtin_ctzll(bits));
                auto *block = reinterpret_cast<FreeBlock *>(reinterpret_cast<char *>(page) + (bit << 4));
                *tail = block;
                tail = &block->next;
                ++count;
                --page->free_count;
            }
            page->free_bits[w] = bits;
        }
        if (page->free_count == 0) unlist(pool, page);
    }
    *tail = nullptr;
    return head;
}

// A zero-filled page for class c, entered in the map; null when memory is
// exhausted. Before a new region is taken, the pools' chains are sorted
// back onto their pages once, in case that frees a page.
char *take_page(int c) {
    for (bool reclaimed = false;; reclaimed = true) {
        char *page = nullptr;
        bool recycled = false;
        {
            std::lock_guard<std::mutex> hold(g_region_lock);
            if (PageHeader *free = g_free_pages) {
                g_free_pages = free->next_partial;
                page = reinterpret_cast<char *>(free);
                recycled = true;
            } else if (g_next_page != g_pages_end) {
                page = g_next_page;
                g_next_page += kPageSize;
            } else if (reclaimed) {
                void *raw = std::calloc(1, kRegionBytes);
                if (!raw) return nullptr;
                std::uintptr_t first =
                    (reinterpret_cast<std::uintptr_t>(raw) + kPageSize - 1) & ~(kPageSize - 1);
                std::uint64_t first_page = static_cast<std::uint64_t>(first) >> kPageShift;
                if (!map_span(first_page, first_page + kRegionPages - 1)) {
                    std::free(raw);
                    return nullptr;
                }
                page = reinterpret_cast<char *>(first);
                g_next_page = page + kPageSize;
                g_pages_end = page + kRegionPages * kPageSize;
                g_region_bytes.fetch_add(kRegionBytes, std::memory_order_relaxed);
            }
            if (page) map_page(page, c);
        }
        if (page) {
            if (recycled) std::memset(page, 0, kPageSize);
            return page;
        }
        reclaim();
    }
}

// Trivially destructible, so that it stays usable while the thread's other
// objects are destroyed after its lists went back. Released blocks join the
// end of a list and are taken from its front, so that a tree made, released
// and made again keeps its blocks in the order of their addresses.
struct ThreadCache {
    FreeBlock *hot[kClasses]; // the last few released, handed out first
    std::uint32_t hot_count[kClasses];
    FreeBlock *take[kClasses];     // blocks to hand out next
    FreeBlock *released[kClasses]; // released blocks, oldest first
    FreeBlock *released_tail[kClasses];
    std::uint32_t released_count[kClasses];
    FreeBlock *full[kClasses]; // a whole chain set aside; null when none
    char *cut[kClasses];       // fresh blocks of the thread's page of the class
    char *cut_end[kClasses];
    bool ended; // everything went back; the thread is ending
};
thread_local ThreadCache t_cache;

// The calling thread's cache, or null: before its first block, and for good
// once the thread's blocks went back or when blocks are calloc's own.
// Finding a thread_local of a shared library is a call into the dynamic
// linker; this one pointer is in the static TLS block instead (8 bytes of
// the room the loader keeps for libraries opened later), so that after the
// first call it is a single load.
__attribute__((tls_model("initial-exec"))) thread_local ThreadCache *t_cache_at = nullptr;

// Gives back what a thread holds: its lists, its chain, and the blocks of
// its page it has not cut yet.
void give_back(ThreadCache &tc) {
    for (int c = 0; c < kClasses; ++c) {
        if (tc.full[c]) pool_put_chain(c, tc.full[c]);
        pool_put(c, tc.hot[c]);
        pool_put(c, tc.take[c]);
        pool_put(c, tc.released[c]);
        FreeBlock *rest = nullptr;
        const std::size_t size = class_size(c);
        for (char *at = tc.cut[c]; at != tc.cut_end[c]; at += size) {
            auto *block = reinterpret_cast<FreeBlock *>(at);
            block->next = rest;
            rest = block;
        }
        pool_put(c, rest);
        tc.hot[c] = tc.take[c] = tc.released[c] = tc.released_tail[c] = tc.full[c] = nullptr;
        tc.hot_count[c] = tc.released_count[c] = 0;
        tc.cut[c] = tc.cut_end[c] = nullptr;
    }
}

// Runs when a thread that used its cache ends: as a key's destructor, which
// the C library runs after the thread's thread_local objects are destroyed
// (they may still make and release blocks) and again for a cache first used
// by another key's destructor.
void flush_thread_cache(void *) {
    t_cache_at = nullptr;
    t_cache.ended = true;
    give_back(t_cache);
}

struct FlushKey {
    pthread_key_t key{};
    bool made = ::pthread_key_create(&key, flush_thread_cache) == 0;
};
const FlushKey g_flush_key;

// The pools and regions outlive every thread: they have no destructor, and
// their locks are held across fork(), so that a child made while other
// threads were taking or giving blocks can take and give them too.
struct HeldAcrossFork {
    HeldAcrossFork() {
        platform::hold_across_fork(g_region_lock);
        for (ClassPool &pool : g_pools) platform::hold_across_fork(pool.lock);
    }
} const g_held_across_fork;

// Whether every block is calloc's own in this run: under valgrind, so that it
// sees each one.
bool plain_blocks() {
#if defined(VELK_HAVE_VALGRIND_H)
    static const bool plain = RUNNING_ON_VALGRIND != 0;
    return plain;
#else
    return false;
#endif
}

// The first use on a thread sets the key whose destructor gives everything
// back when the thread ends.
__attribute__((noinline)) ThreadCache *find_thread_cache() {
    if (plain_blocks() || t_cache.ended || !g_flush_key.made) return nullptr;
    if (::pthread_setspecific(g_flush_key.key, &t_cache) != 0) return nullptr;
    return t_cache_at = &t_cache;
}

// Zero-fills a block of a class: whole 16-byte steps, as every class is a
// multiple of 16. Records and short texts (up to 128 bytes) get the stores
// written out, since a call to memset costs more than they do.
inline void zero_block(void *block, std::size_t size) {
    auto *p = static_cast<unsigned char *>(block);
    const std::uint64_t zero[2] = {0, 0};
    switch ((size + 15) >> 4) {
    case 8:
        std::memcpy(p + 112, zero, 16);
        [[fallthrough]];
    case 7:
        std::memcpy(p + 96, zero, 16);
        [[fallthrough]];
    case 6:
        std::memcpy(p + 80, zero, 16);
        [[fallthrough]];
    case 5:
        std::memcpy(p + 64, zero, 16);
        [[fallthrough]];
    case 4:
        std::memcpy(p + 48, zero, 16);
        [[fallthrough]];
    case 3:
        std::memcpy(p + 32, zero, 16);
        [[fallthrough]];
    case 2:
        std::memcpy(p + 16, zero, 16);
        [[fallthrough]];
    case 1:
        std::memcpy(p, zero, 16);
        break;
    default:
        std::memset(p, 0, (size + 15) & ~std::size_t(15));
    }
}

inline void *pop(FreeBlock *&list, std::size_t size) {
    FreeBlock *block = list;
    FreeBlock *next = block->next;
    list = next;
    prefetch_for_write(next); // the next allocation of the class reads it
    zero_block(block, size);
    return block;
}

// The thread's released list of class c, taken whole; the list is empty after.
FreeBlock *take_released(ThreadCache &tc, int c) {
    FreeBlock *list = tc.released[c];
    tc.released[c] = tc.released_tail[c] = nullptr;
    tc.released_count[c] = 0;
    return list;
}

// The thread's list to take from and its page of class c are empty. Blocks
// released are taken back oldest first: the pool's chains, the thread's
// chain set aside, its released list; then blocks sorted onto their pages;
// then a new page of the thread's own.
__attribute__((noinline)) void *alloc_refill(ThreadCache &tc, int c, std::size_t size) {
    FreeBlock *next = pool_take_chain(c);
    if (!next && (next = tc.full[c])) tc.full[c] = nullptr;
    if (!next) next = take_released(tc, c);
    if (next || (next = pool_take_sorted(c))) {
        tc.take[c] = next;
        return pop(tc.take[c], size);
    }
    char *page = take_page(c);
    if (!page) return std::calloc(1, size);
    const std::size_t step = class_size(c);
    tc.cut[c] = page + kHeaderSize + step;
    tc.cut_end[c] = page + kHeaderSize + kBlocksPerPage.of[c] * step;
    return page + kHeaderSize;
}

__attribute__((noinline)) void *alloc_slow(std::size_t size) {
    ThreadCache *tc = find_thread_cache();
    if (!tc) return std::calloc(1, size);
    return alloc_refill(*tc, class_of(size), size);
}

// The released list of class c reached a chain's length: it is set aside,
// and a chain set aside before goes to the pool.
__attribute__((noinline)) void set_chain_aside(ThreadCache &tc, int c) {
    if (tc.full[c]) pool_put_chain(c, tc.full[c]);
    tc.full[c] = take_released(tc, c);
}

// A caller that makes and releases a few blocks between the ones it keeps
// gets those few back at once, and the kept ones lie side by side.
constexpr std::uint32_t kHotBlocks = 4;

inline void push(ThreadCache &tc, int c, FreeBlock *block) {
    if (tc.hot_count[c] < kHotBlocks) {
        ++tc.hot_count[c];
        block->next = tc.hot[c];
        tc.hot[c] = block;
        return;
    }
    block->next = nullptr;
    if (tc.released[c])
        tc.released_tail[c]->next = block;
    else
        tc.released[c] = block;
    tc.released_tail[c] = block;
    if (++tc.released_count[c] == kChain.of[c]) set_chain_aside(tc, c);
}

__attribute__((noinline)) void free_slow(FreeBlock *block, int c) {
    if (ThreadCache *tc = find_thread_cache()) return push(*tc, c, block);
    block->next = nullptr;
    pool_put(c, block);
}

} // namespace

void *block_alloc(std::size_t size) {
    if (size == 0) size = 1;
    if (size > kMaxSmall) return std::calloc(1, size);
    ThreadCache *tc = t_cache_at;
    if (__builtin_expect(tc == nullptr, 0)) return alloc_slow(size);
    int c = class_of(size);
    if (tc->hot[c]) {
        --tc->hot_count[c];
        return pop(tc->hot[c], size);
    }
    if (tc->take[c]) return pop(tc->take[c], size);
    char *fresh = tc->cut[c];
    if (fresh != tc->cut_end[c]) {
        tc->cut[c] = fresh + class_size(c);
        return fresh; // still zero from the region
    }
    return alloc_refill(*tc, c, size);
}

void block_free(void *block) {
    int c = class_of_block(block);
    if (c < 0) {
        std::free(block);
        return;
    }
    auto *b = static_cast<FreeBlock *>(block);
    ThreadCache *tc = t_cache_at;
    if (__builtin_expect(tc == nullptr, 0)) return free_slow(b, c);
    push(*tc, c, b);
}

std::size_t block_cache_bytes() { return g_region_bytes.load(std::memory_order_relaxed); }

#endif

} // namespace velk::platform
