// Memory blocks as the platform hands them out: zero-filled, aligned, never
// shared, releasable from any thread, and reused rather than piled up. Where
// blocks are cut from pages kept for reuse, the tests also check that the
// memory taken from the system stops growing.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "frame/memory.h"
#include "frame/platform.h"
#include "support.h"

using namespace velk_test;

namespace {

// Sizes on both sides of every boundary a size-class scheme could have, up
// to past the largest small block, and some large ones.
std::vector<std::size_t> boundary_sizes() {
    std::vector<std::size_t> sizes = {1, 2, 7, 8, 9};
    for (std::size_t edge = 16; edge <= 1024; edge += 16) {
        sizes.push_back(edge - 1);
        sizes.push_back(edge);
        sizes.push_back(edge + 1);
    }
    for (std::size_t big : {2047, 2048, 4096, 65535, 65536, 65537, 1 << 20})
        sizes.push_back(big);
    return sizes;
}

bool all_zero(const unsigned char *p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (p[i]) return false;
    return true;
}

// Fills a block with a mark of its own and checks it later: two blocks that
// overlap, or a block handed out twice, spoil each other's mark.
void mark(void *block, std::size_t n, std::uint32_t tag) {
    auto *p = static_cast<unsigned char *>(block);
    for (std::size_t i = 0; i < n; ++i)
        p[i] = static_cast<unsigned char>(tag + i * 7);
}
bool has_mark(const void *block, std::size_t n, std::uint32_t tag) {
    auto *p = static_cast<const unsigned char *>(block);
    for (std::size_t i = 0; i < n; ++i)
        if (p[i] != static_cast<unsigned char>(tag + i * 7)) return false;
    return true;
}

struct Held {
    void *block;
    std::size_t size;
    std::uint32_t tag;
};

} // namespace

TEST(Blocks, EverySizeIsZeroFilledAlignedAndSeparateEvenWhenReused) {
    BlockWatch watch;
    const auto sizes = boundary_sizes();
    for (int round = 0; round < 3; ++round) { // later rounds get released blocks back
        std::vector<Held> held;
        std::uint32_t tag = 1;
        for (std::size_t size : sizes) {
            for (int copy = 0; copy < 3; ++copy) {
                void *block = velk::mem_get(size);
                ASSERT_NE(block, nullptr) << size;
                EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % alignof(std::max_align_t), 0u) << size;
                EXPECT_TRUE(all_zero(static_cast<unsigned char *>(block), size))
                    << size << " round " << round;
                mark(block, size, tag);
                held.push_back({block, size, tag++});
            }
        }
        for (const Held &h : held) {
            EXPECT_TRUE(has_mark(h.block, h.size, h.tag)) << h.size;
            velk::mem_free(h.block);
        }
    }
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(Blocks, LargeBlocksAreZeroFilled) {
    for (std::size_t size : {std::size_t(3) << 20, std::size_t(40) << 20}) {
        auto *block = static_cast<unsigned char *>(velk::mem_get(size));
        ASSERT_NE(block, nullptr);
        EXPECT_TRUE(all_zero(block, size));
        std::memset(block, 0xEE, size);
        velk::mem_free(block);
    }
}

TEST(Blocks, AllocatingAndReleasingInALoopTakesNoNewMemory) {
    auto churn = [] {
        for (int i = 0; i < 200000; ++i) {
            void *a = velk::mem_get(24 + i % 300);
            void *b = velk::mem_get(80);
            velk::mem_free(a);
            velk::mem_free(b);
        }
    };
    churn();
    std::size_t before = velk::testing::block_cache_bytes();
    churn();
    EXPECT_EQ(velk::testing::block_cache_bytes(), before);
}

