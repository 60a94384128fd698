// A comment's body with the tree text's line ends: carriage returns dropped,
// line feeds written as CR LF. Where dropping a carriage return would let
// "--" meet ">" and end the comment early ("<!--\r>", "-\r->"), that one is
// written as a blank instead, so that the text reads back as one comment.
// The writer writes comments by it, and the tool rebuilds the writer's text
// of a node by it.
#pragma once

#include <cstddef>
#include <string_view>

namespace velk::xml {

// Hands each byte of the body so written to put(char).
template <class Put> void put_comment_body(std::string_view body, Put &&put) {
    char last[2] = {'-', '-'}; // the opener "<!--" ends in two dashes
    auto out = [&](char c) {
        put(c);
        last[0] = last[1];
        last[1] = c;
    };
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '\n') {
            out('\r');
            out('\n');
        } else if (c != '\r') {
            out(c);
        } else {
            std::size_t k = i + 1;
            while (k < body.size() && body[k] == '\r')
                ++k;
            const char next = k < body.size() ? body[k] : 0;
            const char after = k + 1 < body.size() ? body[k + 1] : 0;
            const bool would_close = (last[0] == '-' && last[1] == '-' && next == '>') ||
                                     (last[1] == '-' && next == '-' && after == '>');
            if (would_close) out(' ');
        }
    }
}

} // namespace velk::xml
