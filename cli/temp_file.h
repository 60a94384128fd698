// A private temporary file that holds given bytes, for a library call that
// reads only from a named file: made new in the system's temporary folder
// (never an existing file, and private to the user), and removed when the
// object goes, whichever way the command ends. Or, for a file the tool
// writes, made beside it and renamed to its name once whole.
#pragma once

#include <string>
#include <string_view>

namespace velkxml {

class TempFile {
  public:
    TempFile() = default;
    ~TempFile();
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;

    // Makes the file and writes the bytes to it, then closes it, so that the
    // library may open it for itself. False, with the system's reason in
    // error and no file left, when that fails.
    bool create(std::string_view bytes, std::string &error);

    // Makes the file in the folder of target, with the bytes, for
    // replace() to give it target's name: a reader of target finds the old
    // file or the new one whole, never a part. False, with the system's
    // reason in error and no file left, when that fails.
    bool create_beside(const std::string &target, std::string_view bytes, std::string &error);

    // Gives the file made by create_beside() the name target, in one step
    // (a rename); it takes the permission bits of the file it replaces, but
    // setuid and setgid, or those of a new file (on POSIX 0666 less the
    // umask). False, with the system's reason in error and the file
    // removed, when that fails.
    bool replace(const std::string &target, std::string &error);

    // The file's name; "" before create() has made it.
    const std::string &path() const { return path_; }

  private:
    bool make(std::string name, std::string_view bytes, std::string &error);
    std::string path_;
};

} // namespace velkxml
