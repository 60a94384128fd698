// Files as the library's functions use them: names checked and cut as every
// file function needs, results as the file error numbers that messages show,
// and a handle that is closed on every path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "frame/platform.h"

namespace velk::files {

using platform::Access;
using platform::Disposition;
using platform::Share;

// The longest name given to the platform, in bytes.
constexpr std::size_t kMaxFileName = 255;

// A name that the platform cannot be given as it stands: longer than
// kMaxFileName bytes (it used to be cut to its first 255 bytes), or holding
// a NUL byte (it used to be cut there). Either way it named another file:
// now it exists for no one, cannot be removed, and opens as a name that is
// empty or holds "*" or "?" does: refused with the number 64.
inline bool unusable(std::string_view name) {
    return name.size() > kMaxFileName || name.find('\0') != std::string_view::npos;
}

// The existence test (a pattern with "*" or "?" matches as a search); false
// for an unusable name.
bool exists(std::string_view name);

// Deletes the file; false when the platform refuses.
bool remove(std::string_view name);

// An open file. Errors are file error numbers (0 = success).
class File {
  public:
    File() = default;
    File(File &&other) noexcept : handle_(other.handle_) { other.handle_ = platform::kNoFile; }
    File &operator=(File &&) = delete;
    File(const File &) = delete;
    ~File(); // closes a file still open, ignoring the outcome

    // Opens the name; a name that is empty, holds "*" or "?", or is unusable
    // is refused with the number 64 before the platform is asked.
    static int open(std::string_view name, Access access, Share share, Disposition disposition, File &out);

    bool is_open() const { return handle_ != platform::kNoFile; }
    // Reads up to size bytes; got is what arrived (short at the end of file).
    int read(void *buffer, std::size_t size, std::size_t &got);
    int write(const void *bytes, std::size_t size);
    int size(std::uint64_t &bytes);
    int close();

  private:
    platform::FileHandle handle_ = platform::kNoFile;
};

} // namespace velk::files
