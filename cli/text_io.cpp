#include "text_io.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <sys/stat.h>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace velkxml {

namespace {

struct Closer {
    void operator()(std::FILE *f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, Closer>;

} // namespace

void prepare_streams() {
#if defined(_WIN32)
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#else
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

bool read_all(std::FILE *in, std::string &text, std::string &error) {
    text.clear();
    char chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, in)) > 0)
        text.append(chunk, n);
    if (std::ferror(in)) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

bool read_file(const std::string &name, std::string &text, std::string &error) {
    File f(std::fopen(name.c_str(), "rb"));
    if (!f) {
        error = std::strerror(errno);
        return false;
    }
    return read_all(f.get(), text, error);
}

bool readable_or_missing(const std::string &name, std::string &error) {
    File f(std::fopen(name.c_str(), "rb"));
    if (f || errno == ENOENT) return true;
    error = std::strerror(errno);
    return false;
}

bool is_folder(const std::string &name) {
    struct stat st;
    return stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool write_bytes(std::FILE *out, std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
}

bool write_text(std::FILE *out, std::string_view text) {
#if defined(_WIN32)
    return write_bytes(out, text);
#else
    std::size_t start = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '\r' && text[i + 1] == '\n') {
            if (!write_bytes(out, text.substr(start, i - start))) return false;
            start = i + 1; // the LF is written with the next piece
        }
    }
    return write_bytes(out, text.substr(start));
#endif
}

} // namespace velkxml
