// Windows side of the platform seam: the real kernel32 and oleaut32 calls.
#include "frame/platform.h"

#include <windows.h>
#include <oleauto.h>

#include <atomic>

namespace velk::platform {

void *block_alloc(std::size_t size) { return GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, size); }

void block_free(void *block) {
    if (block) GlobalFree(block);
}

std::size_t block_cache_bytes() { return 0; }
bool blocks_watched() { return true; }
void BlockRelease::settle() {}

namespace {

std::atomic<ThreadValueRelease> g_release{nullptr};

VOID NTAPI release_thread_value(PVOID value) {
    ThreadValueRelease release = g_release.load();
    if (value && release) release(value);
}

// The slot goes back when the module unloads, so that no thread that ends
// later calls into a module that is gone.
struct ThreadSlot {
    DWORD index = FlsAlloc(release_thread_value);
    ~ThreadSlot() {
        if (index != FLS_OUT_OF_INDEXES) FlsFree(index);
    }
};

DWORD thread_slot() {
    static ThreadSlot slot;
    return slot.index;
}

} // namespace

void *thread_value() {
    DWORD index = thread_slot();
    return index == FLS_OUT_OF_INDEXES ? nullptr : FlsGetValue(index);
}

bool set_thread_value(void *value, ThreadValueRelease release) {
    g_release.store(release);
    DWORD index = thread_slot();
    return index != FLS_OUT_OF_INDEXES && FlsSetValue(index, value);
}

static_assert(sizeof(SRWLOCK) == sizeof(void *), "Lock holds an SRWLOCK");

void Lock::lock() noexcept { AcquireSRWLockExclusive(reinterpret_cast<PSRWLOCK>(&srw_)); }

void Lock::unlock() noexcept { ReleaseSRWLockExclusive(reinterpret_cast<PSRWLOCK>(&srw_)); }

void hold_across_fork(Lock &) {}

char *bstr_alloc(const char *bytes, std::uint32_t len) {
    BSTR s = SysAllocStringByteLen(bytes, len);
    return reinterpret_cast<char *>(s);
}

char *bstr_adopt(char *, std::uint32_t) { return nullptr; }

void bstr_free(char *s) { SysFreeString(reinterpret_cast<BSTR>(s)); }

std::uint32_t bstr_len(const char *s) {
    return s ? SysStringByteLen(reinterpret_cast<BSTR>(const_cast<char *>(s))) : 0;
}

bool file_exists(const char *name) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(name, &entry);
    if (search == INVALID_HANDLE_VALUE) return false;
    const DWORD skip = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    bool found = false;
    do {
        found = (entry.dwFileAttributes & skip) == 0;
    } while (!found && FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

std::uint32_t file_open(const char *name, Access access, Share share, FileHandle *out) {
    *out = kNoFile;
    DWORD rights = access == Access::read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    DWORD sharing = share == Share::none   ? 0
                    : share == Share::read ? FILE_SHARE_READ
                                           : FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE h = CreateFileA(name, rights, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError();
    *out = reinterpret_cast<FileHandle>(h);
    return 0;
}

std::uint32_t file_create(const char *name, const char *, FileHandle *out) {
    *out = kNoFile;
    HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError();
    *out = reinterpret_cast<FileHandle>(h);
    return 0;
}

std::uint32_t file_read(FileHandle file, void *buffer, std::size_t size, std::size_t *got) {
    *got = 0;
    auto *at = static_cast<char *>(buffer);
    while (*got < size) {
        DWORD chunk = static_cast<DWORD>(size - *got > 0x40000000 ? 0x40000000 : size - *got);
        DWORD n = 0;
        if (!ReadFile(reinterpret_cast<HANDLE>(file), at + *got, chunk, &n, nullptr)) return GetLastError();
        if (n == 0) break;
        *got += n;
    }
    return 0;
}

std::uint32_t file_write(FileHandle file, const void *bytes, std::size_t size) {
    auto *at = static_cast<const char *>(bytes);
    while (size > 0) {
        DWORD chunk = static_cast<DWORD>(size > 0x40000000 ? 0x40000000 : size);
        DWORD n = 0;
        if (!WriteFile(reinterpret_cast<HANDLE>(file), at, chunk, &n, nullptr)) return GetLastError();
        if (n == 0) return ERROR_DISK_FULL;
        at += n;
        size -= n;
    }
    return 0;
}

std::uint32_t file_size(FileHandle file, std::uint64_t *size) {
    LARGE_INTEGER n;
    if (!GetFileSizeEx(reinterpret_cast<HANDLE>(file), &n)) return GetLastError();
    *size = static_cast<std::uint64_t>(n.QuadPart);
    return 0;
}

std::uint32_t file_close(FileHandle file) {
    return CloseHandle(reinterpret_cast<HANDLE>(file)) ? 0 : GetLastError();
}

std::uint32_t file_delete(const char *name) { return DeleteFileA(name) ? 0 : GetLastError(); }

std::uint32_t file_replaceable(const char *name) {
    DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
    if (attributes & FILE_ATTRIBUTE_READONLY) return ERROR_ACCESS_DENIED;
    // Leave to delete the file is what a replacement needs; an opener that
    // did not share it refuses this open.
    HANDLE h = CreateFileA(name, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(h);
    return 0;
}

std::uint32_t file_rename(const char *from, const char *to, bool replace) {
    return MoveFileExA(from, to, replace ? MOVEFILE_REPLACE_EXISTING : 0) ? 0 : GetLastError();
}

std::uint32_t process_id() { return GetCurrentProcessId(); }

} // namespace velk::platform
