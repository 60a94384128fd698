#include "temp_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velkxml {

namespace {

#if defined(_WIN32)
// The user's folder of temporary files, with its trailing backslash.
bool temp_folder(std::string &folder) {
    char path[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof path, path);
    if (n == 0 || n >= sizeof path) return false;
    folder.assign(path, n);
    return true;
}
int write_some(int fd, const char *p, std::size_t n) {
    return _write(fd, p, static_cast<unsigned>(n > 1u << 30 ? 1u << 30 : n));
}
int close_file(int fd) { return _close(fd); }
constexpr const char *kSeparators = "/\\";
// A new file takes its folder's inherited permissions on Windows.
bool set_mode(const std::string &, const std::string &) { return true; }
bool rename_over(const std::string &from, const std::string &to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}
std::string system_reason() {
    char text[256];
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                   GetLastError(), 0, text, sizeof text, nullptr);
    std::string reason(text, n);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
        reason.pop_back();
    return reason;
}
#else
bool temp_folder(std::string &folder) {
    const char *name = std::getenv("TMPDIR");
    folder = std::string(name && *name ? name : "/tmp") + "/";
    return true;
}
int write_some(int fd, const char *p, std::size_t n) {
    ssize_t done;
    do
        done = ::write(fd, p, n > 1u << 30 ? 1u << 30 : n);
    while (done < 0 && errno == EINTR);
    return static_cast<int>(done);
}
int close_file(int fd) { return ::close(fd); }
constexpr const char *kSeparators = "/";
// The replaced file's permission bits but setuid and setgid; a new file's
// are 0666 less the umask.
bool set_mode(const std::string &file, const std::string &target) {
    struct stat st;
    mode_t mode;
    if (stat(target.c_str(), &st) == 0) {
        mode = st.st_mode & 01777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    return chmod(file.c_str(), mode) == 0;
}
bool rename_over(const std::string &from, const std::string &to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}
std::string system_reason() { return std::strerror(errno); }
#endif

bool write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        int done = write_some(fd, bytes.data(), bytes.size());
        if (done <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(done));
    }
    return true;
}

} // namespace

TempFile::~TempFile() {
    if (!path_.empty()) std::remove(path_.c_str());
}

bool TempFile::create(std::string_view bytes, std::string &error) {
    std::string name;
    if (!temp_folder(name)) {
        error = "no folder for temporary files";
        return false;
    }
    return make(name + "velkxml-XXXXXX", bytes, error);
}

bool TempFile::create_beside(const std::string &target, std::string_view bytes, std::string &error) {
    const std::size_t slash = target.find_last_of(kSeparators);
    return make(target.substr(0, slash == std::string::npos ? 0 : slash + 1) + ".velkxml-XXXXXX", bytes,
                error);
}

bool TempFile::replace(const std::string &target, std::string &error) {
    if (!set_mode(path_, target) || !rename_over(path_, target)) {
        error = system_reason();
        std::remove(path_.c_str());
        path_.clear();
        return false;
    }
    path_.clear();
    return true;
}

bool TempFile::make(std::string name, std::string_view bytes, std::string &error) {
    // mkstemp makes the file new (O_EXCL) under a name of its choosing, on
    // POSIX systems readable by its owner alone; mingw-w64's runtime has it
    // too.
    int fd = mkstemp(name.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    path_ = name;
    const bool written = write_all(fd, bytes);
    const int write_errno = errno;
    if (close_file(fd) != 0 || !written) {
        error = std::strerror(written ? errno : write_errno);
        std::remove(path_.c_str());
        path_.clear();
        return false;
    }
    return true;
}

} // namespace velkxml
