// Windows side of the platform seam: the real kernel32 and oleaut32 calls.
#include "frame/platform.h"

#include <windows.h>
#include <oleauto.h>

namespace velk::platform {

void *block_alloc(std::size_t size) { return GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size); }

void block_free(void *block) {
    if (block) GlobalFree(block);
}

char *bstr_alloc(const char *bytes, std::uint32_t len) {
    BSTR s = SysAllocStringByteLen(bytes, len);
    return reinterpret_cast<char *>(s);
}

void bstr_free(char *s) { SysFreeString(reinterpret_cast<BSTR>(s)); }

std::uint32_t bstr_len(const char *s) {
    return s ? SysStringByteLen(reinterpret_cast<BSTR>(const_cast<char *>(s))) : 0;
}

} // namespace velk::platform
