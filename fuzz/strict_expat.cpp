// The strict scan against expat: whatever the scan passes, expat accepts
// (XML_ParserCreateNS, which holds documents to the rules of namespaces as
// the scan does; the whole text in one final XML_Parse). One byte
// of the input chooses the document: mostly one that DocumentMaker makes
// well-formed, changed in up to three places (mutate) so that both verdicts
// occur; one input in eight its remaining bytes as they are. A document
// made and left unchanged is well-formed, so expat must accept it (else the
// maker is wrong) and the scan may refuse it only by a limit, never as a
// fault.
//
// Expat knows name characters by the tables of the older editions of XML,
// the scan by the fifth edition's, which allow far more (U+20AC, the
// characters from U+10000 to U+EFFFF, ...). A character that only the fifth edition
// allows, wherever it stands in a name (and the bytes as they are, or a
// change that joins text to markup, can put any character there), makes
// expat fail with XML_ERROR_INVALID_TOKEN placed at that character's first
// byte. So a failure of expat with that error, at a byte that begins the
// UTF-8 encoding of a non-ASCII character that the fifth edition allows in
// names, is not held against the scan (nor, with it, such a character
// right behind an attribute value with no blank between: the same rule
// with ASCII names is held). Every other failure is: invalid UTF-8,
// characters that XML does not allow, or that are no name character in
// any edition, still count where they stand.
#include <expat.h>

#include <cstdint>
#include <cstdio>
#include <memory>

#include "check/strict_scan.h"
#include "document_maker.h"
#include "fuzz_support.h"

using namespace velk_fuzz;

namespace {

struct ExpatVerdict {
    bool ok = false;
    XML_Error error = XML_ERROR_NONE;
    XML_Index at = 0; // byte index of the failure
    XML_Size line = 0, column = 0;
};

ExpatVerdict expat_verdict(std::string_view document) {
    std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(XML_ParserCreateNS(nullptr, '\x01'),
                                                                        XML_ParserFree);
    require(parser != nullptr);
    ExpatVerdict verdict;
    verdict.ok = XML_Parse(parser.get(), document.data(), static_cast<int>(document.size()), XML_TRUE) ==
                 XML_STATUS_OK;
    verdict.error = XML_GetErrorCode(parser.get());
    verdict.at = XML_GetCurrentByteIndex(parser.get());
    verdict.line = XML_GetCurrentLineNumber(parser.get());
    verdict.column = XML_GetCurrentColumnNumber(parser.get());
    return verdict;
}

// The character whose UTF-8 encoding begins at the byte; -1 where none does
// (ASCII, a byte that is no first byte, an encoding cut short, too long or
// of a surrogate).
long char_at(std::string_view s, std::size_t at) {
    if (at >= s.size()) return -1;
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    int length = byte(at) >= 0xF5   ? 0
                 : byte(at) >= 0xF0 ? 4
                 : byte(at) >= 0xE0 ? 3
                 : byte(at) >= 0xC2 ? 2
                                    : 0;
    if (length == 0 || at + length > s.size()) return -1;
    std::uint32_t c = byte(at) & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80) return -1;
        c = c << 6 | (byte(at + k) & 0x3F);
    }
    static constexpr std::uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kShortest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return -1;
    return static_cast<long>(c);
}

// The non-ASCII characters that the fifth edition allows in names
// (NameStartChar and NameChar together).
bool fifth_edition_name_char(long c) {
    static constexpr long kRanges[][2] = {
        {0xB7, 0xB7},     {0xC0, 0xD6},     {0xD8, 0xF6},      {0xF8, 0x37D},    {0x37F, 0x1FFF},
        {0x200C, 0x200D}, {0x203F, 0x2040}, {0x2070, 0x218F},  {0x2C00, 0x2FEF}, {0x3001, 0xD7FF},
        {0xF900, 0xFDCF}, {0xFDF0, 0xFFFD}, {0x10000, 0xEFFFF}};
    for (const auto &range : kRanges)
        if (c >= range[0] && c <= range[1]) return true;
    return false;
}

bool older_name_tables(std::string_view document, const ExpatVerdict &expat) {
    return expat.error == XML_ERROR_INVALID_TOKEN && expat.at >= 0 &&
           fifth_edition_name_char(char_at(document, static_cast<std::size_t>(expat.at)));
}

[[noreturn]] void fail(const char *what, std::string_view document, const velk::check::StrictReport &strict,
                       const ExpatVerdict &expat) {
    std::fprintf(stderr, "%s\ndocument: %s\nstrict: %s\n", what, printable(document).c_str(),
                 strict.clean() ? "clean" : "refused");
    for (const velk::check::Finding &f : strict.findings)
        std::fprintf(stderr, "  %s%s %zu: %s\n", f.limit ? "limit" : "fault",
                     f.placed ? " at byte" : ", whole text", f.placed ? f.offset : 0, f.text.c_str());
    if (expat.ok)
        std::fprintf(stderr, "expat: accepted\n");
    else
        std::fprintf(stderr, "expat: %s at byte %lld (line %lu, column %lu)\n", XML_ErrorString(expat.error),
                     static_cast<long long>(expat.at), static_cast<unsigned long>(expat.line),
                     static_cast<unsigned long>(expat.column));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::uint8_t choice = in.ConsumeIntegral<std::uint8_t>();
    const bool as_given = (choice & 7) == 0;
    const int changes = choice >> 3 & 3;
    std::string document;
    if (as_given) {
        document = in.ConsumeRemainingBytesAsString();
    } else {
        document = DocumentMaker(in).document();
        mutate(in, &document, changes);
    }
    velk::check::StrictReport strict = velk::check::strict_scan(document);
    ExpatVerdict expat = expat_verdict(document);
    if (strict.clean() && !expat.ok && !older_name_tables(document, expat))
        fail("The strict scan passes a document that expat refuses.", document, strict, expat);
    if (as_given || changes > 0) return 0;
    if (!expat.ok) fail("Expat refuses a document made well-formed.", document, strict, expat);
    for (const velk::check::Finding &f : strict.findings)
        if (!f.limit)
            fail("The strict scan refuses a well-formed document as a fault.", document, strict, expat);
    return 0;
}
