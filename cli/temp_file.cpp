#include "temp_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#include <io.h>
#else
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
    // mkstemp makes the file new (O_EXCL) under a name of its choosing, on
    // POSIX systems readable by its owner alone; mingw-w64's runtime has it
    // too, and there the folder is the user's own.
    name += "velkxml-XXXXXX";
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
