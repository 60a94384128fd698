/*
 * A C caller built as Microsoft's toolchain builds one (clang-cl, lld-link and
 * the packaged VELK_XML.lib), with nothing of a C runtime: the packaged header,
 * the import library and the system's DLLs are all it needs. Its calls cover
 * the three faces, exports of zero to three arguments (the 32-bit import
 * library maps each decorated name, _llAdd@12, to the DLL's undecorated
 * export) and the counted strings of oleaut32 as the header declares them.
 * It prints "msvc caller: ok" and exits 0, or prints what went wrong and
 * exits 1.
 */
#include "velk_xml.h"

__declspec(dllimport) void *__stdcall GetStdHandle(unsigned long which);
__declspec(dllimport) int __stdcall WriteFile(void *file, const void *bytes, unsigned long count,
                                              unsigned long *written, void *overlapped);
__declspec(dllimport) void __stdcall ExitProcess(unsigned int code);

static unsigned long length(const char *text) {
    unsigned long n = 0;
    while (text[n])
        ++n;
    return n;
}

static void print(const char *text) {
    unsigned long written;
    WriteFile(GetStdHandle((unsigned long)-11), text, length(text), &written, 0); /* standard output */
}

static int same(const char *got, const char *expected) {
    unsigned long i = 0;
    if (!got) got = "(null)";
    while (got[i] && got[i] == expected[i])
        ++i;
    return got[i] == expected[i];
}

static int failures;

static void expect(const char *what, const char *got, const char *expected) {
    if (same(got, expected)) return;
    print(what);
    print(": got ");
    print(got ? got : "(null)");
    print("\r\n");
    ++failures;
}

void __cdecl start(void) {
    /* Lists: the z face, and the plain face with counted strings. */
    velk_handle list = llzAdd(0, "colour", "red");
    llAdd(list, SysAllocStringByteLen("shape", 5), SysAllocStringByteLen("round", 5));
    expect("llzDataByName", llzDataByName(list, "shape"), "round");
    velk_bstr name = llName(llGetByNumber(list, 1));
    expect("llName", SysStringByteLen(name) == 6 ? VELK_BSTR_BYTES(name) : "a wrong length", "colour");
    SysFreeString(name);
    expect("llCount", llCount(list) == 2 ? "2" : "not 2", "2");
    llFree(list);

    /* XML: parse, change, write, and an error's text. */
    velk_handle doc = xmlzParse("<a x='1'><b>text</b></a>");
    xmlzSetAttrib(doc, "x", "2");
    expect("xmlzTreeToString", xmlzTreeToString(doc, VELK_COMPACT), "<a x='2'><b>text</b></a>");
    xmlFree(doc);
    expect("a failed parse", xmlzParse("<a></b>") ? "a document" : xmlzLastError(),
           "(1:6) Nesting error. Expecing end tag=a, but found b");

    print(failures ? "msvc caller: failed\r\n" : "msvc caller: ok\r\n");
    ExitProcess(failures ? 1 : 0);
}
