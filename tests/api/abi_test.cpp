// Uses the shipped library as a caller does: loads it at run time, finds every
// exported name, calls through the header's function-pointer types, and reads
// the binary's export table to check that it holds exactly the export list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#include <oleauto.h>
#else
#include <dlfcn.h>
#include <fstream>
#include <iterator>
#if __has_include(<elf.h>)
#include <elf.h>
#define VELK_READS_ELF 1
#define VELK_BIG_ENDIAN_HOST (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__)
#endif
#endif

#include "velk_xml.h"

// Each export's pointer type in the header is the type of its declaration.
#define VELK_SAME_TYPE(name)                                                                                 \
    static_assert(std::is_same<decltype(&name), name##_fn>::value, #name "_fn differs from " #name);
#include "export_checks.inc"
#undef VELK_SAME_TYPE

namespace {

#if !defined(_WIN32)
// The link names of the exports whose plain names libxml2 defines too.
const std::vector<std::string> kLinkNames = {
#include "link_names.inc"
};
#endif

const std::vector<std::string> kExportList = {
#include "export_names.inc"
};
const std::vector<std::string> kDecoratedExportList = {
#include "export_decorated.inc"
};

// The whole interface, each name with its __stdcall decoration: @ and four
// bytes per argument.
const std::set<std::string> kInterface = {
    "GetMem@4",
    "FreeMem@4",
    "GetAsciiz@4",
    "llLastError@0",
    "llzLastError@0",
    "xmlLastError@0",
    "xmlzLastError@0",
    "llAdd@12",
    "llzAdd@12",
    "llbAdd@12",
    "llNext@4",
    "llCount@4",
    "llFindLast@4",
    "llGetByNumber@8",
    "llFindPrev@8",
    "llCapacity@4",
    "llMoveFirst@12",
    "llFree@4",
    "llFindByName@8",
    "llzFindByName@8",
    "llFindByData@8",
    "llzFindByData@8",
    "llUpdate@8",
    "llzUpdate@8",
    "llbUpdate@8",
    "llUpdateByName@12",
    "llzUpdateByName@12",
    "llbUpdateByName@12",
    "llData@4",
    "llzData@4",
    "llbData@4",
    "llName@4",
    "llzName@4",
    "llDataByName@8",
    "llzDataByName@8",
    "llbDataByName@8",
    "llDelete@8",
    "llDeleteByName@8",
    "llzDeleteByName@8",
    "llFindSmallest@12",
    "llSort@8",
    "llListToFile@8",
    "llzListToFile@8",
    "llListFromFile@4",
    "llzListFromFile@4",
    "llDelimToList@8",
    "llzDelimToList@8",
    "xmlNodeType@4",
    "xmlChild@4",
    "xmlParent@4",
    "xmlNextSibling@4",
    "xmlAddChild@8",
    "xmlFree@4",
    "xmlFreePointers@4",
    "xmlClean@4",
    "xmlzClean@4",
    "xmlUnClean@4",
    "xmlzUnClean@4",
    "ll_xmlClean@4",
    "ll_xmlUnClean@4",
    "xmlParse@4",
    "xmlzParse@4",
    "xmlParseFile@4",
    "xmlzParseFile@4",
    "xmlAttribExists@8",
    "xmlzAttribExists@8",
    "xmlAttribCount@4",
    "xmlAttribName@8",
    "xmlzAttribName@8",
    "xmlAttribValue@8",
    "xmlzAttribValue@8",
    "xmlSetAttrib@12",
    "xmlzSetAttrib@12",
    "xmlAttribToString@4",
    "xmlzAttribToString@4",
    "xmlNodeToString@8",
    "xmlzNodeToString@8",
    "xmlTreeToString@8",
    "xmlzTreeToString@8",
    "xmlTreeToFile@12",
    "xmlNodeToFile@8",
    "xmlzNodeToFile@8",
    "xmlFindNode@20",
    "xmlzFindNode@20",
    "xmlFindNodeRecursive@20",
    "xmlFindChild@8",
    "xmlzFindChild@8",
    "xmlFindSpecificChild@16",
    "xmlzFindSpecificChild@16",
    "xmlFindDataChild@4",
    "xmlGetTag@4",
    "xmlzGetTag@4",
    "xmlChildData@4",
    "xmlzChildData@4",
    "xmlExtractSimpleChildData@8",
    "xmlzExtractSimpleChildData@8",
    "xmlGetChildTagData@8",
    "xmlzGetChildTagData@8",
    "xmlAddSimpleChild@12",
    "xmlzAddSimpleChild@12",
    "xmlFromList@8",
    "xmlzFromList@8",
    "xmlToList@4",
    "XMLATTRIBTOLIST@4",
};

#if defined(_WIN32)
typedef HMODULE Library;
Library open_library() { return LoadLibraryA(VELK_LIBRARY_FILE); }
void close_library(Library lib) { FreeLibrary(lib); }
void *find(Library lib, const std::string &name) {
    return reinterpret_cast<void *>(GetProcAddress(lib, name.c_str()));
}
// oleaut32's strings are the header's: no cast on the way in or out.
velk_bstr make_bstr(Library, const char *s) {
    return SysAllocStringByteLen(s, static_cast<UINT>(std::strlen(s)));
}
void free_bstr(Library, velk_bstr s) { SysFreeString(s); }

// The image this program can load: PE32 for i386, PE32+ for x86-64, whose
// optional header is laid out differently (64-bit image base and stack sizes
// move the data directories).
#if defined(_WIN64)
typedef IMAGE_NT_HEADERS64 NtHeaders;
constexpr WORD kMachine = IMAGE_FILE_MACHINE_AMD64;
constexpr WORD kOptionalMagic = IMAGE_NT_OPTIONAL_HDR64_MAGIC;
#else
typedef IMAGE_NT_HEADERS32 NtHeaders;
constexpr WORD kMachine = IMAGE_FILE_MACHINE_I386;
constexpr WORD kOptionalMagic = IMAGE_NT_OPTIONAL_HDR32_MAGIC;
#endif

const unsigned char *image_base(Library lib) { return reinterpret_cast<const unsigned char *>(lib); }
const NtHeaders &nt_headers(Library lib) {
    auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(image_base(lib));
    return *reinterpret_cast<const NtHeaders *>(image_base(lib) + dos->e_lfanew);
}
const IMAGE_DATA_DIRECTORY &directory(Library lib, int which) {
    return nt_headers(lib).OptionalHeader.DataDirectory[which];
}

std::set<std::string> exported_names(Library lib) {
    const unsigned char *base = image_base(lib);
    auto *dir = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(
        base + directory(lib, IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress);
    auto *names = reinterpret_cast<const DWORD *>(base + dir->AddressOfNames);
    std::set<std::string> out;
    for (DWORD i = 0; i < dir->NumberOfNames; ++i)
        out.insert(reinterpret_cast<const char *>(base + names[i]));
    EXPECT_EQ(dir->NumberOfFunctions, dir->NumberOfNames); // no export by ordinal only
    return out;
}

std::vector<std::string> imported_dlls(Library lib) {
    const unsigned char *base = image_base(lib);
    auto *desc = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(
        base + directory(lib, IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);
    std::vector<std::string> out;
    for (; desc->Name; ++desc) {
        std::string name = reinterpret_cast<const char *>(base + desc->Name);
        std::transform(name.begin(), name.end(), name.begin(), ::tolower);
        out.push_back(name);
    }
    return out;
}
#else
typedef void *Library;
Library open_library() { return dlopen(VELK_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL); }
void close_library(Library lib) { dlclose(lib); }
void *find(Library lib, const std::string &name) { return dlsym(lib, name.c_str()); }
// The library's own counted strings, found by name like the exports.
velk_bstr make_bstr(Library lib, const char *s) {
    typedef velk_bstr (*AllocFn)(const char *, uint32_t);
    auto alloc = reinterpret_cast<AllocFn>(find(lib, "SysAllocStringByteLen"));
    return alloc(s, static_cast<uint32_t>(std::strlen(s)));
}
void free_bstr(Library lib, velk_bstr s) {
    reinterpret_cast<void (*)(velk_bstr)>(find(lib, "SysFreeString"))(s);
}

// The global symbols of the .so's dynamic symbol table: those it defines (its
// exports), each with its version node ("" for none, and a leading "@" for a
// version that is not the default one, read from the version sections beside
// the table), and those it takes from other libraries. The table is read
// from the file as this machine lays it out (the test runs where the library
// runs): 32-bit or 64-bit ELF as the file says, in this machine's byte
// order. `read` is false when it could not be read, and the tests that need
// it fail; on a platform without <elf.h> they skip.
struct DynamicSymbols {
    bool read = false;
    std::map<std::string, std::string> exported;
    std::set<std::string> imported;
    std::string soname;
};

#if VELK_READS_ELF
struct Elf32 {
    using Ehdr = Elf32_Ehdr;
    using Shdr = Elf32_Shdr;
    using Sym = Elf32_Sym;
    using Half = Elf32_Half;
    using Verdef = Elf32_Verdef;
    using Verdaux = Elf32_Verdaux;
    using Dyn = Elf32_Dyn;
    static int bind(const Sym &s) { return ELF32_ST_BIND(s.st_info); }
};
struct Elf64 {
    using Ehdr = Elf64_Ehdr;
    using Shdr = Elf64_Shdr;
    using Sym = Elf64_Sym;
    using Half = Elf64_Half;
    using Verdef = Elf64_Verdef;
    using Verdaux = Elf64_Verdaux;
    using Dyn = Elf64_Dyn;
    static int bind(const Sym &s) { return ELF64_ST_BIND(s.st_info); }
};

bool names_node(const std::map<unsigned, std::string> &nodes, const char *name) {
    for (const auto &node : nodes)
        if (node.second == name) return true;
    return false;
}

template <class Elf> DynamicSymbols read_dynamic_symbols(const std::vector<char> &file) {
    const unsigned kVersionIndex = 0x7fff, kHiddenVersion = 0x8000; // the fields of a versym entry
    DynamicSymbols out;
    if (file.size() < sizeof(typename Elf::Ehdr)) return out;
    auto *eh = reinterpret_cast<const typename Elf::Ehdr *>(file.data());
    if (eh->e_shoff + std::uint64_t(eh->e_shnum) * sizeof(typename Elf::Shdr) > file.size()) return out;
    auto *sections = reinterpret_cast<const typename Elf::Shdr *>(file.data() + eh->e_shoff);
    const typename Elf::Shdr *dynsym = nullptr, *versym = nullptr, *verdef = nullptr, *dynamic = nullptr;
    for (int i = 0; i < eh->e_shnum; ++i) {
        if (sections[i].sh_type == SHT_DYNSYM) dynsym = &sections[i];
        if (sections[i].sh_type == SHT_DYNAMIC) dynamic = &sections[i];
        if (sections[i].sh_type == SHT_GNU_versym) versym = &sections[i];
        if (sections[i].sh_type == SHT_GNU_verdef) verdef = &sections[i];
    }
    if (!dynsym) return out;
    out.read = true;
    if (dynamic) {
        auto *entry = reinterpret_cast<const typename Elf::Dyn *>(file.data() + dynamic->sh_offset);
        for (std::size_t e = 0; e < dynamic->sh_size / sizeof(typename Elf::Dyn); ++e)
            if (entry[e].d_tag == DT_SONAME)
                out.soname = file.data() + sections[dynamic->sh_link].sh_offset + entry[e].d_un.d_val;
    }

    // Version index -> node name, from the chain of version definitions.
    std::map<unsigned, std::string> nodes;
    if (verdef) {
        const char *names = file.data() + sections[verdef->sh_link].sh_offset;
        const char *at = file.data() + verdef->sh_offset;
        for (unsigned d = 0; d < verdef->sh_info; ++d) {
            auto *def = reinterpret_cast<const typename Elf::Verdef *>(at);
            auto *aux = reinterpret_cast<const typename Elf::Verdaux *>(at + def->vd_aux);
            if (!(def->vd_flags & VER_FLG_BASE)) nodes[def->vd_ndx] = names + aux->vda_name;
            if (!def->vd_next) break;
            at += def->vd_next;
        }
    }

    const char *strings = file.data() + sections[dynsym->sh_link].sh_offset;
    auto *syms = reinterpret_cast<const typename Elf::Sym *>(file.data() + dynsym->sh_offset);
    auto *versions =
        versym ? reinterpret_cast<const typename Elf::Half *>(file.data() + versym->sh_offset) : nullptr;
    std::size_t n = dynsym->sh_size / sizeof(typename Elf::Sym);
    for (std::size_t s = 1; s < n; ++s) {
        int bind = Elf::bind(syms[s]);
        if (bind != STB_GLOBAL && bind != STB_WEAK) continue;
        const char *name = strings + syms[s].st_name;
        if (syms[s].st_shndx == SHN_UNDEF) {
            out.imported.insert(name);
            continue;
        }
        // The linker's absolute symbol that names a version node is no export.
        if (syms[s].st_shndx == SHN_ABS && syms[s].st_value == 0 && names_node(nodes, name)) continue;
        std::string version;
        if (versions) {
            auto found = nodes.find(versions[s] & kVersionIndex);
            if (found != nodes.end()) version = (versions[s] & kHiddenVersion ? "@" : "") + found->second;
        }
        out.exported[name] = version;
    }
    return out;
}
#endif

DynamicSymbols dynamic_symbols(const char *path = VELK_LIBRARY_FILE) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
#if VELK_READS_ELF
    const unsigned char host_order = VELK_BIG_ENDIAN_HOST ? ELFDATA2MSB : ELFDATA2LSB;
    if (file.size() > EI_DATA && std::memcmp(file.data(), ELFMAG, SELFMAG) == 0 &&
        static_cast<unsigned char>(file[EI_DATA]) == host_order) {
        if (file[EI_CLASS] == ELFCLASS32) return read_dynamic_symbols<Elf32>(file);
        if (file[EI_CLASS] == ELFCLASS64) return read_dynamic_symbols<Elf64>(file);
    }
#endif
    return {};
}

// The library's symbol table, or the test fails (ELF) or skips (a platform
// whose library format this test does not read).
#if VELK_READS_ELF
#define READ_SYMBOLS(symbols)                                                                                \
    DynamicSymbols symbols = dynamic_symbols();                                                              \
    ASSERT_TRUE(symbols.read) << "the ELF symbol table of " VELK_LIBRARY_FILE " was not read"
#else
#define READ_SYMBOLS(symbols)                                                                                \
    GTEST_SKIP() << "this platform's library format is not read";                                            \
    DynamicSymbols symbols
#endif

std::set<std::string> exported_names(const DynamicSymbols &symbols) {
    std::set<std::string> out;
    for (const auto &symbol : symbols.exported)
        out.insert(symbol.first);
    return out;
}
#endif

class Abi : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { lib_ = open_library(); }
    // Unloaded again, so that the unload tests that follow load it afresh.
    static void TearDownTestSuite() {
        if (lib_) close_library(lib_);
    }
    static Library lib_;
    static velk_bstr make(const char *s) { return make_bstr(lib_, s); }
    static void free_string(velk_bstr s) { free_bstr(lib_, s); }
};
Library Abi::lib_ = nullptr;

} // namespace

// An export found by name, as the header's pointer type for it.
#define BIND(name) reinterpret_cast<name##_fn>(find(lib_, #name))

TEST_F(Abi, ExportListIsTheWholeInterface) {
    EXPECT_EQ(kInterface.size(), 104u);
    std::set<std::string> listed(kDecoratedExportList.begin(), kDecoratedExportList.end());
    EXPECT_EQ(listed.size(), kDecoratedExportList.size()) << "a name is listed twice";
    EXPECT_EQ(listed, kInterface);
}

TEST_F(Abi, EveryListedNameResolves) {
    ASSERT_NE(lib_, nullptr) << VELK_LIBRARY_FILE;
    for (const auto &name : kExportList)
        EXPECT_NE(find(lib_, name), nullptr) << name;
}

// On Linux, beside the listed names: the counted-string functions the
// platform lacks, and the link names the header gives the four exports whose
// plain names libxml2 defines too.
TEST_F(Abi, ExportTableHoldsExactlyTheListedNames) {
    ASSERT_NE(lib_, nullptr);
    std::set<std::string> expected(kExportList.begin(), kExportList.end());
#if defined(_WIN32)
    EXPECT_EQ(exported_names(lib_), expected);
#else
    expected.insert({"SysAllocStringByteLen", "SysFreeString", "SysStringByteLen"});
    expected.insert(kLinkNames.begin(), kLinkNames.end());
    READ_SYMBOLS(symbols);
    EXPECT_EQ(exported_names(symbols), expected);
#endif
}

#if !defined(_WIN32)
// Every export is the default version of one node: a program linked against
// the library, or a plugin loaded beside libxml2, binds each name to this
// library even where libxml2 defines the same name, and programs linked
// against the unversioned 1.0.0 library still find every name. The link
// names are a node of their own, and each is the same function as the plain
// name, which dlsym still finds.
TEST_F(Abi, EveryExportCarriesTheLibraryVersionNode) {
    READ_SYMBOLS(symbols);
    const auto &exports = symbols.exported;
    ASSERT_EQ(exports.size(), kExportList.size() + 3 + kLinkNames.size());
    for (const auto &symbol : exports) {
        bool link_name = std::count(kLinkNames.begin(), kLinkNames.end(), symbol.first);
        EXPECT_EQ(symbol.second, link_name ? VELK_LINK_VERSION : VELK_SYMBOL_VERSION) << symbol.first;
    }
    for (const std::string &name : kLinkNames) {
        EXPECT_NE(find(lib_, name), nullptr) << name;
        EXPECT_EQ(find(lib_, name), find(lib_, name.substr(std::strlen("velk_")))) << name;
    }
}

// The library programs link with, libvelk_xml.so: the same table without the
// four plain names, under the library's SONAME.
TEST_F(Abi, LinkLibraryLeavesLibxml2sNamesOut) {
    READ_SYMBOLS(loaded);
    DynamicSymbols linked = dynamic_symbols(VELK_LINK_LIBRARY_FILE);
    ASSERT_TRUE(linked.read) << VELK_LINK_LIBRARY_FILE;
    std::map<std::string, std::string> expected = loaded.exported;
    for (const char *name : {"xmlFree", "xmlParseFile", "xmlAddChild", "xmlLastError"})
        EXPECT_EQ(expected.erase(name), 1u) << name;
    EXPECT_EQ(linked.exported, expected);
    EXPECT_EQ(linked.soname, loaded.soname);
    EXPECT_EQ(loaded.soname, "libvelk_xml.so." + std::to_string(VELK_XML_VERSION_MAJOR));
}

// What the library does is settled when it is built and by its caller's
// arguments: it takes no function that reads the environment.
TEST_F(Abi, ReadsNoEnvironmentVariable) {
    READ_SYMBOLS(symbols);
    const std::set<std::string> &imported = symbols.imported;
    EXPECT_TRUE(imported.count("calloc")) << "the imports were not read";
    for (const char *reader : {"getenv", "secure_getenv", "__libc_secure_getenv", "environ", "__environ"})
        EXPECT_FALSE(imported.count(reader)) << reader;
}
#endif

#if defined(_WIN32)
TEST_F(Abi, ImageIsADllForThisProcessor) {
    ASSERT_NE(lib_, nullptr);
    const NtHeaders &nt = nt_headers(lib_);
    EXPECT_EQ(nt.Signature, static_cast<DWORD>(IMAGE_NT_SIGNATURE));
    EXPECT_EQ(nt.FileHeader.Machine, kMachine);
    EXPECT_EQ(nt.FileHeader.SizeOfOptionalHeader, sizeof(nt.OptionalHeader));
    EXPECT_EQ(nt.OptionalHeader.Magic, kOptionalMagic);
    EXPECT_TRUE(nt.FileHeader.Characteristics & IMAGE_FILE_DLL);
}

TEST_F(Abi, ImportsOnlySystemDlls) {
    ASSERT_NE(lib_, nullptr);
    const std::set<std::string> system = {"kernel32.dll", "msvcrt.dll",   "oleaut32.dll",
                                          "user32.dll",   "advapi32.dll", "ntdll.dll"};
    for (const auto &dll : imported_dlls(lib_))
        EXPECT_TRUE(system.count(dll)) << dll;
}
#endif

TEST_F(Abi, FreshLibraryStartsWithEmptyTexts) {
    ASSERT_NE(lib_, nullptr);
    EXPECT_EQ(BIND(llLastError)(), nullptr);
    EXPECT_EQ(BIND(xmlLastError)(), nullptr);
    const char *z = BIND(llzLastError)();
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(z[0], '\0');
    EXPECT_STREQ(BIND(xmlzLastError)(), "");
}

TEST_F(Abi, ListCallsThroughCallerPointerTypes) {
    ASSERT_NE(lib_, nullptr);
    auto add = BIND(llAdd);
    auto zadd = BIND(llzAdd);
    auto count = BIND(llCount);
    auto capacity = BIND(llCapacity);
    auto by_number = BIND(llGetByNumber);
    auto prev = BIND(llFindPrev);
    auto move_first = BIND(llMoveFirst);
    auto free_list = BIND(llFree);
    velk_handle list = add(0, make("first"), make("12345"));
    ASSERT_NE(list, 0u);
    velk_handle second = zadd(list, "second", "ab");
    velk_handle third = zadd(second, "third", "");
    EXPECT_EQ(count(list), 3);
    EXPECT_EQ(capacity(list), 5);
    EXPECT_EQ(by_number(list, 2), second);
    EXPECT_EQ(prev(list, third), second);
    move_first(list, third, second);
    EXPECT_EQ(by_number(third, 2), list);
    free_list(third);
}

TEST_F(Abi, KeyedStoreAndSortCallsThroughCallerPointerTypes) {
    ASSERT_NE(lib_, nullptr);
    auto update_by_name = BIND(llzUpdateByName);
    auto data_by_name = BIND(llzDataByName);
    auto find_by_data = BIND(llzFindByData);
    auto delete_by_name = BIND(llzDeleteByName);
    auto find_smallest = BIND(llFindSmallest);
    auto sort = BIND(llSort);
    auto delim_to_list = BIND(llzDelimToList);
    auto data = BIND(llData);
    auto count = BIND(llCount);
    auto free_list = BIND(llFree);

    velk_handle list = delim_to_list("30;&H14;9.5;x", ";");
    ASSERT_NE(list, 0u);
    EXPECT_EQ(count(list), 4);
    EXPECT_STREQ(data_by_name(list, "2"), "&H14");
    velk_handle fourth = update_by_name(list, "4", "-1");
    EXPECT_EQ(fourth, find_by_data(list, "-1"));
    velk_handle before = 0;
    EXPECT_EQ(find_smallest(list, VELK_SORT_NUMERIC, &before), fourth);
    EXPECT_EQ(before, find_by_data(list, "9.5"));
    EXPECT_NE(find_smallest(list, VELK_SORT_TEXT, &before), 0u); // text order: "&H14", the second entry
    EXPECT_EQ(before, list);
    velk_handle first = sort(list, VELK_SORT_NUMERIC); // -1, 9.5, &H14 (20), 30
    EXPECT_STREQ(data_by_name(first, "3"), "9.5");
    velk_bstr text = data(first);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(VELK_BSTR_BYTES(text), 2), "-1");
    free_string(text);
    EXPECT_EQ(delete_by_name(first, "3"), 1);
    EXPECT_EQ(count(first), 3);
    EXPECT_EQ(find_by_data(first, "9.5"), 0u);
    free_list(first);
}

