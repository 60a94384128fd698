#include "text_io.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace velkxml {

void binary_streams() {
#if defined(_WIN32)
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
}

std::string read_stdin() {
    std::string text;
    char chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, stdin)) > 0)
        text.append(chunk, n);
    return text;
}

void write_text(std::FILE *out, std::string_view text) {
#if defined(_WIN32)
    std::fwrite(text.data(), 1, text.size(), out);
#else
    std::size_t start = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '\r' && text[i + 1] == '\n') {
            std::fwrite(text.data() + start, 1, i - start, out);
            start = i + 1; // the LF is written with the next piece
        }
    }
    std::fwrite(text.data() + start, 1, text.size() - start, out);
#endif
}

} // namespace velkxml
