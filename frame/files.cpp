#include "frame/files.h"

#include <atomic>
#include <chrono>
#include <new>

#include "frame/codes.h"
#include "frame/countdown.h"
#include "frame/errors.h"
#include "frame/testing.h"

namespace velk::files {

namespace {

// The platform is given the name as a C string (a usable name holds no NUL).
std::string platform_name(std::string_view name) { return std::string(name); }

bool refused(std::string_view name) {
    return name.empty() || unusable(name) || name.find_first_of("*?") != std::string_view::npos;
}

// The failure switch for file operations (tests only).
struct FileFailure {
    std::atomic<int> op{-1};
    FailureCountdown countdown;
    std::atomic<std::uint32_t> code{0};
};
FileFailure g_failure;

// 0, or the Windows code with which this operation is made to fail.
std::uint32_t injected(testing::FileOp op) {
    if (g_failure.op.load(std::memory_order_relaxed) != static_cast<int>(op)) return 0;
    return g_failure.countdown.strikes() ? g_failure.code.load() : 0;
}

int number(std::uint32_t code) { return code == 0 ? 0 : file_error_number(code); }

} // namespace

bool exists(std::string_view name) {
    if (name.empty() || unusable(name)) return false;
    return platform::file_exists(platform_name(name).c_str());
}

bool replaceable(std::string_view name) {
    if (refused(name)) return false;
    return platform::file_replaceable(platform_name(name).c_str()) == 0;
}

File::~File() {
    if (is_open()) platform::file_close(handle_);
}

int File::open(std::string_view name, Access access, Share share, File &out) {
    if (refused(name)) return kBadFileNameNumber;
    if (std::uint32_t code = injected(testing::FileOp::open)) return number(code);
    platform::FileHandle handle;
    std::uint32_t code = platform::file_open(platform_name(name).c_str(), access, share, &handle);
    if (code) return number(code);
    out.handle_ = handle;
    return 0;
}

int File::read(void *buffer, std::size_t size, std::size_t &got) {
    got = 0;
    if (std::uint32_t code = injected(testing::FileOp::read)) return number(code);
    return number(platform::file_read(handle_, buffer, size, &got));
}

int File::write(const void *bytes, std::size_t size) {
    if (std::uint32_t code = injected(testing::FileOp::write)) return number(code);
    return number(platform::file_write(handle_, bytes, size));
}

int File::size(std::uint64_t &bytes) {
    bytes = 0;
    if (std::uint32_t code = injected(testing::FileOp::size)) return number(code);
    return number(platform::file_size(handle_, &bytes));
}

int File::close() {
    platform::FileHandle handle = handle_;
    handle_ = platform::kNoFile;
    std::uint32_t code = injected(testing::FileOp::close);
    std::uint32_t closed = platform::file_close(handle); // released even when made to fail
    return number(code ? code : closed);
}

namespace {

// A private name in the folder of target, one that no other call of this
// process or of another at the same time makes: ".velk" and eight hex digits
// from the process, a count and the clock. Short, so that it fits wherever
// the target's name does.
std::string private_name(std::string_view target, unsigned attempt) {
    static std::atomic<std::uint32_t> count{0};
    std::uint64_t mix = (std::uint64_t(platform::process_id()) << 32) ^
                        std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                        (std::uint64_t(count.fetch_add(1)) * 0x9E3779B97F4A7C15ull) ^ attempt;
    mix ^= mix >> 29;
    mix *= 0xBF58476D1CE4E5B9ull;
    mix ^= mix >> 32;
    const std::size_t folder_end = target.find_last_of(platform::kFolderEnds);
    std::string name(folder_end == std::string_view::npos ? std::string_view()
                                                          : target.substr(0, folder_end + 1));
    name += ".velk";
    static constexpr char kHex[] = "0123456789abcdef";
    for (int shift = 28; shift >= 0; shift -= 4)
        name += kHex[(mix >> shift) & 0xF];
    name += ".tmp";
    return name;
}

} // namespace

NewFile::~NewFile() {
    if (private_.empty() || placed_) return;
    if (file_.is_open()) file_.close();
    platform::file_delete(private_.c_str());
}

int NewFile::create(std::string_view target, bool replacing) {
    if (refused(target)) return kBadFileNameNumber;
    if (std::uint32_t code = injected(testing::FileOp::open)) return number(code);
    std::uint32_t code = win::kFileExists;
    try {
        target_ = platform_name(target);
        // A private name is taken only by a file left by a process that
        // ended while it wrote; a few tries find a free one.
        for (unsigned attempt = 0; attempt < 16 && code == win::kFileExists; ++attempt) {
            std::string name = private_name(target, attempt);
            code = platform::file_create(name.c_str(), replacing ? target_.c_str() : nullptr, &file_.handle_);
            if (code == 0) private_ = std::move(name); // no allocation: the name's block moves
        }
    } catch (const std::bad_alloc &) {
        return kNoMemoryNumber; // nothing was made
    }
    return number(code);
}

int NewFile::write(const void *bytes, std::size_t size) { return file_.write(bytes, size); }

int NewFile::close() { return file_.close(); }

int NewFile::place(bool replace) {
    std::uint32_t code = injected(testing::FileOp::place);
    if (!code) code = platform::file_rename(private_.c_str(), target_.c_str(), replace);
    if (code == 0) placed_ = true;
    return number(code);
}

} // namespace velk::files

namespace velk::testing {

void fail_file_operation(FileOp op, unsigned nth, std::uint32_t windows_code) {
    files::g_failure.countdown.arm(0);
    files::g_failure.op.store(static_cast<int>(op));
    files::g_failure.code.store(windows_code);
    files::g_failure.countdown.arm(nth);
}

} // namespace velk::testing
