// POSIX memory blocks. A parsed document is hundreds of thousands of small
// blocks (records and short texts) made in a row on one thread and usually
// released together, so blocks up to kMaxSmall bytes are cut from pages of
// size classes instead of calloc, and making them reads no free list:
//
// - Pages of 16 KiB, aligned to their size, are cut from zero-filled regions
//   taken from calloc (so the process's heap figures still show them) and
//   never given back. A page holds blocks of one size class; a page map
//   (address >> 14 -> class) tells on release whether a block is one of
//   ours and of which class; anything else goes to free().
// - A thread cuts the blocks of a class from a page of its own by moving a
//   pointer through it, so the blocks of a parse lie in memory in the order
//   they were made. Each page counts its blocks in use, and marks the blocks
//   released in its header (one bit per 16 bytes: the bit of a block's
//   first 16 bytes). While a thread cuts from a page, its count carries
//   kOwned, so that it cannot reach zero; the thread adds what it handed out
//   when it moves on to another page.
// - A release sets the block's bit and lowers the count, with atomic steps,
//   so that any thread may release any block. The library's chains (a tree,
//   a list) are released through a BlockRelease, which settles with each
//   page once for the run of its blocks that the chain holds.
// - A page whose count reaches zero is reused whole: the thread that
//   released its last block clears its marks and keeps it among the free
//   pages of its own (up to kKeptPages, then they go to every thread's), and
//   any class cuts from it again. A thread that finds everything it cut
//   from its page back again starts over on the same page.
// - A page that a few kept blocks hold (a node kept of every document, say)
//   is not lost: when more than a quarter of its blocks came back, it joins
//   its class's partial pages, and a thread needing a page for the class
//   takes it first and hands out its released blocks (the marks, word by
//   word), before it takes a free page or memory from the system.
// - When a thread ends, it gives up the pages it cuts from (the blocks not
//   cut yet count as released) and its free pages; after that, its
//   allocations use calloc, and its releases work as before. In a child
//   made by fork(), the pages that the parent's other threads cut from or
//   kept stay theirs: their blocks in use are released as any, but those
//   pages are not cut from again.
//
// Blocks are zero-filled and aligned to 16 bytes, as malloc's: a page used
// before is zero-filled a little ahead of the blocks cut from it, and a
// released block handed out again is zero-filled on its own.
// Under AddressSanitizer, and in a build configured with VELK_BLOCKS=calloc
// (which defines VELK_PLAIN_BLOCKS), every block is calloc's own, so that
// memory tools see each one. Under valgrind, which its client request tells
// at run time, every block is calloc's own too, unless the build was
// configured with VELK_BLOCKS=pages (VELK_PAGES_UNDER_VALGRIND) to profile
// the pages. The build decides: the library reads no environment variable.
#include "frame/compiler.h"
#include "frame/platform.h"

#include <algorithm>
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

__thread BlockCursor *t_block_cursor __attribute__((tls_model("initial-exec"))) = nullptr;

#if defined(VELK_PLAIN_BLOCKS)

void *block_alloc(std::size_t size) { return std::calloc(1, size ? size : 1); }
void block_free(void *block) { std::free(block); }
std::size_t block_cache_bytes() { return 0; }
bool blocks_watched() { return true; }
void BlockRelease::take(void *block) { std::free(block); }
void BlockRelease::settle() {}

#else

