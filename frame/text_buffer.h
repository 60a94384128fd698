// A growing byte buffer for building texts in one piece: appends are
// amortised constant time, so a writer never concatenates quadratically.
// The library's one buffer that keeps its contents as it grows; it throws
// std::bad_alloc, so it serves code that runs inside an export's shield. A
// scratch area that is refilled rather than appended to is a ScratchBlock
// (frame/memory.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

#include "frame/memory.h"

namespace velk {

class TextBuffer {
  public:
    // A result must fit a counted string (32-bit byte count) with a NUL
    // behind it for the z face; the buffer refuses to grow beyond that.
    static constexpr std::size_t kMaxSize = SIZE_MAX > 0xFFFFFFFFu ? std::size_t(0xFFFFFFFEu)
                                                                   : std::size_t(0x7FFFFFFEu);

    TextBuffer() = default;
    // A buffer whose text begins front bytes into its block, for a header
    // that whoever takes the block (release()) writes there.
    explicit TextBuffer(std::size_t front) : front_(front) {
        if (front == 0) return;
        grow(front);
        size_ = front;
    }
    ~TextBuffer() { std::free(data_); }
    TextBuffer(const TextBuffer &) = delete;
    TextBuffer &operator=(const TextBuffer &) = delete;

    // Makes room for n more bytes; throws std::bad_alloc when memory runs out
    // or the text would pass kMaxSize.
    void reserve_more(std::size_t n) {
        if (capacity_ - size_ < n) grow(n);
    }
    void append(const char *bytes, std::size_t n) {
        reserve_more(n);
        if (n) std::memcpy(data_ + size_, bytes, n);
        size_ += n;
    }
    void append(std::string_view s) { append(s.data(), s.size()); }
    void append_blanks(std::size_t n) {
        if (n == 0) return;
        reserve_more(n);
        std::memset(data_ + size_, ' ', n);
        size_ += n;
    }
    // Room for up to n bytes written straight behind the text; close_tail
    // then adds the number actually written.
    char *open_tail(std::size_t n) {
        reserve_more(n);
        return data_ + size_;
    }
    void close_tail(std::size_t written) { size_ += written; }

    std::string_view view() const { return {data_ + front_, size_ - front_}; }
    std::size_t size() const { return size_ - front_; }
    // The block of std::malloc's that holds the text behind its front bytes
    // (null while nothing was written), given up to the caller, who releases
    // it with std::free; the buffer is empty then.
    char *release() noexcept {
        char *block = data_;
        data_ = nullptr;
        size_ = capacity_ = 0;
        return block;
    }

  private:
    void grow(std::size_t n) {
        if (n > kMaxSize - size_) throw std::bad_alloc();
        std::size_t wanted = size_ + n;
        std::size_t capacity = capacity_ < 256 ? 256 : capacity_;
        while (capacity < wanted)
            capacity = capacity > kMaxSize / 2 ? kMaxSize : capacity * 2;
        // Counted like every allocation of the library, so that tests can
        // make it fail.
        auto *grown = allocation_permitted() ? static_cast<char *>(std::realloc(data_, capacity)) : nullptr;
        if (!grown) throw std::bad_alloc();
        data_ = grown;
        capacity_ = capacity;
    }

    std::size_t front_ = 0;
    char *data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

} // namespace velk
