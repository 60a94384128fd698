// Memory blocks and stored texts: every record and every stored text of the
// library is a fixed, zero-filled block of its own.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "frame/compiler.h"
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
// Whether the 16 bytes at the start of a block of the library, and the
// aligned 16 bytes that hold any of its bytes, may be read whole, past the
// bytes in use: blocks cut from pages are at least 16 bytes and aligned to
// 16, and an aligned load never leaves the page of the bytes it holds; only
// a memory tool watching every block's bounds (the blocks are then the
// system's own) would object.
inline bool blocks_read_whole() noexcept {
    static const bool whole = !kAddressSanitizer && !platform::blocks_watched();
    return whole;
}

#if defined(__SSE2__)
// The NULs among the first 16 bytes of a block, a bit each (bit i: byte i);
// only where blocks_read_whole().
inline unsigned first_nuls(const char *block) noexcept {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(block));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_setzero_si128())));
}
#endif

// The length of the bytes of a block before its first NUL, at most limit:
// where a block's first 16 bytes may be read whole, one compare finds a NUL
// among them.
inline std::size_t block_text_length(const char *block, std::size_t limit) noexcept {
#if defined(__SSE2__)
    if (blocks_read_whole()) {
        if (const unsigned nuls = first_nuls(block))
            return std::min<std::size_t>(static_cast<std::size_t>(__builtin_ctz(nuls)), limit);
        if (limit <= 16) return limit;
    }
#endif
    const void *nul = std::memchr(block, 0, limit);
    return nul ? static_cast<std::size_t>(static_cast<const char *>(nul) - block) : limit;
}

// Stored-text reading: the bytes up to the first NUL; null reads as "".
inline std::string_view text_read(const char *stored) noexcept {
    if (!stored) return {};
#if defined(__SSE2__)
    if (blocks_read_whole())
        if (const unsigned nuls = first_nuls(stored))
            return {stored, static_cast<std::size_t>(__builtin_ctz(nuls))};
#endif
    return std::string_view(stored);
}

// A new counted string holding the bytes; null for the empty text, and null
// when the string cannot be had.
char *bstr_new(std::string_view bytes) noexcept;

// Counts an allocation against the failure switch; false means "fail this one".
// Every allocation of the library asks this first.
bool allocation_permitted() noexcept;

} // namespace velk
