// Memory blocks and stored texts: every record and every stored text of the
// library is a fixed, zero-filled block of its own.
#pragma once

#include <atomic>
#include <cstddef>
#include <string_view>
#include <utility>

#include "frame/platform.h"

namespace velk {

namespace detail {
// Set once the tests asked for counting or for the failure switch; until
// then a block costs one load of this flag beyond the block itself.
extern std::atomic<bool> g_watched;
void *mem_get_watched(std::size_t size) noexcept;
void mem_free_watched(void *block) noexcept;
} // namespace detail

// GetMem: a zero-filled block, or null when memory is exhausted. Inline, as
// a parse asks for hundreds of thousands of them.
inline void *mem_get(std::size_t size) noexcept {
    if (__builtin_expect(detail::g_watched.load(std::memory_order_relaxed), 0))
        return detail::mem_get_watched(size);
    return platform::block_alloc_inline(size);
}
// mem_get for a caller that writes each of the block's size bytes itself
// before anything reads them: the block may come not zero-filled.
inline void *mem_get_written(std::size_t size) noexcept {
    if (__builtin_expect(detail::g_watched.load(std::memory_order_relaxed), 0))
        return detail::mem_get_watched(size);
    return platform::block_alloc_written(size);
}
// FreeMem: null is ignored.
inline void mem_free(void *block) noexcept {
    if (!block) return;
    if (__builtin_expect(detail::g_watched.load(std::memory_order_relaxed), 0))
        return detail::mem_free_watched(block);
    platform::block_free(block);
}

// Releases the blocks of a chain (a tree, a list), each as mem_free does;
// where blocks are cut from pages, a page is settled once for each run of
// its blocks, so a chain released in the order it was made costs little
// more than reading it. Null is ignored.
class ChainRelease {
  public:
    void operator()(void *block) noexcept {
        if (!block) return;
        if (__builtin_expect(watched_, 0)) return detail::mem_free_watched(block);
        batch_.release(block);
    }

  private:
    // Asked once for the chain: the tests that watch blocks ask before.
    const bool watched_ = detail::g_watched.load(std::memory_order_relaxed);
    platform::BlockRelease batch_;
};

// Allocates and zero-fills one record of type T; null when memory is exhausted.
template <class T> T *make_record() noexcept { return static_cast<T *>(mem_get(sizeof(T))); }

// A block of the library's memory owned by a scope: grown on demand (the old
// contents are not kept) and released with its owner. It never throws, so it
// serves code that reports a refused block as a result (file reading, the z
// return buffers). A text built by appending is a TextBuffer
// (frame/text_buffer.h).
class ScratchBlock {
  public:
    ScratchBlock() = default;
    ScratchBlock(const ScratchBlock &) = delete;
    ScratchBlock &operator=(const ScratchBlock &) = delete;
    ~ScratchBlock() { mem_free(data_); }
    char *data() const { return data_; }
    std::size_t capacity() const { return capacity_; }
    void swap(ScratchBlock &other) {
        std::swap(data_, other.data_);
        std::swap(capacity_, other.capacity_);
    }
    // Room for at least size bytes; false when memory is exhausted.
    bool reserve(std::size_t size) {
        if (size <= capacity_) return true;
        auto *grown = static_cast<char *>(mem_get(size));
        if (!grown) return false;
        mem_free(data_);
        data_ = grown;
        capacity_ = size;
        return true;
    }

  private:
    char *data_ = nullptr;
    std::size_t capacity_ = 0;
};

// GetAsciiz: the bytes followed by one NUL in a block of their own. The empty
// text is stored as null, and null is also the answer when no block can be had.
char *text_store(std::string_view text) noexcept;
// Stored-text reading: the bytes up to the first NUL; null reads as "".
inline std::string_view text_read(const char *stored) noexcept {
    return stored ? std::string_view(stored) : std::string_view();
}

// A new counted string holding the bytes; null for the empty text, and null
// when the string cannot be had.
char *bstr_new(std::string_view bytes) noexcept;

// Counts an allocation against the failure switch; false means "fail this one".
// Every allocation of the library asks this first.
bool allocation_permitted() noexcept;

} // namespace velk
