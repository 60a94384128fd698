// A scratch folder per test, and whole-file reads and writes for checking
// what the library wrote.
#pragma once

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

namespace velk_test {

// A new folder under the system's temporary folder (Wine's on Windows), so
// that a run leaves nothing in the source or build tree; removed with all it
// holds when the test ends.
class TempDir {
  public:
    TempDir() {
        static std::atomic<int> counter{0};
        const auto base = std::filesystem::temp_directory_path();
        // The process id and the clock keep concurrent runs apart; a folder
        // that exists anyway is someone else's and is never reused.
        do {
            path_ = (base / ("velk-tmp-" + std::to_string(process_id()) + "-" + std::to_string(counter++) +
                             "-" + unique_suffix()))
                        .string();
        } while (!std::filesystem::create_directory(path_));
    }
    ~TempDir() {
        std::error_code ignored;
        // Read-only files must become writable again before they can go.
        for (auto &entry : std::filesystem::recursive_directory_iterator(path_, ignored))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    // A name inside the folder, joined with "/" (which Windows accepts too).
    std::string file(const std::string &name) const { return path_ + "/" + name; }

  private:
    static long process_id() {
#if defined(_WIN32)
        return _getpid();
#else
        return static_cast<long>(getpid());
#endif
    }
    static std::string unique_suffix() {
        return std::to_string(std::filesystem::file_time_type::clock::now().time_since_epoch().count());
    }
    std::string path_;
};

inline std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void write_file(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Makes a file read-only. Whether that keeps this process from writing it:
// not for root on POSIX, which writes whatever the permissions say.
inline void make_read_only(const std::string &path) {
    std::filesystem::permissions(path,
                                 std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
}
inline bool read_only_holds() {
#if defined(_WIN32)
    return true;
#else
    return geteuid() != 0;
#endif
}

inline bool file_present(const std::string &path) { return std::filesystem::exists(path); }

// The names in a folder, sorted: what a call left there, private files
// included.
inline std::vector<std::string> names_in(const TempDir &dir) {
    std::vector<std::string> out;
    for (const auto &entry : std::filesystem::directory_iterator(dir.file("")))
        out.push_back(entry.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace velk_test
