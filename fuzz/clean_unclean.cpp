// Unescaping the escaped text gives the text back, byte for byte, in the
// plain face (NUL bytes included) and in the z face (up to the first NUL).
#include <cstring>

#include "fuzz_support.h"

using namespace velk_fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string_view text(reinterpret_cast<const char *>(data), size);
    std::string cleaned = take(xmlClean(bs(text)));
    require(cleaned.find_first_of("<>\"'") == std::string::npos);
    require(take(xmlUnClean(bs(cleaned))) == text);
    require(take(ll_xmlUnClean(bs(take(ll_xmlClean(bs(text)))))) == text);
    std::string z(text.substr(0, text.find('\0')));
    std::string zcleaned = xmlzClean(z.c_str());
    require(std::string(xmlzUnClean(zcleaned.c_str())) == z);
    return 0;
}
