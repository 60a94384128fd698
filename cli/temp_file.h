// A private temporary file that holds given bytes, for a library call that
// reads only from a named file: made new in the system's temporary folder
// (never an existing file, and private to the user), and removed when the
// object goes, whichever way the command ends.
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

    // The file's name; "" before create() has made it.
    const std::string &path() const { return path_; }

  private:
    std::string path_;
};

} // namespace velkxml
