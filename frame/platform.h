// The platform seam: the only door to the operating system. Everything above
// it works on bytes; platform_win32.cpp and platform_posix.cpp are the only
// files that include windows.h or POSIX headers.
#pragma once

#include <cstddef>
#include <cstdint>
#if !defined(_WIN32)
#include <mutex>
#endif

namespace velk::platform {

// Memory blocks: fixed and zero-filled (GlobalAlloc(GMEM_FIXED|GMEM_ZEROINIT)
// on Windows). Null when the platform refuses.
// Any block may be released by any thread.
void *block_alloc(std::size_t size);
void block_free(void *block);
#if !defined(_WIN32)
// Blocks up to this size are cut from pages kept for reuse, in this many size
// classes; larger ones are calloc's own. A page is 2^kBlockPageShift bytes,
// aligned to its size, and marks its released blocks with one bit per 16
// bytes.
constexpr std::size_t kSmallBlockMax = 512;
constexpr int kBlockClasses = 20;
constexpr unsigned kBlockPageShift = 14;

// The size classes: 16 to 256 bytes in steps of 16, then 320 to 512 in
// steps of 64.
constexpr int block_class(std::size_t size) {
    return size <= 256 ? static_cast<int>((size - 1) >> 4) : 16 + static_cast<int>((size - 257) >> 6);
}
constexpr std::size_t block_class_size(int c) {
    return c < 16 ? std::size_t(c + 1) * 16 : 256 + std::size_t(c - 15) * 64;
}

// What a thread cuts its next blocks from: for each class, the next block of
// its page, the end of the blocks zero-filled so far and the end of the
// page's blocks. Null before the thread's first block and after its pages
// went back. It sits in the static TLS block (8 bytes of the room the loader
// keeps for libraries opened later), so that reaching it is a single load.
struct BlockCursor {
    char *cut[kBlockClasses];
    char *end[kBlockClasses];
    char *limit[kBlockClasses];
    // The next block of class c; there is one (cut[c] != end[c]).
    char *cut_next(int c) {
        char *block = cut[c];
        cut[c] = block + block_class_size(c);
        return block;
    }
};
extern __thread BlockCursor *t_block_cursor __attribute__((tls_model("initial-exec")));

// block_alloc, with its common case inline: the next block of the thread's
// page of the class. A parse asks for hundreds of thousands of blocks, most
// of a size known where it asks.
inline void *block_alloc_inline(std::size_t size) {
    BlockCursor *cursor = t_block_cursor;
    if (__builtin_expect(cursor != nullptr && size - 1 < kSmallBlockMax, 1)) {
        const int c = block_class(size);
        if (__builtin_expect(cursor->cut[c] != cursor->end[c], 1)) return cursor->cut_next(c);
    }
    return block_alloc(size);
}

// block_alloc_inline for a caller that writes each of the block's first size
// bytes itself at once: a block not zero-filled yet is handed out as it is,
// which spares filling memory that is about to be written.
inline void *block_alloc_written(std::size_t size) {
    BlockCursor *cursor = t_block_cursor;
    if (__builtin_expect(cursor != nullptr && size - 1 < kSmallBlockMax, 1)) {
        const int c = block_class(size);
        if (__builtin_expect(cursor->cut[c] != cursor->end[c], 1)) return cursor->cut_next(c);
        if (cursor->end[c] != cursor->limit[c]) {
            cursor->end[c] += block_class_size(c);
            return cursor->cut_next(c);
        }
    }
    return block_alloc(size);
}
#else
inline void *block_alloc_inline(std::size_t size) { return block_alloc(size); }
inline void *block_alloc_written(std::size_t size) { return block_alloc(size); }
#endif
// Releases many blocks, each as block_free does: the library's chains (a
// tree, a list) go through one, so that where blocks are cut from pages, a
// page is settled once for each run of its blocks that the chain holds.
// settle(), which the destructor calls, completes what release() began.
class BlockRelease {
  public:
#if defined(_WIN32)
    BlockRelease() = default;
#else
    BlockRelease() {
        for (std::uintptr_t &page : pages_)
            page = 0;
    }
#endif
    BlockRelease(const BlockRelease &) = delete;
    BlockRelease &operator=(const BlockRelease &) = delete;
    ~BlockRelease() { settle(); }
    // The block is not null.
    void release(void *block) {
#if defined(_WIN32)
        block_free(block);
#else
        // Inline for the common case: another block of a page that one of
        // the last blocks released was on.
        const auto at = reinterpret_cast<std::uintptr_t>(block);
        const std::uintptr_t page = at >> kBlockPageShift;
        if (pages_[page % kPending] != page) return take(block);
        marks_[mark_word(at)] |= std::uint64_t(1) << ((at >> 4) & 63);
#endif
    }
    void settle();
#if !defined(_WIN32)
    // Words of marks of a page: one bit per 16 bytes, that of a block's first 16.
    static constexpr std::size_t kMarkWords = (std::size_t(1) << kBlockPageShift) / 16 / 64;
#endif

