#include "frame/faces.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "frame/memory.h"
#include "frame/platform.h"

namespace velk {

PlainArg::~PlainArg() { platform::bstr_free(bstr_bytes(s_)); }

std::string_view PlainArg::view() const noexcept { return bstr_view(s_); }

std::string_view bstr_view(velk_bstr s) noexcept {
    return s ? std::string_view(bstr_bytes(s), platform::bstr_len(bstr_bytes(s))) : std::string_view();
}

std::string_view z_arg(const char *s) noexcept {
    return s ? std::string_view(s, std::strlen(s)) : std::string_view();
}

velk_bstr plain_result(std::string_view bytes) noexcept { return bstr_of(bstr_new(bytes)); }

velk_bstr plain_result(TextBuffer &built) noexcept {
    const auto len = static_cast<std::uint32_t>(built.size());
    char *block = built.release();
    if (!block) return plain_result(std::string_view());
    if (char *adopted = platform::bstr_adopt(block, len)) return bstr_of(adopted);
    const velk_bstr copied = plain_result(std::string_view(block + platform::kBstrFront, len));
    std::free(block);
    return copied;
}

namespace {

// One return buffer per family and thread: a z result stays valid until the
// next z call of the same family on the same thread. A thread's buffers are
// made at its first z call and released when it ends.
struct ReturnBuffers {
    ScratchBlock family[2];
};

// Runs when a thread that made its buffers ends.
void release_buffers(void *value) { delete static_cast<ReturnBuffers *>(value); }

ReturnBuffers *thread_buffers() {
    auto *buffers = static_cast<ReturnBuffers *>(platform::thread_value());
    if (buffers) return buffers;
    buffers = new (std::nothrow) ReturnBuffers();
    if (buffers && !platform::set_thread_value(buffers, release_buffers)) {
        delete buffers;
        return nullptr;
    }
    return buffers;
}

} // namespace

const char *z_result(Family family, std::string_view bytes) noexcept {
    static const char empty[1] = {0};
    ReturnBuffers *buffers = thread_buffers();
    if (!buffers) return empty;
    ScratchBlock &buffer = buffers->family[static_cast<int>(family)];
    if (bytes.size() + 1 > buffer.capacity()) {
        // Copy before releasing the old contents, in case the bytes live there.
        ScratchBlock grown;
        if (!grown.reserve(bytes.size() + 1)) return empty;
        if (!bytes.empty()) std::memcpy(grown.data(), bytes.data(), bytes.size());
        buffer.swap(grown);
    } else if (!bytes.empty()) {
        std::memmove(buffer.data(), bytes.data(), bytes.size());
    }
    buffer.data()[bytes.size()] = 0;
    return buffer.data();
}

} // namespace velk
