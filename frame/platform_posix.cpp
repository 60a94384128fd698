// POSIX side of the platform seam: calloc for blocks, the library's own
// counted strings, errno mapped onto Windows error codes.
#include "frame/platform.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "velk_xml.h"

namespace velk::platform {

void *block_alloc(std::size_t size) { return std::calloc(1, size ? size : 1); }

void block_free(void *block) { std::free(block); }

namespace {
constexpr std::size_t kPrefix = sizeof(std::uint32_t);
}

char *bstr_alloc(const char *bytes, std::uint32_t len) {
    // Count in front, the data, then two NUL bytes as the Windows layout has.
    auto *raw = static_cast<char *>(std::malloc(kPrefix + std::size_t(len) + 2));
    if (!raw) return nullptr;
    std::memcpy(raw, &len, kPrefix);
    char *data = raw + kPrefix;
    if (bytes && len) std::memcpy(data, bytes, len);
    else if (len) std::memset(data, 0, len);
    data[len] = 0;
    data[len + 1] = 0;
    return data;
}

void bstr_free(char *s) {
    if (s) std::free(s - kPrefix);
}

std::uint32_t bstr_len(const char *s) {
    if (!s) return 0;
    std::uint32_t len;
    std::memcpy(&len, s - kPrefix, kPrefix);
    return len;
}

std::uint32_t windows_code_from_errno(int err, bool folder_exists) {
    switch (err) {
    case ENOENT: return folder_exists ? 2 : 3;
    case ENOTDIR: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM: return 5;
    case ENOMEM: return 8;
    case EROFS: return 19;
    case EBUSY:
    case EWOULDBLOCK: return 32;
    case ENOSPC: return 112;
    case EEXIST: return 80;
    default: return 1117; // ERROR_IO_DEVICE: an error with no closer match
    }
}

} // namespace velk::platform

// The counted-string functions that Windows callers get from oleaut32.
extern "C" {
VELK_API velk_bstr SysAllocStringByteLen(const char *bytes, uint32_t len) {
    return velk::platform::bstr_alloc(bytes, len);
}
VELK_API void SysFreeString(velk_bstr s) { velk::platform::bstr_free(s); }
VELK_API uint32_t SysStringByteLen(velk_bstr s) { return velk::platform::bstr_len(s); }
}
