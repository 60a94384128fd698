#include "frame/files.h"

#include <atomic>

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

bool remove(std::string_view name) {
    if (name.empty() || unusable(name)) return false;
    if (injected(testing::FileOp::remove)) return false;
    return platform::file_delete(platform_name(name).c_str()) == 0;
}

File::~File() {
    if (is_open()) platform::file_close(handle_);
}

int File::open(std::string_view name, Access access, Share share, Disposition disposition, File &out) {
    if (refused(name)) return kBadFileNameNumber;
    if (std::uint32_t code = injected(testing::FileOp::open)) return number(code);
    platform::FileHandle handle;
    std::uint32_t code =
        platform::file_open(platform_name(name).c_str(), access, share, disposition, &handle);
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

} // namespace velk::files

namespace velk::testing {

void fail_file_operation(FileOp op, unsigned nth, std::uint32_t windows_code) {
    files::g_failure.countdown.arm(0);
    files::g_failure.op.store(static_cast<int>(op));
    files::g_failure.code.store(windows_code);
    files::g_failure.countdown.arm(nth);
}

} // namespace velk::testing