TEST_F(Abi, XmlCallsThroughCallerPointerTypes) {
    ASSERT_NE(lib_, nullptr);
    auto parse = BIND(xmlParse);
    auto zparse = BIND(xmlzParse);
    auto tree = BIND(xmlTreeToString);
    auto ztree = BIND(xmlzTreeToString);
    auto zset = BIND(xmlzSetAttrib);
    auto zclean = BIND(xmlzClean);
    auto type = BIND(xmlNodeType);
    auto child = BIND(xmlChild);
    auto add_child = BIND(xmlAddChild);
    auto free_tree = BIND(xmlFree);
    velk_bstr text = make("<a x='1'>t</a>");
    velk_handle doc = parse(&text); // by reference: the string stays the caller's
    ASSERT_NE(doc, 0u);
    EXPECT_EQ(type(doc), VELK_NODE_ELEMENT);
    EXPECT_EQ(type(child(doc)), VELK_NODE_TEXT);
    EXPECT_EQ(zset(doc, "y", "2"), 1);
    velk_handle extra = zparse("<b/>");
    add_child(doc, extra);
    velk_bstr written = tree(doc, VELK_COMPACT);
    ASSERT_NE(written, nullptr);
    EXPECT_STREQ(VELK_BSTR_BYTES(written), "<a x='1' y=\"2\">t<b /></a>");
    free_string(written);
    EXPECT_STREQ(ztree(extra, VELK_INDENTED), " <b />\r\n");
    EXPECT_STREQ(zclean("<&>"), "&lt;&amp;&gt;");
    free_tree(doc);
    free_tree(extra);
    free_string(text);
}