  private:
#if !defined(_WIN32)
    // The marks of the blocks released on up to kPending pages and not
    // settled yet. A page has the entry of its number modulo kPending:
    // pages_ holds its number (its address >> kBlockPageShift; 0, never one
    // of ours, where the entry is empty), and marks_ its kMarkWords words,
    // one entry after the other.
    static constexpr std::size_t kPending = 32;
    // The word of marks_ that holds the mark of the block at: its page's
    // entry and its word there are the address's bits above the 1024 bytes
    // that one word covers.
    static std::size_t mark_word(std::uintptr_t at) { return (at >> 10) % (kPending * kMarkWords); }
    void take(void *block);
    void settle_one(std::size_t entry);
    std::uintptr_t pages_[kPending];
    std::uint64_t marks_[kPending * kMarkWords];
#endif
};
// Bytes the platform has taken from the system to cut small blocks from, in
// use or kept for reuse; 0 where every block is the system's own.
std::size_t block_cache_bytes();
// Whether a memory tool may be watching every block's bounds (every block
// is then the system's own, as under valgrind and AddressSanitizer): code
// that reads a block's last aligned 16 bytes whole, past its end, asks
// first. Always so on Windows.
bool blocks_watched();

// One value per thread (null until the thread sets one). When a thread that
// set a value ends, the release function given with it runs on it, as a
// pthread_key_create destructor or an FlsAlloc callback would: after the
// thread's thread_local objects are destroyed (which may still call the
// library), and also for a value set while the thread ends. The seam keeps
// one release function for all threads: the one given last. (Not a
// thread_local object with a destructor in the frame: the 32-bit Windows
// toolchain runs those destructors on the wrong objects, and a thread's z
// return buffers were never released.)
using ThreadValueRelease = void (*)(void *value);
void *thread_value();
// False when the platform has no room for the value.
bool set_thread_value(void *value, ThreadValueRelease release);

// A lock for state shared by all threads, for std::lock_guard. It needs no
// setup and leaves nothing behind: on Windows an SRW lock, since the DLL is
// built without the runtime's threads library (whose mutexes would each hold
// a semaphore that the DLL could not give back when it is unloaded).
#if defined(_WIN32)
class Lock {
  public:
    void lock() noexcept;
    void unlock() noexcept;

