// POSIX side of the platform seam: the library's own counted strings, errno
// mapped onto Windows error codes. Memory blocks are in blocks_posix.cpp.
#include "frame/platform.h"

#include <atomic>
#include <cerrno>
#include <cstdio> // renameat2
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <glob.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "frame/codes.h"
#include "frame/faces.h"
#include "velk_xml.h"

namespace velk::platform {

namespace {
constexpr std::size_t kPrefix = sizeof(std::uint32_t);
}

// A caller makes and releases a counted string for every argument of the
// plain face, so short ones are small blocks (block_free tells them from
// malloc's); long ones come from malloc, as the bytes overwrite them anyway.
char *bstr_alloc(const char *bytes, std::uint32_t len) {
    // Count in front, the data, then two NUL bytes as the Windows layout has.
    const std::size_t size = kPrefix + std::size_t(len) + 2;
    auto *raw = static_cast<char *>(size <= kSmallBlockMax ? block_alloc(size) : std::malloc(size));
    if (!raw) return nullptr;
    std::memcpy(raw, &len, kPrefix);
    char *data = raw + kPrefix;
    if (bytes && len)
        std::memcpy(data, bytes, len);
    else if (len)
        std::memset(data, 0, len);
    data[len] = 0;
    data[len + 1] = 0;
    return data;
}

char *bstr_adopt(char *block, std::uint32_t len) {
    static_assert(kBstrFront == kPrefix);
    const std::size_t size = kPrefix + std::size_t(len) + 2;
    if (size <= kSmallBlockMax) return nullptr; // bstr_alloc makes a small block of it
    // A text built by doubling may leave up to half of its block unused.
    if (void *fitted = std::realloc(block, size)) block = static_cast<char *>(fitted);
    std::memcpy(block, &len, kPrefix);
    char *data = block + kPrefix;
    data[len] = 0;
    data[len + 1] = 0;
    return data;
}

void bstr_free(char *s) {
    if (s) block_free(s - kPrefix);
}

std::uint32_t bstr_len(const char *s) {
    if (!s) return 0;
    std::uint32_t len;
    std::memcpy(&len, s - kPrefix, kPrefix);
    return len;
}

namespace {

struct ErrnoCode {
    int err;
    std::uint32_t code;
};

// The Windows code that means what each errno means; ENOENT depends on the
// folder and is answered apart.
constexpr ErrnoCode kErrnoCodes[] = {
    {ENOTDIR, win::kPathNotFound}, {EMFILE, win::kTooManyOpenFiles}, {ENFILE, win::kTooManyOpenFiles},
    {EACCES, win::kAccessDenied},  {EPERM, win::kAccessDenied},      {ENOMEM, win::kNotEnoughMemory},
    {EROFS, win::kWriteProtect},   {EBUSY, win::kSharingViolation},  {EWOULDBLOCK, win::kSharingViolation},
    {ENOSPC, win::kDiskFull},      {EEXIST, win::kFileExists},
};

} // namespace

std::uint32_t windows_code_from_errno(int err, bool folder_exists) {
    if (err == ENOENT) return folder_exists ? win::kFileNotFound : win::kPathNotFound;
    for (const ErrnoCode &known : kErrnoCodes)
        if (known.err == err) return known.code;
    return win::kIoDevice; // an error with no closer match
}

namespace {

bool is_regular(const char *path) {
    struct stat st;
    return ::stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

// The folder that holds the name: "." for a bare name, "/" for one at the
// root.
std::string folder_of(const char *name) {
    std::string path(name);
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    path.resize(slash == 0 ? 1 : slash);
    return path;
}

// Whether the folder that would hold the name exists, which tells "file not
// found" from "path not found" as Windows does.
bool folder_exists(const char *name) {
    struct stat st;
    return ::stat(folder_of(name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::uint32_t code_for(int err, const char *name) {
    return windows_code_from_errno(err, err == ENOENT ? folder_exists(name) : true);
}

} // namespace

namespace {

// The value lives under one key for all threads. The C library runs a key's
// destructor when a thread ends, after the thread's thread_local objects are
// destroyed, and runs it again for a value set by another destructor, so a
// thread that first calls the library while it ends still gives its value
// back.
std::atomic<ThreadValueRelease> g_release{nullptr};

void release_value(void *value) {
    ThreadValueRelease release = g_release.load();
    if (value && release) release(value);
}

struct ValueKey {
    pthread_key_t key{};
    bool made = ::pthread_key_create(&key, release_value) == 0;
};

const ValueKey &value_key() {
    static const ValueKey key;
    return key;
}

} // namespace

void *thread_value() {
    const ValueKey &key = value_key();
    return key.made ? ::pthread_getspecific(key.key) : nullptr;
}

bool set_thread_value(void *value, ThreadValueRelease release) {
    g_release.store(release);
    const ValueKey &key = value_key();
    return key.made && ::pthread_setspecific(key.key, value) == 0;
}

namespace {

// The locks held across fork(): taken in the order given, released in the
// other order. Each is given while the library loads or on a first call,
// never at a fork.
constexpr int kForkLocks = 32;
std::atomic<Lock *> g_fork_locks[kForkLocks];
std::atomic<int> g_fork_lock_count{0};

void take_fork_locks() {
    const int n = g_fork_lock_count.load();
    for (int i = 0; i < n; ++i)
        g_fork_locks[i].load()->lock();
}

void release_fork_locks() {
    for (int i = g_fork_lock_count.load(); i-- > 0;)
        g_fork_locks[i].load()->unlock();
}

} // namespace

void hold_across_fork(Lock &lock) {
    static const bool registered =
        ::pthread_atfork(take_fork_locks, release_fork_locks, release_fork_locks) == 0;
    if (!registered) return;
    const int at = g_fork_lock_count.load();
    if (at == kForkLocks) return;
    g_fork_locks[at].store(&lock);
    g_fork_lock_count.store(at + 1);
}

bool file_exists(const char *name) {
    if (!std::strpbrk(name, "*?")) return is_regular(name);
    glob_t found;
    bool any = false;
    if (::glob(name, GLOB_NOSORT, nullptr, &found) == 0) {
        for (std::size_t i = 0; i < found.gl_pathc && !any; ++i)
            any = is_regular(found.gl_pathv[i]);
    }
    ::globfree(&found);
    return any;
}

std::uint32_t file_open(const char *name, Access access, Share share, FileHandle *out) {
    *out = kNoFile;
    // Non-blocking, so that a pipe or device under the name cannot stall the
    // open; anything but a regular file is refused below.
    int fd = ::open(name, (access == Access::read ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return code_for(errno, name);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return win::kAccessDenied; // a folder or device, as Windows answers
    }
    // An exclusive open locks others out; a shared one (readers, or readers
    // and writers) takes a shared lock, so that an exclusive opener waits for it.
    if (::flock(fd, (share == Share::none ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        int err = errno;
        ::close(fd);
        return windows_code_from_errno(err, true);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    *out = fd;
    return 0;
}

std::uint32_t file_create(const char *name, const char *like, FileHandle *out) {
    *out = kNoFile;
    // A file that is to take another's place is private until it has that
    // file's permission bits: nobody can open it before.
    int fd = ::open(name, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, like ? 0600 : 0666);
    if (fd < 0) return code_for(errno, name);
    struct stat st;
    if (like && ::stat(like, &st) == 0) {
        // The owner first, since a change of owner may clear mode bits; a
        // process that may not give the file away may still give it the
        // group. Where a step is refused the file stays the process's own,
        // or private.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) (void)!::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
        (void)!::fchmod(fd, st.st_mode & 0777);
    }
    *out = fd;
    return 0;
}

std::uint32_t file_read(FileHandle file, void *buffer, std::size_t size, std::size_t *got) {
    *got = 0;
    auto *at = static_cast<char *>(buffer);
    while (*got < size) {
        ssize_t n = ::read(static_cast<int>(file), at + *got, size - *got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return windows_code_from_errno(errno, true);
        if (n == 0) break;
        *got += static_cast<std::size_t>(n);
    }
    return 0;
}

std::uint32_t file_write(FileHandle file, const void *bytes, std::size_t size) {
    auto *at = static_cast<const char *>(bytes);
    while (size > 0) {
        ssize_t n = ::write(static_cast<int>(file), at, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return windows_code_from_errno(errno, true);
        if (n == 0) return win::kDiskFull; // nothing written
        at += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

std::uint32_t file_size(FileHandle file, std::uint64_t *size) {
    struct stat st;
    if (::fstat(static_cast<int>(file), &st) != 0) return windows_code_from_errno(errno, true);
    *size = static_cast<std::uint64_t>(st.st_size);
    return 0;
}

std::uint32_t file_close(FileHandle file) {
    return ::close(static_cast<int>(file)) == 0 ? 0 : windows_code_from_errno(errno, true);
}

std::uint32_t file_delete(const char *name) { return ::unlink(name) == 0 ? 0 : code_for(errno, name); }

std::uint32_t file_replaceable(const char *name) {
    // Another opener's exclusive lock keeps the file; a shared one (a reader)
    // does not, since the reader goes on reading the old file. A file that
    // this process may not read cannot be asked about its locks.
    int fd = ::open(name, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        ::close(fd);
        if (held) return win::kSharingViolation;
    }
    // Replacing a file removes its name from the folder: the folder must be
    // writable and, when sticky, the file or the folder this process's own.
    std::string folder = folder_of(name);
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return code_for(errno, name);
    struct stat dir, entry;
    const uid_t me = ::geteuid();
    if (::stat(folder.c_str(), &dir) == 0 && (dir.st_mode & S_ISVTX) && me != 0 &&
        ::lstat(name, &entry) == 0 && entry.st_uid != me && dir.st_uid != me)
        return win::kAccessDenied;
    return 0;
}

std::uint32_t file_rename(const char *from, const char *to, bool replace) {
    if (replace) return ::rename(from, to) == 0 ? 0 : code_for(errno, to);
#if defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return code_for(errno, to);
#endif
    // A system or file system without an exclusive rename: a second name,
    // which is refused when taken, then the first name removed.
    if (::link(from, to) != 0) return code_for(errno, to);
    ::unlink(from);
    return 0;
}

std::uint32_t process_id() { return static_cast<std::uint32_t>(::getpid()); }

} // namespace velk::platform

// The counted-string functions that Windows callers get from oleaut32; the
// faces convert between the header's string type and the bytes.
extern "C" {
VELK_API velk_bstr SysAllocStringByteLen(const char *bytes, uint32_t len) {
    return velk::bstr_of(velk::platform::bstr_alloc(bytes, len));
}
VELK_API void SysFreeString(velk_bstr s) { velk::platform::bstr_free(velk::bstr_bytes(s)); }
VELK_API uint32_t SysStringByteLen(velk_bstr s) { return velk::platform::bstr_len(velk::bstr_bytes(s)); }
}