TEST_F(Abi, QueryAndBridgeCallsThroughCallerPointerTypes) {
    ASSERT_NE(lib_, nullptr);
    auto zparse = BIND(xmlzParse);
    auto find_node = BIND(xmlzFindNode);
    auto find_recursive = BIND(xmlFindNodeRecursive);
    auto find_child = BIND(xmlzFindChild);
    auto find_specific = BIND(xmlzFindSpecificChild);
    auto data_child = BIND(xmlFindDataChild);
    auto get_tag = BIND(xmlzGetTag);
    auto child_data = BIND(xmlzChildData);
    auto extract = BIND(xmlzExtractSimpleChildData);
    auto tag_data = BIND(xmlzGetChildTagData);
    auto add_simple = BIND(xmlAddSimpleChild);
    auto zadd_simple = BIND(xmlzAddSimpleChild);
    auto from_list = BIND(xmlFromList);
    auto zfrom_list = BIND(xmlzFromList);
    auto to_list = BIND(xmlToList);
    auto attribs_to_list = BIND(XMLATTRIBTOLIST);
    auto list_name = BIND(llzName);
    auto list_data = BIND(llzData);
    auto next = BIND(llNext);
    auto free_list = BIND(llFree);
    auto free_tree = BIND(xmlFree);

    velk_handle doc = zparse("<r k='1'><p><a>A</a></p><q id='x'><c>C</c></q></r>");
    ASSERT_NE(doc, 0u);
    velk_handle p = find_child(doc, "p"), q = find_specific(doc, "q", "id", "x");
    velk_handle a = find_node(p, VELK_ANY_DEPTH, "a", "", ""), c = find_node(a, 2, "c", nullptr, nullptr);
    ASSERT_TRUE(p && q && a && c);
    EXPECT_EQ(find_recursive(a, VELK_ANY_DEPTH, make("c"), nullptr, nullptr), 0u);
    EXPECT_EQ(find_recursive(doc, 2, make("c"), make(""), nullptr), c);
    EXPECT_STREQ(get_tag(data_child(a)), "A");
    EXPECT_STREQ(child_data(c), "C");
    EXPECT_STREQ(extract(q, "c"), "C");
    EXPECT_STREQ(tag_data(doc, "a"), "A");
    velk_handle added = add_simple(q, make(" s "), make("x<y"));
    velk_handle zadded = zadd_simple(q, "t", "");
    EXPECT_EQ(find_child(q, "s"), added);
    EXPECT_STREQ(child_data(added), "x<y");
    EXPECT_STREQ(tag_data(doc, "s"), ""); // on no creation chain

    velk_handle attrs = attribs_to_list(q);
    ASSERT_NE(attrs, 0u);
    EXPECT_STREQ(list_name(attrs), "id");
    velk_bstr text = from_list(attrs, make("L"));
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(VELK_BSTR_BYTES(text), "<list name=\"L\">\r\n<listitem name=\"id\">x</listitem>\r\n</list>");
    free_string(text);
    velk_handle back_doc = zparse(zfrom_list(attrs, "L"));
    velk_handle back = to_list(back_doc);
    EXPECT_STREQ(list_data(back), "x");
    EXPECT_EQ(next(back), 0u);
    free_list(attrs);
    free_list(back);
    free_tree(back_doc);
    free_tree(doc);
    for (velk_handle h : {added, zadded}) {
        free_tree(data_child(h));
        free_tree(h);
    }
}