namespace {

constexpr std::size_t kMaxSmall = kSmallBlockMax;
constexpr int kClasses = kBlockClasses;

constexpr unsigned kPageShift = kBlockPageShift;
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

// A page's count while a thread cuts from it: far above any count of blocks.
constexpr std::int64_t kOwned = std::int64_t(1) << 40;

// The head of every page. The marks of released blocks are set by any
// thread; they are cleared by the thread that takes them back (a word at a
// time) or, when the count reached zero, by the thread that reuses the page.
constexpr std::size_t kBitWords = kPageSize / 16 / 64;
static_assert(kBitWords == BlockRelease::kMarkWords);
struct PageHeader {
    std::atomic<std::int64_t> live; // blocks in use (+ kOwned while a thread cuts from the page)
    std::atomic<std::uint64_t> released[kBitWords];
    PageHeader *next; // among free pages, or among its class's partial pages
    PageHeader *prev; // among its class's partial pages
    std::atomic<std::uint8_t> cls;
    bool listed; // among its class's partial pages (under the class's lock)
};
constexpr std::size_t kHeaderSize = (sizeof(PageHeader) + 15) & ~std::size_t(15);

struct PerClass {
    std::uint32_t of[kClasses];
};
constexpr PerClass make_capacity() {
    PerClass p{};
    for (int c = 0; c < kClasses; ++c)
        p.of[c] = static_cast<std::uint32_t>((kPageSize - kHeaderSize) / block_class_size(c));
    return p;
}
constexpr PerClass kBlocksPerPage = make_capacity();
// A page with fewer blocks in use than this (more than a quarter of them
// released) is worth cutting from again before it is empty.
constexpr PerClass make_partial() {
    PerClass p{};
    for (int c = 0; c < kClasses; ++c)
        p.of[c] = kBlocksPerPage.of[c] - kBlocksPerPage.of[c] / 4;
    return p;
}
constexpr PerClass kPartialBelow = make_partial();

inline PageHeader *page_of(const void *block) {
    return reinterpret_cast<PageHeader *>(reinterpret_cast<std::uintptr_t>(block) & ~(kPageSize - 1));
}
inline std::size_t bit_of(const void *block) {
    return (reinterpret_cast<std::uintptr_t>(block) & (kPageSize - 1)) >> 4;
}
inline char *first_block(PageHeader *page) { return reinterpret_cast<char *>(page) + kHeaderSize; }

// A class's partial pages.
struct alignas(64) ClassPool {
    std::mutex lock;
    PageHeader *partial = nullptr;
};
ClassPool g_pools[kClasses];

std::mutex g_region_lock;
PageHeader *g_free_pages = nullptr; // pages whose every block came back
char *g_next_page = nullptr;        // pages of the newest region not handed out yet
char *g_pages_end = nullptr;
std::atomic<std::size_t> g_region_bytes{0};

void unlist(ClassPool &pool, PageHeader *page) {
    if (page->prev)
        page->prev->next = page->next;
    else
        pool.partial = page->next;
    if (page->next) page->next->prev = page->prev;
    page->listed = false;
}

void enlist(ClassPool &pool, PageHeader *page) {
    page->listed = true;
    page->prev = nullptr;
    page->next = pool.partial;
    if (pool.partial) pool.partial->prev = page;
    pool.partial = page;
}

// Free pages a thread keeps for itself before it gives them to every thread.
constexpr std::uint32_t kKeptPages = 64;

// Trivially destructible, so that it stays usable while the thread's other
// objects are destroyed after its pages went back.
struct ThreadCache : BlockCursor {
    PageHeader *page[kClasses];            // the page of the class it cuts from; null when none
    char *cut_from[kClasses];              // where the run cut now began: the first block, or released ones
    std::uint32_t handed_before[kClasses]; // blocks handed out from the page before the run cut now
    std::uint32_t mark_word[kClasses];     // the next word of marks to take back
    std::uint64_t marks[kClasses];         // released blocks taken back, not handed out yet
    PageHeader *free_pages;                // pages whose every block came back
    PageHeader *free_tail;
    std::uint32_t free_count;
    bool ended; // everything went back; the thread is ending
};
thread_local ThreadCache t_cache;

// The calling thread's cache, or null: before its first block, and for good
// once the thread's pages went back or when blocks are calloc's own.
inline ThreadCache *thread_cache() { return static_cast<ThreadCache *>(t_block_cursor); }

// Clears the marks of a page none of whose blocks is in use: no other
// thread can touch them.
void clear_marks(PageHeader *page) {
    for (auto &word : page->released)
        word.store(0, std::memory_order_relaxed);
}

// The blocks the thread handed out from its page of class c since it took
// the page: those of runs before and those cut from the present one.
std::int64_t handed(const ThreadCache &tc, int c) {
    return tc.handed_before[c] +
           static_cast<std::int64_t>((tc.cut[c] - tc.cut_from[c]) / block_class_size(c));
}

// Forgets what the thread cut from its page of class c and took back.
void clear_runs(ThreadCache &tc, int c) {
    tc.cut[c] = tc.end[c] = tc.limit[c] = tc.cut_from[c] = nullptr;
    tc.handed_before[c] = 0;
    tc.marks[c] = 0;
    tc.mark_word[c] = 0;
}

// A page whose every block came back: its marks are cleared and it goes to
// the free pages of the calling thread, or of every thread.
void reuse_whole(PageHeader *page, int c) {
    {
        ClassPool &pool = g_pools[c];
        std::lock_guard<std::mutex> hold(pool.lock);
        if (page->listed) unlist(pool, page);
    }
    clear_marks(page);
    ThreadCache *tc = thread_cache();
    if (tc) {
        page->next = tc->free_pages;
        if (!tc->free_pages) tc->free_tail = page;
        tc->free_pages = page;
        if (++tc->free_count < kKeptPages) return;
        page = tc->free_pages;
        tc->free_pages = nullptr;
        tc->free_count = 0;
    } else {
        page->next = nullptr;
    }
    PageHeader *tail = tc ? tc->free_tail : page;
    std::lock_guard<std::mutex> hold(g_region_lock);
    tail->next = g_free_pages;
    g_free_pages = page;
}

// Under its class's lock: a page with few blocks in use joins the partial
// pages, unless it is empty (the thread that emptied it reuses it), cut
// from, already there, or no longer of the class.
void enlist_if_partial(PageHeader *page, int c) {
    ClassPool &pool = g_pools[c];
    std::lock_guard<std::mutex> hold(pool.lock);
    // The class first: a page of another class now is that class's, and
    // its listing is read only under that class's lock.
    if (page->cls.load(std::memory_order_relaxed) != c) return;
    std::int64_t live = page->live.load(std::memory_order_acquire);
    if (live > 0 && live < kPartialBelow.of[c] && !page->listed) enlist(pool, page);
}

// count blocks of the page came back, the count was before; their marks are set.
inline void settle_page(PageHeader *page, int c, std::uint32_t count) {
    std::int64_t before = page->live.fetch_sub(count, std::memory_order_acq_rel);
    std::int64_t now = before - count;
    if (__builtin_expect(now >= kPartialBelow.of[c], 1)) return;
    if (now == 0)
        reuse_whole(page, c);
    else if (before >= kPartialBelow.of[c])
        enlist_if_partial(page, c);
}

// The thread stops cutting from its page of class c: what it handed out
// counts in the page now, and what it did not becomes released.
void leave_page(ThreadCache &tc, int c) {
    PageHeader *page = tc.page[c];
    const std::size_t size = block_class_size(c);
    const std::int64_t out = handed(tc, c);
    // Blocks not cut (a thread that ends leaves some) and released blocks
    // taken back but not handed out are marked released again.
    for (char *at = tc.cut[c]; at != tc.limit[c]; at += size) {
        std::size_t bit = bit_of(at);
        page->released[bit >> 6].fetch_or(std::uint64_t(1) << (bit & 63), std::memory_order_relaxed);
    }
    if (tc.marks[c] && tc.mark_word[c] > 0)
        page->released[tc.mark_word[c] - 1].fetch_or(tc.marks[c], std::memory_order_relaxed);
    tc.page[c] = nullptr;
    clear_runs(tc, c);
    std::int64_t now;
    {
        // Under the class's lock, so that a release that finds the page
        // partial waits until it can tell whether the page is listed.
        ClassPool &pool = g_pools[c];
        std::lock_guard<std::mutex> hold(pool.lock);
        now = page->live.fetch_add(out - kOwned, std::memory_order_acq_rel) + out - kOwned;
        if (now > 0 && now < kPartialBelow.of[c]) enlist(pool, page);
    }
    if (now == 0) reuse_whole(page, c);
}

// Starts cutting class c from a page whose count is kOwned (every block
// free). A page used before is zero-filled a little at a time, just ahead
// of the blocks cut (see alloc_refill), while those bytes are about to be
// written anyway; a page new from the system is zero already.
void cut_whole(ThreadCache &tc, int c, PageHeader *page, bool used_before) {
    tc.page[c] = page;
    tc.cut[c] = tc.cut_from[c] = first_block(page);
    tc.limit[c] = first_block(page) + kBlocksPerPage.of[c] * block_class_size(c);
    tc.end[c] = used_before ? tc.cut[c] : tc.limit[c];
}

// Bytes of blocks zero-filled at a time: whole blocks, about 2 KiB.
constexpr std::size_t zero_step(int c) {
    return block_class_size(c) < 2048 ? 2048 / block_class_size(c) * block_class_size(c)
                                      : block_class_size(c);
}

// A partial page of class c, taken to hand out its released blocks; null
// when the class has none.
PageHeader *take_partial(int c) {
    ClassPool &pool = g_pools[c];
    std::lock_guard<std::mutex> hold(pool.lock);
    while (PageHeader *page = pool.partial) {
        unlist(pool, page);
        std::int64_t live = page->live.load(std::memory_order_relaxed);
        // A page that just became empty is the releasing thread's to reuse.
        while (live > 0 && !page->live.compare_exchange_weak(live, live + kOwned, std::memory_order_acq_rel))
            ;
        if (live > 0) return page;
    }
    return nullptr;
}

// A page whose every block is free: the thread's own, every thread's, or a
// new one from the system (still zero: *used_before is false); null when
// memory is exhausted. It is entered in the map for class c.
PageHeader *take_free_page(ThreadCache &tc, int c, bool *used_before) {
    PageHeader *page = tc.free_pages;
    *used_before = true;
    if (page) {
        tc.free_pages = page->next;
        --tc.free_count;
    } else {
        std::lock_guard<std::mutex> hold(g_region_lock);
        if ((page = g_free_pages)) {
            g_free_pages = page->next;
        } else if (g_next_page != g_pages_end) {
            *used_before = false;
            page = reinterpret_cast<PageHeader *>(g_next_page);
            g_next_page += kPageSize;
        } else {
            void *raw = std::calloc(1, kRegionBytes);
            if (!raw) return nullptr;
            std::uintptr_t first = (reinterpret_cast<std::uintptr_t>(raw) + kPageSize - 1) & ~(kPageSize - 1);
            std::uint64_t first_page = static_cast<std::uint64_t>(first) >> kPageShift;
            if (!map_span(first_page, first_page + kRegionPages - 1)) {
                std::free(raw);
                return nullptr;
            }
            page = reinterpret_cast<PageHeader *>(first);
            *used_before = false;
            g_next_page = reinterpret_cast<char *>(first) + kPageSize;
            g_pages_end = reinterpret_cast<char *>(first) + kRegionPages * kPageSize;
            g_region_bytes.fetch_add(kRegionBytes, std::memory_order_relaxed);
        }
    }
    page->cls.store(static_cast<std::uint8_t>(c), std::memory_order_relaxed);
    map_page(page, c);
    page->live.store(kOwned, std::memory_order_release);
    return page;
}

// Gives back what a thread holds: the pages it cuts from and its free pages.
void give_back(ThreadCache &tc) {
    for (int c = 0; c < kClasses; ++c)
        if (tc.page[c]) leave_page(tc, c);
    if (tc.free_pages) {
        std::lock_guard<std::mutex> hold(g_region_lock);
        tc.free_tail->next = g_free_pages;
        g_free_pages = tc.free_pages;
    }
    tc.free_pages = tc.free_tail = nullptr;
    tc.free_count = 0;
}

// Runs when a thread that used its cache ends: as a key's destructor, which
// the C library runs after the thread's thread_local objects are destroyed
// (they may still make and release blocks) and again for a cache first used
// by another key's destructor.
void flush_thread_cache(void *) {
    give_back(t_cache);
    t_block_cursor = nullptr;
    t_cache.ended = true;
}

struct FlushKey {
    pthread_key_t key{};
    bool made = ::pthread_key_create(&key, flush_thread_cache) == 0;
};
const FlushKey g_flush_key;

// The pools and regions outlive every thread: they have no destructor, and
// their locks are held across fork(), so that a child made while other
// threads were taking or giving pages can take and give them too.
struct HeldAcrossFork {
    HeldAcrossFork() {
        platform::hold_across_fork(g_region_lock);
        for (ClassPool &pool : g_pools)
            platform::hold_across_fork(pool.lock);
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
    t_block_cursor = &t_cache;
    return &t_cache;
}

// Takes back the next run of released blocks side by side on the thread's
// page of class c, taking the page's marks a word at a time, and cuts from
// the run as from a page of its own (zero-filled first); false when no
// released block is left.
bool take_run(ThreadCache &tc, int c) {
    PageHeader *page = tc.page[c];
    while (!tc.marks[c]) {
        if (tc.mark_word[c] == kBitWords) return false;
        tc.marks[c] = page->released[tc.mark_word[c]++].exchange(0, std::memory_order_acquire);
    }
    const std::size_t size = block_class_size(c);
    std::uint64_t marks = tc.marks[c];
    const auto first = static_cast<unsigned>(__builtin_ctzll(marks));
    std::size_t run = 0;
    for (unsigned bit = first; bit < 64 && (marks >> bit & 1); bit += static_cast<unsigned>(size >> 4), ++run)
        marks &= ~(std::uint64_t(1) << bit);
    tc.marks[c] = marks;
    tc.handed_before[c] += static_cast<std::uint32_t>((tc.cut[c] - tc.cut_from[c]) / size);
    char *start = reinterpret_cast<char *>(page) + (((tc.mark_word[c] - 1) * 64 + first) << 4);
    std::memset(start, 0, run * size);
    tc.cut[c] = tc.cut_from[c] = start;
    tc.end[c] = tc.limit[c] = start + run * size;
    return true;
}

// Nothing is left to cut from the thread's page of class c. Before another
// page: released blocks of this page; the same page again when every block
// it handed out came back; then a partial page of the class, a free page,
// and a new page from the system.
__attribute__((noinline)) void *alloc_refill(ThreadCache &tc, int c, std::size_t size) {
    if (tc.end[c] != tc.limit[c]) {
        std::size_t step = std::min(zero_step(c), static_cast<std::size_t>(tc.limit[c] - tc.end[c]));
        std::memset(tc.end[c], 0, step);
        tc.end[c] += step;
        return tc.cut_next(c);
    }
    if (PageHeader *page = tc.page[c]) {
        const std::int64_t in_use = page->live.load(std::memory_order_acquire) - kOwned + handed(tc, c);
        if (in_use == 0) {
            // No other thread can touch the page: none of its blocks is in use.
            clear_marks(page);
            page->live.store(kOwned, std::memory_order_relaxed);
            clear_runs(tc, c);
            cut_whole(tc, c, page, true);
        } else if (in_use >= kPartialBelow.of[c] || !take_run(tc, c)) {
            leave_page(tc, c);
        }
    }
    if (!tc.page[c] && (tc.page[c] = take_partial(c)) && !take_run(tc, c))
        leave_page(tc, c); // none left after all: on to a free page
    if (!tc.page[c]) {
        bool used_before;
        PageHeader *page = take_free_page(tc, c, &used_before);
        if (!page) return std::calloc(1, size);
        cut_whole(tc, c, page, used_before);
    }
    if (tc.cut[c] == tc.end[c]) return alloc_refill(tc, c, size); // zero-fills the first blocks
    return tc.cut_next(c);
}

} // namespace

// The common case is block_alloc_inline's; here also a thread's first block.
void *block_alloc(std::size_t size) {
    if (size == 0) size = 1;
    if (size > kMaxSmall) return std::calloc(1, size);
    ThreadCache *tc = thread_cache();
    if (!tc && !(tc = find_thread_cache())) return std::calloc(1, size);
    const int c = block_class(size);
    return tc->cut[c] == tc->end[c] ? alloc_refill(*tc, c, size) : tc->cut_next(c);
}

void block_free(void *block) {
    int c = class_of_block(block);
    if (c < 0) {
        std::free(block);
        return;
    }
    PageHeader *page = page_of(block);
    std::size_t bit = bit_of(block);
    page->released[bit >> 6].fetch_or(std::uint64_t(1) << (bit & 63), std::memory_order_release);
    settle_page(page, c, 1);
}

// A block of another page than its entry's: the entry's blocks are settled
// and the entry goes to the block's page.
void BlockRelease::take(void *block) {
    const auto at = reinterpret_cast<std::uintptr_t>(block);
    if (class_of_block(block) < 0) {
        std::free(block);
        return;
    }
    const std::size_t entry = (at >> kPageShift) % kPending;
    if (pages_[entry]) settle_one(entry);
    pages_[entry] = at >> kPageShift;
    std::uint64_t *marks = marks_ + entry * kMarkWords;
    for (std::size_t w = 0; w < kMarkWords; ++w)
        marks[w] = 0;
    marks_[mark_word(at)] = std::uint64_t(1) << ((at >> 4) & 63);
}

void BlockRelease::settle_one(std::size_t entry) {
    auto *page = reinterpret_cast<PageHeader *>(pages_[entry] << kPageShift);
    const std::uint64_t *marks = marks_ + entry * kMarkWords;
    std::uint32_t count = 0;
    for (std::size_t w = 0; w < kBitWords; ++w) {
        if (!marks[w]) continue;
        count += static_cast<std::uint32_t>(__builtin_popcountll(marks[w]));
        page->released[w].fetch_or(marks[w], std::memory_order_release);
    }
    settle_page(page, class_of_block(page), count);
    pages_[entry] = 0;
}

void BlockRelease::settle() {
    for (std::size_t entry = 0; entry < kPending; ++entry)
        if (pages_[entry]) settle_one(entry);
}

std::size_t block_cache_bytes() { return g_region_bytes.load(std::memory_order_relaxed); }
bool blocks_watched() { return plain_blocks(); }

#endif

} // namespace velk::platform
