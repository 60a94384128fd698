#include "xml/unescape.h"

#include <cstring>

#include "xml/lexing.h"

namespace velk::xml {

std::size_t unclean_into(char *out, std::string_view text) {
    if (text.empty()) return 0;
    const char *p = text.data();
    const char *end = p + text.size();
    char *o = out;
    for (;;) {
        const auto *amp = static_cast<const char *>(std::memchr(p, '&', static_cast<std::size_t>(end - p)));
        const char *stop = amp ? amp : end;
        std::memcpy(o, p, static_cast<std::size_t>(stop - p));
        o += stop - p;
        if (!amp) break;
        std::string_view rest(amp + 1, static_cast<std::size_t>(end - amp - 1));
        std::size_t used = 0;
        const char c = lex::entity(rest, &used);
        *o++ = c ? c : '&';
        p = amp + 1 + used;
    }
    return static_cast<std::size_t>(o - out);
}

std::string unclean(std::string_view text) {
    std::string out(text.size(), '\0');
    out.resize(unclean_into(out.data(), text));
    return out;
}

} // namespace velk::xml
