#include "doctype_aside.h"

#include "check/doctype.h"
#include "check/xml_chars.h"

namespace velkxml {

SetAside set_doctype_aside(std::string &text) {
    namespace chars = velk::check::chars;
    const std::string_view s = text;
    SetAside cut;
    std::size_t i = s.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    for (;;) {
        const std::size_t blanks = i;
        i = chars::skip_spaces(s, i);
        std::size_t end = std::string_view::npos;
        if (s.compare(i, 4, "<!--") == 0) {
            end = s.find("-->", i + 4);
            if (end != std::string_view::npos) end += 3;
        } else if (s.compare(i, 2, "<?") == 0) {
            end = s.find("?>", i + 2);
            if (end != std::string_view::npos) end += 2;
        } else if (s.compare(i, 9, "<!DOCTYPE") == 0) {
            std::string fault;
            const std::size_t close = velk::check::doctype_end(s, i, &fault);
            if (!fault.empty()) return cut;
            // First in the text, the blanks after it go too: the parser drops
            // what comes before the first "<", and they go back with it.
            const std::size_t after = cut.markup_before == 0 ? chars::skip_spaces(s, close) : close;
            cut.at = blanks;
            cut.length = after - blanks;
            cut.declaration_at = i;
            cut.bytes = text.substr(blanks, cut.length);
            text.erase(blanks, cut.length);
            return cut;
        }
        if (end == std::string_view::npos) return cut; // the prolog ends, or the text does
        ++cut.markup_before;
        i = end;
    }
}

} // namespace velkxml
