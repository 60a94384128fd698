#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "frame/memory.h"
#include "frame/text.h"
#include "support.h"

using namespace velk_test;

TEST(Memory, GetAsciizCopiesEveryByteAndAddsNul) {
    BlockWatch watch;
    auto *block = static_cast<char *>(GetAsciiz(bs(std::string_view("a\0b", 3))));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(0, std::memcmp(block, "a\0b\0", 4));
    EXPECT_STREQ(block, "a"); // read as stored text: up to the first NUL
    FreeMem(block);
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(Memory, GetAsciizOfEmptyTextAllocatesNothing) {
    velk::testing::reset_allocation_count();
    EXPECT_EQ(GetAsciiz(nullptr), nullptr);
    EXPECT_EQ(velk::testing::allocations_since_reset(), 0u);
}

TEST(Memory, GetMemGivesZeroFilledBlocks) {
    auto *block = static_cast<unsigned char *>(GetMem(64));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(block[i], 0) << i;
    FreeMem(block);
    // A zero-byte block is whatever the platform gives; non-null is released.
    if (void *empty = GetMem(0)) FreeMem(empty);
    FreeMem(nullptr);
    EXPECT_EQ(GetMem(-1), nullptr); // a negative size is refused
}

TEST(Memory, TestsCountEveryBlockMadeAndReleased) {
    // The counts every leak check here relies on are switched on.
    long before = velk::testing::live_blocks();
    void *block = GetMem(8);
    EXPECT_EQ(velk::testing::live_blocks(), before + 1);
    FreeMem(block);
    EXPECT_EQ(velk::testing::live_blocks(), before);
}

TEST(Memory, FailureSwitchFailsExactlyTheNthAllocation) {
    FailureReset reset;
    velk::testing::fail_allocation(2);
    void *first = GetMem(8);
    void *second = GetMem(8);
    void *third = GetMem(8);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_NE(third, nullptr);
    FreeMem(first);
    FreeMem(third);
}

TEST(Memory, GetAsciizReportsExhaustionAndReleasesItsArgument) {
    FailureReset reset;
    BlockWatch watch;
    velk::testing::fail_allocation(1);
    EXPECT_EQ(GetAsciiz(bs("text")), nullptr);
    EXPECT_EQ(watch.leaked(), 0);
}

TEST(Text, ShortCopiesHoldEveryByteAndFindTheByteWhereverItIs) {
    // Sizes on both sides of each way of copying (bytes, two 4-byte words,
    // two 8-byte words), the byte sought at every place, and bytes next to
    // it in value, whose borrows could pass for it.
    for (std::size_t size = 0; size <= 16; ++size) {
        for (std::size_t at = 0; at <= size; ++at) {
            for (unsigned char b : {0x26, 0x25, 0x27, 0xA6, 0x00, 0xFF, 0x01}) {
                std::string from(size, 'x');
                if (at < size) from[at] = static_cast<char>(b);
                std::string to(size + 2, '#');
                bool found = velk::copy_short(to.data(), from.data(), size, '&');
                EXPECT_EQ(found, at < size && b == '&') << size << " " << at << " " << int(b);
                EXPECT_EQ(to.substr(0, size), from) << size << " " << at << " " << int(b);
                EXPECT_EQ(to.substr(size), "##") << size; // nothing written beyond
            }
        }
    }
}

// A stored text and a data block end at their first NUL (a data block at its
// count when it holds none), whatever the rest of the block holds: their
// lengths are found 16 bytes at a time where blocks may be read whole.
TEST(Text, BlocksEndAtTheirFirstNulWhateverLiesBehind) {
    for (std::size_t size = 1; size <= 40; ++size) {
        const std::size_t whole = (size + 16) / 16 * 16; // the block is ours to its last byte
        auto *block = static_cast<char *>(velk::mem_get(whole));
        ASSERT_NE(block, nullptr);
        for (std::size_t nul = 0; nul <= size; ++nul) {
            std::memset(block, 'y', whole);
            std::memset(block, 'x', nul);
            block[nul] = 0;
            EXPECT_EQ(velk::text_read(block).size(), nul) << size;
            EXPECT_EQ(velk::block_text_length(block, size), nul) << size;
            EXPECT_EQ(velk::block_text_length(block, nul / 2), nul / 2) << size;
        }
        std::memset(block, 'x', whole); // no NUL at all: the count ends it
        EXPECT_EQ(velk::block_text_length(block, size), size);
        velk::mem_free(block);
    }
    EXPECT_EQ(velk::text_read(nullptr).size(), 0u);
}