TEST(Blocks, MemoryReleasedInOneSizeServesAnother) {
    BlockWatch watch;
    auto fill = [](std::size_t size, int count) {
        std::vector<void *> blocks;
        for (int i = 0; i < count; ++i)
            blocks.push_back(velk::mem_get(size));
        return blocks;
    };
    auto release = [](std::vector<void *> &blocks) {
        for (void *block : blocks)
            velk::mem_free(block);
        blocks.clear();
    };
    auto large = fill(200, 20000);
    release(large);
    std::size_t before = velk::testing::block_cache_bytes();
    auto small = fill(40, 40000); // under half the bytes of the first ones
    for (void *block : small)
        ASSERT_TRUE(block && all_zero(static_cast<unsigned char *>(block), 40));
    EXPECT_EQ(velk::testing::block_cache_bytes(), before);
    release(small);
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(Blocks, BlocksMadeOnOneThreadAreReleasedOnAnother) {
    BlockWatch watch;
    std::size_t settled = 0;
    for (int round = 0; round < 30; ++round) {
        std::vector<Held> made;
        std::thread maker([&] {
            for (std::uint32_t i = 0; i < 5000; ++i) {
                std::size_t size = 8 + i % 500;
                void *block = velk::mem_get(size);
                if (!block) return;
                mark(block, size, i);
                made.push_back({block, size, i});
            }
        });
        maker.join();
        ASSERT_EQ(made.size(), 5000u);
        std::thread releaser([&] {
            for (const Held &h : made) {
                EXPECT_TRUE(has_mark(h.block, h.size, h.tag));
                velk::mem_free(h.block);
            }
        });
        releaser.join();
        // Handed from thread to thread, the same memory serves every round.
        if (round == 1) {
            settled = velk::testing::block_cache_bytes();
        } else if (round > 1) {
            ASSERT_EQ(velk::testing::block_cache_bytes(), settled) << "round " << round;
        }
    }
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(Blocks, ManyThreadsAllocateAndReleaseAtOnceAndAcrossEachOther) {
    BlockWatch watch;
    constexpr int kThreads = 6;
    std::mutex exchange_lock;
    std::vector<Held> exchange; // blocks one thread made for another to release
    std::atomic<int> faults{0};
    std::atomic<std::uint32_t> next_tag{1};
    auto work = [&](unsigned seed) {
        std::mt19937 rng(seed);
        std::vector<Held> mine;
        for (int step = 0; step < 40000; ++step) {
            unsigned r = rng() % 10;
            if (r < 5 || mine.empty()) {
                std::size_t size = rng() % 4 == 0 ? 1 + rng() % 3000 : 1 + rng() % 200;
                void *block = velk::mem_get(size);
                if (!block || !all_zero(static_cast<unsigned char *>(block), size)) {
                    ++faults;
                    velk::mem_free(block);
                    continue;
                }
                std::uint32_t tag = next_tag++;
                mark(block, size, tag);
                mine.push_back({block, size, tag});
            } else {
                std::size_t pick = rng() % mine.size();
                Held h = mine[pick];
                mine[pick] = mine.back();
                mine.pop_back();
                if (!has_mark(h.block, h.size, h.tag)) ++faults;
                if (r == 9) {
                    std::lock_guard<std::mutex> hold(exchange_lock);
                    exchange.push_back(h);
                    continue;
                }
                velk::mem_free(h.block);
            }
            if (step % 64 == 0) {
                std::vector<Held> theirs;
                {
                    std::lock_guard<std::mutex> hold(exchange_lock);
                    theirs.swap(exchange);
                }
                for (const Held &h : theirs) {
                    if (!has_mark(h.block, h.size, h.tag)) ++faults;
                    velk::mem_free(h.block);
                }
            }
        }
        for (const Held &h : mine)
            velk::mem_free(h.block);
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(work, 100u + t);
    for (auto &t : threads)
        t.join();
    for (const Held &h : exchange)
        velk::mem_free(h.block);
    EXPECT_EQ(faults.load(), 0);
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(Blocks, MemoryHeldByAThreadGoesBackWhenItEnds) {
    // Each thread leaves blocks of every size on its free lists when it ends.
    auto visit = [] {
        std::thread([] {
            std::vector<void *> held;
            for (int i = 0; i < 20000; ++i)
                held.push_back(velk::mem_get(1 + i % 512));
            for (void *block : held)
                velk::mem_free(block);
        }).join();
    };
    visit();
    if (velk::testing::block_cache_bytes() == 0) GTEST_SKIP() << "blocks are the system's own here";
    std::size_t before = velk::testing::block_cache_bytes();
    for (int i = 0; i < 100; ++i)
        visit();
    EXPECT_EQ(velk::testing::block_cache_bytes(), before);
}

namespace {
// Made before the thread's first block, so destroyed after the thread's
// lists went back: it still releases and allocates.
struct LateUser {
    void *held = nullptr;
    std::atomic<bool> *ok = nullptr;
    ~LateUser() {
        velk::mem_free(held);
        auto *block = static_cast<unsigned char *>(velk::mem_get(40));
        bool zero = block && all_zero(block, 40);
        velk::mem_free(block);
        if (ok) ok->store(zero);
    }
};
thread_local LateUser t_late;
} // namespace

TEST(Blocks, AThreadsLastObjectsMayStillUseBlocks) {
    BlockWatch watch;
    std::atomic<bool> ok{false};
    std::thread([&] {
        t_late.ok = &ok;
        t_late.held = velk::mem_get(40);
        std::memset(t_late.held, 0x55, 40);
    }).join();
    EXPECT_TRUE(ok.load());
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(Blocks, ATreeSizedBatchReleasedAndMadeAgainIsZeroFilledSeparateAndTakesNoNewMemory) {
    // Far more blocks of each size than a thread keeps for itself, released
    // in the order they were made, as a parsed document is.
    BlockWatch watch;
    std::size_t settled = 0;
    for (int round = 0; round < 4; ++round) {
        std::vector<Held> held;
        for (std::uint32_t i = 0; i < 120000; ++i) {
            std::size_t size = i % 3 == 0 ? 80 : 1 + (i * 37) % 200;
            auto *block = static_cast<unsigned char *>(velk::mem_get(size));
            ASSERT_NE(block, nullptr);
            ASSERT_TRUE(all_zero(block, size)) << size << " round " << round;
            mark(block, size, i + 1000u * static_cast<std::uint32_t>(round));
            held.push_back({block, size, i + 1000u * static_cast<std::uint32_t>(round)});
        }
        for (const Held &h : held) {
            ASSERT_TRUE(has_mark(h.block, h.size, h.tag));
            velk::mem_free(h.block);
        }
        if (round == 0)
            settled = velk::testing::block_cache_bytes();
        else
            EXPECT_EQ(velk::testing::block_cache_bytes(), settled) << "round " << round;
    }
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(Blocks, CountedStringsOfEverySizeHoldTheirBytesAndAreReleasedOnAnyThread) {
    std::vector<velk_bstr> made;
    std::vector<std::string> bytes;
    for (std::size_t len = 0; len < 1100; len += len < 530 ? 1 : 37) {
        std::string b(len, '\0');
        for (std::size_t i = 0; i < len; ++i)
            b[i] = static_cast<char>('a' + (len + i) % 26);
        made.push_back(velk_strings::make_string(b));
        bytes.push_back(b);
    }
    for (std::size_t i = 0; i < made.size(); ++i) {
        if (bytes[i].empty()) continue;
        ASSERT_NE(made[i], nullptr);
        ASSERT_EQ(velk_strings::string_length(made[i]), bytes[i].size());
        const char *text = VELK_BSTR_BYTES(made[i]); // the string type is wchar_t * on Windows
        EXPECT_EQ(std::string(text, bytes[i].size()), bytes[i]);
        EXPECT_EQ(text[bytes[i].size()], 0);
        EXPECT_EQ(text[bytes[i].size() + 1], 0);
    }
    run_on_own_thread([&] {
        for (velk_bstr s : made)
            velk_strings::free_string(s);
    });
}

TEST(Blocks, PagesThatAFewKeptBlocksHoldAreCutFromAgain) {
    // A program that keeps one block of every batch it makes, as one that
    // keeps a node of each document it parses, and releases the rest in any
    // order: the pages the kept blocks hold are cut from again, zero-filled,
    // rather than new memory taken for every batch.
    BlockWatch watch;
    std::mt19937 rng(7);
    std::vector<Held> kept;
    std::size_t settled = 0;
    for (std::uint32_t round = 0; round < 400; ++round) {
        std::vector<Held> batch;
        for (std::uint32_t i = 0; i < 3000; ++i) {
            std::size_t size = i % 2 ? 80 : 1 + (i * 13 + round) % 48;
            auto *block = static_cast<unsigned char *>(velk::mem_get(size));
            ASSERT_NE(block, nullptr);
            ASSERT_TRUE(all_zero(block, size)) << size << " round " << round;
            mark(block, size, round * 3000 + i);
            batch.push_back({block, size, round * 3000 + i});
        }
        std::size_t keep = rng() % batch.size();
        kept.push_back(batch[keep]);
        batch.erase(batch.begin() + static_cast<std::ptrdiff_t>(keep));
        std::shuffle(batch.begin(), batch.end(), rng);
        for (const Held &h : batch) {
            ASSERT_TRUE(has_mark(h.block, h.size, h.tag));
            velk::mem_free(h.block);
        }
        if (round == 20) settled = velk::testing::block_cache_bytes();
    }
    // Without reuse, 380 batches would each hold a page of their own more.
    EXPECT_LE(velk::testing::block_cache_bytes(), settled + (std::size_t(1) << 20));
    for (const Held &h : kept) {
        EXPECT_TRUE(has_mark(h.block, h.size, h.tag));
        velk::mem_free(h.block);
    }
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(Blocks, ChainsReleasedInRunsGiveEveryPageBackWhicheverThreadReleasesThem) {
    // A tree or a list goes back through a BlockRelease, which settles with
    // each page once per run of its blocks (the tests' block counting takes
    // the plain path, so the chains' own path is driven here directly).
    // Blocks of every size, some the system's own, are released in the
    // order made, shuffled, or on another thread, a few kept each round:
    // every block made after is zero-filled and separate, and the memory
    // taken from the system stops growing. Every third block is one that its
    // caller writes whole (not zero-filled when it comes from memory not
    // filled yet): the blocks made beside it are zero-filled all the same.
    namespace platform = velk::platform;
    std::mt19937 rng(11);
    std::vector<Held> kept;
    std::size_t settled = 0;
    for (std::uint32_t round = 0; round < 12; ++round) {
        std::vector<Held> chain;
        for (std::uint32_t i = 0; i < 20000; ++i) {
            std::size_t size = i % 97 == 0 ? 600 + i % 300 : 1 + rng() % 200;
            const bool written = i % 3 == 2;
            auto *block = static_cast<unsigned char *>(written ? platform::block_alloc_written(size)
                                                       : i % 3 ? platform::block_alloc_inline(size)
                                                               : platform::block_alloc(size));
            ASSERT_NE(block, nullptr);
            ASSERT_TRUE(written || all_zero(block, size)) << size << " round " << round;
            mark(block, size, round * 20000 + i);
            (i % 500 == 0 ? kept : chain).push_back({block, size, round * 20000 + i});
        }
        if (round % 3 == 1) std::shuffle(chain.begin(), chain.end(), rng);
        auto release = [&chain] {
            platform::BlockRelease release;
            for (const Held &h : chain) {
                EXPECT_TRUE(has_mark(h.block, h.size, h.tag));
                release.release(h.block);
            }
        };
        if (round % 3 == 2)
            std::thread(release).join();
        else
            release();
        if (round == 3) settled = velk::testing::block_cache_bytes();
    }
    EXPECT_LE(velk::testing::block_cache_bytes(), settled + (std::size_t(1) << 20));
    platform::BlockRelease release;
    for (const Held &h : kept) {
        EXPECT_TRUE(has_mark(h.block, h.size, h.tag));
        release.release(h.block);
    }
}