  private:
    void *srw_ = nullptr; // an SRWLOCK, ready when null
};
#else
using Lock = std::mutex;
#endif

// Keeps a process-wide lock usable in a child made by fork(): the lock is
// taken before the fork and released after it, in parent and child, so that
// no other thread's hold on it is copied into the child. Each lock given here
// must live as long as the process; up to 32 are kept. A no-op where there is
// no fork.
void hold_across_fork(Lock &lock);

// True where the system ends a process's other threads before the process's
// static objects are destroyed (Windows). Elsewhere exit() destroys them while
// other threads may still call the library, so process-wide state is never
// destroyed there.
#if defined(_WIN32)
constexpr bool kExitEndsOtherThreadsFirst = true;
#else
constexpr bool kExitEndsOtherThreadsFirst = false;
#endif

// Counted byte strings as callers exchange them: the data pointer of a string
// with a 32-bit byte count in front. A null pointer is the empty string.
char *bstr_alloc(const char *bytes, std::uint32_t len);
void bstr_free(char *s);
std::uint32_t bstr_len(const char *s);
// A long text that the library built in a block of malloc's, kBstrFront
// bytes into it, made the counted string itself without a copy: the block
// holds at least kBstrFront + len + 2 bytes. Answers the string, which now
// owns the block, or null where strings are not such blocks (Windows) or
// the text is short enough for a small block; the caller keeps the block
// then.
#if defined(_WIN32)
constexpr std::size_t kBstrFront = 0;
#else
constexpr std::size_t kBstrFront = sizeof(std::uint32_t);
#endif
char *bstr_adopt(char *block, std::uint32_t len);

// Files. Names are NUL-terminated and already checked by the frame (never
// empty, never a pattern when opened). Each operation answers 0 on success or
// the Windows error code of its failure (on POSIX, errno mapped to the code
// that means the same thing); frame/codes.h names the codes.
enum class Access { read, read_write };
// Sharing with other openers while the file is open: none (exclusive),
// readers only, or readers and writers.
enum class Share { none, read, read_write };

using FileHandle = std::intptr_t;
constexpr FileHandle kNoFile = -1;

// The bytes that end a file name's folder part ("dir/" of "dir/a.xml").
#if defined(_WIN32)
constexpr const char *kFolderEnds = "/\\:";
#else
constexpr const char *kFolderEnds = "/";
#endif

// The existence test: a directory search for the name that matches a regular
// file (on Windows not hidden or system either). "*" and "?" make the name a
// search pattern.
bool file_exists(const char *name);
// Opens a file that exists.
std::uint32_t file_open(const char *name, Access access, Share share, FileHandle *out);
// Creates a new file, for reading and writing, that no other opener shares;
// fails (kFileExists) when the name is taken. With like, the file takes the
// permission bits of the file like, and its owner and group where the
// process may set them, before a byte is written (POSIX; Windows gives every
// new file its folder's inherited permissions); without, those of any new
// file.
std::uint32_t file_create(const char *name, const char *like, FileHandle *out);
// Reads up to size bytes; *got is what arrived (0 at the end of the file).
std::uint32_t file_read(FileHandle file, void *buffer, std::size_t size, std::size_t *got);
// Writes all the bytes, or fails.
std::uint32_t file_write(FileHandle file, const void *bytes, std::size_t size);
std::uint32_t file_size(FileHandle file, std::uint64_t *size);
std::uint32_t file_close(FileHandle file);
std::uint32_t file_delete(const char *name);
// 0 when this process may now put another file in the place of the file
// name: it is held by no other opener's exclusive lock (on Windows: open
// without leave to delete it), it is not read-only (Windows), and its
// folder lets this process remove it. Otherwise the code of the refusal.
std::uint32_t file_replaceable(const char *name);
// Gives the closed file from the name to, in one step: with replace, in the
// place of a file of that name; without, failing (kFileExists) when the
// name is taken. A reader of to finds the old file or the new one.
std::uint32_t file_rename(const char *from, const char *to, bool replace);
// A number that tells this process from others at the same time.
std::uint32_t process_id();

#if !defined(_WIN32)
// The Windows error code that means what this errno means, so that one table
// of file error numbers serves both platforms. ENOENT is "file not found"
// when the folder of the file exists and "path not found" when it does not.
std::uint32_t windows_code_from_errno(int err, bool folder_exists);
#endif

} // namespace velk::platform
