// The well-formedness check against expat with namespace processing, on the
// shapes where a check can grow faster than its input: many prefixes in
// scope at once (100,000 declared and used on one element) and deep nesting
// under many prefixes (1,000,000 levels, each declaring one, each element
// using the outermost). Files named on the command line are timed too.
// Prints CPU-time medians of 5 runs side by side and their ratio.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <expat.h>

#include "bench_support.h"
#include "check/strict_scan.h"

namespace {

std::string many_prefixes(int count) {
    std::string text = "<r";
    for (int i = 0; i < count; ++i)
        text += " xmlns:p" + std::to_string(i) + "='u" + std::to_string(i) + "'";
    for (int i = 0; i < count; ++i)
        text += " p" + std::to_string(i) + ":a='v'";
    return text + "/>";
}

std::string deep_under_prefixes(int levels) {
    std::string text = "<p:e xmlns:p='u'>";
    for (int i = 0; i < levels; ++i)
        text += "<p:e xmlns:q" + std::to_string(i) + "='u" + std::to_string(i) + "'>";
    for (int i = 0; i <= levels; ++i)
        text += "</p:e>";
    return text;
}

// expat parses with namespaces and handlers for elements, as a checking
// program would; true when the text is well-formed.
bool expat_check(const std::string &text) {
    XML_Parser parser = XML_ParserCreateNS(nullptr, '\n');
    XML_SetElementHandler(
        parser, [](void *, const XML_Char *, const XML_Char **) {}, [](void *, const XML_Char *) {});
    const bool ok = XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return ok;
}

bool velk_check(const std::string &text) { return velk::check::strict_scan(text).clean(); }

void compare(const char *name, const std::string &text) {
    std::vector<double> ours, expats;
    bool ours_ok = true, expat_ok = true;
    for (int run = 0; run < 5; ++run) {
        ours.push_back(seconds([&] { ours_ok = velk_check(text); }));
        expats.push_back(seconds([&] { expat_ok = expat_check(text); }));
    }
    const double a = median(ours), b = median(expats);
    std::printf("%-34s %7.1f MB  check %8.3f s%s  expat %8.3f s%s  ratio %5.2f\n", name, text.size() / 1e6, a,
                ours_ok ? "" : " (refused)", b, expat_ok ? "" : " (refused)", b > 0 ? a / b : 0.0);
}

} // namespace

int main(int argc, char **argv) {
    compare("100,000 prefixes on one element", many_prefixes(100000));
    compare("1,000,000 levels under prefixes", deep_under_prefixes(1000000));
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        std::stringstream bytes;
        bytes << in.rdbuf();
        compare(argv[i], bytes.str());
    }
}