#if defined(_WIN64)
namespace {

// Reserves every free range of address space below 4 GiB while it lives, so
// that the heap grows above it and the library's records get addresses that
// do not fit in 32 bits.
class LowAddressesTaken {
  public:
    LowAddressesTaken() {
        const std::uintptr_t limit = std::uintptr_t(1) << 32;
        MEMORY_BASIC_INFORMATION range;
        std::uintptr_t at = 0x10000;
        while (at < limit && VirtualQuery(reinterpret_cast<void *>(at), &range, sizeof range)) {
            auto base = reinterpret_cast<std::uintptr_t>(range.BaseAddress);
            std::uintptr_t end = base + range.RegionSize;
            if (range.State == MEM_FREE) {
                void *taken =
                    VirtualAlloc(range.BaseAddress, std::min(end, limit) - base, MEM_RESERVE, PAGE_NOACCESS);
                if (taken) taken_.push_back(taken);
            }
            at = end;
        }
    }
    ~LowAddressesTaken() {
        for (void *range : taken_)
            VirtualFree(range, 0, MEM_RELEASE);
    }

  private:
    std::vector<void *> taken_;
};

bool above_4gib(velk_handle h) { return h > 0xFFFFFFFFu; }

} // namespace

TEST_F(Abi, HandlesAbove4GiBStayWhole) {
    ASSERT_NE(lib_, nullptr);
    auto zadd = BIND(llzAdd);
    auto count = BIND(llCount);
    auto last = BIND(llFindLast);
    auto prev = BIND(llFindPrev);
    auto by_number = BIND(llGetByNumber);
    auto find_smallest = BIND(llFindSmallest);
    auto find_by_name = BIND(llzFindByName);
    auto name = BIND(llzName);
    auto free_list = BIND(llFree);
    auto zparse = BIND(xmlzParse);
    auto child = BIND(xmlChild);
    auto parent = BIND(xmlParent);
    auto find_child = BIND(xmlzFindChild);
    auto attrib_exists = BIND(xmlzAttribExists);
    auto add_child = BIND(xmlAddChild);
    auto to_list = BIND(xmlToList);
    auto free_tree = BIND(xmlFree);

    LowAddressesTaken low;
    // Entries until the heap has moved above 4 GiB: the blocks below it that
    // were free before fill up first.
    velk_handle first = zadd(0, "first", "9"), high = first;
    int32_t entries = 1;
    while (high && !above_4gib(high) && entries < 1000000) {
        high = zadd(high, "", "5");
        ++entries;
    }
    ASSERT_TRUE(above_4gib(high)) << entries << " entries";
    velk_handle tail = zadd(high, "tail", "1");
    ASSERT_TRUE(above_4gib(tail));
    EXPECT_EQ(count(first), entries + 1);
    EXPECT_EQ(last(first), tail);
    EXPECT_EQ(prev(first, tail), high);
    EXPECT_EQ(by_number(high, 2), tail);
    EXPECT_EQ(find_by_name(first, "tail"), tail);
    EXPECT_STREQ(name(tail), "tail");
    velk_handle before = 0;
    EXPECT_EQ(find_smallest(first, 1, &before), tail);
    EXPECT_EQ(before, high);

    // The list stays until the end: blocks it gave back would be below 4 GiB.
    velk_handle doc = zparse("<list name='L'><listitem name='k'>v</listitem></list>");
    velk_handle item = find_child(doc, "listitem");
    ASSERT_TRUE(above_4gib(doc) && above_4gib(item));
    EXPECT_EQ(parent(item), doc);
    EXPECT_TRUE(above_4gib(child(item)));
    EXPECT_EQ(parent(child(item)), item);
    EXPECT_TRUE(above_4gib(attrib_exists(doc, "name")));
    velk_handle extra = zparse("<listitem name='j'>w</listitem>");
    add_child(doc, extra);
    EXPECT_EQ(parent(extra), doc);
    velk_handle list = to_list(doc);
    ASSERT_TRUE(above_4gib(list));
    EXPECT_EQ(count(list), 2);
    EXPECT_STREQ(name(by_number(list, 2)), "j");
    free_list(list);
    free_tree(doc);
    free_tree(extra);
    free_list(first);
}
#endif
