// The platform seam: the only door to the operating system. Everything above
// it works on bytes; platform_win32.cpp and platform_posix.cpp are the only
// files that include windows.h or POSIX headers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velk::platform {

// Memory blocks: fixed and zero-filled (GlobalAlloc(GMEM_FIXED|GMEM_ZEROINIT)
// on Windows). Null when the platform refuses.
void *block_alloc(std::size_t size);
void block_free(void *block);

// Counted byte strings as callers exchange them: the data pointer of a string
// with a 32-bit byte count in front. A null pointer is the empty string.
char *bstr_alloc(const char *bytes, std::uint32_t len);
void bstr_free(char *s);
std::uint32_t bstr_len(const char *s);

#if !defined(_WIN32)
// The Windows error code that means what this errno means, so that one table
// of file error numbers serves both platforms. ENOENT is "file not found"
// when the folder of the file exists and "path not found" when it does not.
std::uint32_t windows_code_from_errno(int err, bool folder_exists);
#endif

} // namespace velk::platform
