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

// Whether this process may now put another file in the place of the file
// name (see NewFile): it is held by no other opener's exclusive lock (on
// Windows, by no opener that did not share it), it is not read-only
// (Windows), and its folder lets this process remove it. False for a name
// that no open takes.
bool replaceable(std::string_view name);

// An open file that exists. Errors are file error numbers (0 = success).
class File {
  public:
    File() = default;
    File(File &&other) noexcept : handle_(other.handle_) { other.handle_ = platform::kNoFile; }
    File &operator=(File &&) = delete;
    File(const File &) = delete;
    ~File(); // closes a file still open, ignoring the outcome

    // Opens the name; a name that is empty, holds "*" or "?", or is unusable
    // is refused with the number 64 before the platform is asked.
    static int open(std::string_view name, Access access, Share share, File &out);

    bool is_open() const { return handle_ != platform::kNoFile; }
    // Reads up to size bytes; got is what arrived (short at the end of file).
    int read(void *buffer, std::size_t size, std::size_t &got);
    int write(const void *bytes, std::size_t size);
    int size(std::uint64_t &bytes);
    int close();

  private:
    friend class NewFile;
    platform::FileHandle handle_ = platform::kNoFile;
};

// A file that takes its name only once it is written whole. It is made under
// a private name in the folder of the name it is for, held by nobody else,
// and given that name in one step: a reader of the name finds the old file
// or the new one, never a part of one, and a write that fails (a full disk)
// leaves the name as it was. The private file is removed unless it took its
// name.
class NewFile {
  public:
    NewFile() = default;
    NewFile(const NewFile &) = delete;
    NewFile &operator=(const NewFile &) = delete;
    ~NewFile();

    // Makes the private file for the name target: refused with 64, as an
    // open is, for a name that no open takes. With replacing, the file takes
    // the permission bits (and, where the process may set them, the owner
    // and group) of the file now under that name.
    int create(std::string_view target, bool replacing);
    int write(const void *bytes, std::size_t size);
    int close();
    // Gives the written, closed file its name: with replace, in the place of
    // a file of that name; without, failing (number 75, as creating it would)
    // when the name is taken.
    int place(bool replace);

  private:
    std::string target_, private_;
    File file_;
    bool placed_ = false;
};

} // namespace velk::files
