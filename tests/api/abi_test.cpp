// Uses the shipped library as a caller does: loads it at run time, finds every
// exported name, calls through its own function-pointer types, and reads the
// binary's export table to check that it holds exactly the export list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#include <oleauto.h>
#define CALLER_CALL __stdcall
#else
#include <dlfcn.h>
#include <elf.h>
#include <fstream>
#include <iterator>
#define CALLER_CALL
#endif

namespace {

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

typedef uintptr_t Handle;

#if defined(_WIN32)
typedef HMODULE Library;
Library open_library() { return LoadLibraryA(VELK_LIBRARY_FILE); }
void *find(Library lib, const std::string &name) {
    return reinterpret_cast<void *>(GetProcAddress(lib, name.c_str()));
}
char *make_bstr(const char *s) {
    return reinterpret_cast<char *>(SysAllocStringByteLen(s, static_cast<UINT>(std::strlen(s))));
}

const unsigned char *image_base(Library lib) { return reinterpret_cast<const unsigned char *>(lib); }
const IMAGE_DATA_DIRECTORY &directory(Library lib, int which) {
    auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(image_base(lib));
    auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(image_base(lib) + dos->e_lfanew);
    return nt->OptionalHeader.DataDirectory[which];
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
void *find(Library lib, const std::string &name) { return dlsym(lib, name.c_str()); }
typedef char *(*AllocFn)(const char *, uint32_t);
char *make_bstr_with(Library lib, const char *s) {
    auto alloc = reinterpret_cast<AllocFn>(find(lib, "SysAllocStringByteLen"));
    return alloc(s, static_cast<uint32_t>(std::strlen(s)));
}

// The defined global symbols of the .so's dynamic symbol table.
std::set<std::string> exported_names(Library) {
    std::ifstream in(VELK_LIBRARY_FILE, std::ios::binary);
    std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto *eh = reinterpret_cast<const Elf64_Ehdr *>(file.data());
    auto *sections = reinterpret_cast<const Elf64_Shdr *>(file.data() + eh->e_shoff);
    std::set<std::string> out;
    for (int i = 0; i < eh->e_shnum; ++i) {
        if (sections[i].sh_type != SHT_DYNSYM) continue;
        const char *strings = file.data() + sections[sections[i].sh_link].sh_offset;
        auto *syms = reinterpret_cast<const Elf64_Sym *>(file.data() + sections[i].sh_offset);
        std::size_t n = sections[i].sh_size / sizeof(Elf64_Sym);
        for (std::size_t s = 1; s < n; ++s) {
            int bind = ELF64_ST_BIND(syms[s].st_info);
            if (syms[s].st_shndx == SHN_UNDEF || (bind != STB_GLOBAL && bind != STB_WEAK)) continue;
            out.insert(strings + syms[s].st_name);
        }
    }
    return out;
}
#endif

class Abi : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { lib_ = open_library(); }
    static Library lib_;
};
Library Abi::lib_ = nullptr;

} // namespace

TEST(AbiList, ExportListIsTheWholeInterface) {
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

TEST_F(Abi, ExportTableHoldsExactlyTheListedNames) {
    ASSERT_NE(lib_, nullptr);
    std::set<std::string> expected(kExportList.begin(), kExportList.end());
#if !defined(_WIN32)
    // Counted strings of the library's own where the platform has none.
    expected.insert({"SysAllocStringByteLen", "SysFreeString", "SysStringByteLen"});
#endif
    EXPECT_EQ(exported_names(lib_), expected);
}

#if defined(_WIN32)
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
    typedef char *(CALLER_CALL * TextFn)();
    typedef const char *(CALLER_CALL * ZTextFn)();
    EXPECT_EQ(reinterpret_cast<TextFn>(find(lib_, "llLastError"))(), nullptr);
    EXPECT_EQ(reinterpret_cast<TextFn>(find(lib_, "xmlLastError"))(), nullptr);
    const char *z = reinterpret_cast<ZTextFn>(find(lib_, "llzLastError"))();
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(z[0], '\0');
    EXPECT_STREQ(reinterpret_cast<ZTextFn>(find(lib_, "xmlzLastError"))(), "");
}

TEST_F(Abi, ListCallsThroughCallerPointerTypes) {
    ASSERT_NE(lib_, nullptr);
    typedef Handle(CALLER_CALL * AddFn)(Handle, char *, char *);
    typedef Handle(CALLER_CALL * ZAddFn)(Handle, const char *, const char *);
    typedef int32_t(CALLER_CALL * CountFn)(Handle);
    typedef Handle(CALLER_CALL * NumberFn)(Handle, int32_t);
    typedef Handle(CALLER_CALL * PrevFn)(Handle, Handle);
    typedef void(CALLER_CALL * MoveFn)(Handle, Handle, Handle);
    typedef void(CALLER_CALL * FreeFn)(Handle);
    auto add = reinterpret_cast<AddFn>(find(lib_, "llAdd"));
    auto zadd = reinterpret_cast<ZAddFn>(find(lib_, "llzAdd"));
    auto count = reinterpret_cast<CountFn>(find(lib_, "llCount"));
    auto capacity = reinterpret_cast<CountFn>(find(lib_, "llCapacity"));
    auto by_number = reinterpret_cast<NumberFn>(find(lib_, "llGetByNumber"));
    auto prev = reinterpret_cast<PrevFn>(find(lib_, "llFindPrev"));
    auto move_first = reinterpret_cast<MoveFn>(find(lib_, "llMoveFirst"));
    auto free_list = reinterpret_cast<FreeFn>(find(lib_, "llFree"));
#if defined(_WIN32)
    Handle list = add(0, make_bstr("first"), make_bstr("12345"));
#else
    Handle list = add(0, make_bstr_with(lib_, "first"), make_bstr_with(lib_, "12345"));
#endif
    ASSERT_NE(list, 0u);
    Handle second = zadd(list, "second", "ab");
    Handle third = zadd(second, "third", "");
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
    typedef Handle(CALLER_CALL * ZUpdateByNameFn)(Handle, const char *, const char *);
    typedef const char *(CALLER_CALL * ZDataByNameFn)(Handle, const char *);
    typedef Handle(CALLER_CALL * ZFindFn)(Handle, const char *);
    typedef int32_t(CALLER_CALL * ZDeleteByNameFn)(Handle, const char *);
    typedef Handle(CALLER_CALL * FindSmallestFn)(Handle, int32_t, Handle *);
    typedef Handle(CALLER_CALL * SortFn)(Handle, int32_t);
    typedef Handle(CALLER_CALL * ZDelimFn)(const char *, const char *);
    typedef char *(CALLER_CALL * DataFn)(Handle);
    typedef int32_t(CALLER_CALL * CountFn)(Handle);
    typedef void(CALLER_CALL * FreeFn)(Handle);
    auto update_by_name = reinterpret_cast<ZUpdateByNameFn>(find(lib_, "llzUpdateByName"));
    auto data_by_name = reinterpret_cast<ZDataByNameFn>(find(lib_, "llzDataByName"));
    auto find_by_data = reinterpret_cast<ZFindFn>(find(lib_, "llzFindByData"));
    auto delete_by_name = reinterpret_cast<ZDeleteByNameFn>(find(lib_, "llzDeleteByName"));
    auto find_smallest = reinterpret_cast<FindSmallestFn>(find(lib_, "llFindSmallest"));
    auto sort = reinterpret_cast<SortFn>(find(lib_, "llSort"));
    auto delim_to_list = reinterpret_cast<ZDelimFn>(find(lib_, "llzDelimToList"));
    auto data = reinterpret_cast<DataFn>(find(lib_, "llData"));
    auto count = reinterpret_cast<CountFn>(find(lib_, "llCount"));
    auto free_list = reinterpret_cast<FreeFn>(find(lib_, "llFree"));

    Handle list = delim_to_list("30;&H14;9.5;x", ";");
    ASSERT_NE(list, 0u);
    EXPECT_EQ(count(list), 4);
    EXPECT_STREQ(data_by_name(list, "2"), "&H14");
    Handle fourth = update_by_name(list, "4", "-1");
    EXPECT_EQ(fourth, find_by_data(list, "-1"));
    Handle before = 0;
    EXPECT_EQ(find_smallest(list, 1, &before), fourth);
    EXPECT_EQ(before, find_by_data(list, "9.5"));
    EXPECT_NE(find_smallest(list, 0, &before), 0u); // text order: "&H14", the second entry
    EXPECT_EQ(before, list);
    Handle first = sort(list, 1); // -1, 9.5, &H14 (20), 30
    EXPECT_STREQ(data_by_name(first, "3"), "9.5");
    char *text = data(first);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text, 2), "-1");
#if defined(_WIN32)
    SysFreeString(reinterpret_cast<BSTR>(text));
#else
    reinterpret_cast<void (*)(char *)>(find(lib_, "SysFreeString"))(text);
#endif
    EXPECT_EQ(delete_by_name(first, "3"), 1);
    EXPECT_EQ(count(first), 3);
    EXPECT_EQ(find_by_data(first, "9.5"), 0u);
    free_list(first);
}

TEST_F(Abi, XmlCallsThroughCallerPointerTypes) {
    ASSERT_NE(lib_, nullptr);
    typedef Handle(CALLER_CALL * ParseFn)(char **);
    typedef Handle(CALLER_CALL * ZParseFn)(const char *);
    typedef char *(CALLER_CALL * WriteFn)(Handle, int32_t);
    typedef const char *(CALLER_CALL * ZWriteFn)(Handle, int32_t);
    typedef int32_t(CALLER_CALL * ZSetFn)(Handle, const char *, const char *);
    typedef const char *(CALLER_CALL * ZTextFn)(const char *);
    typedef int32_t(CALLER_CALL * TypeFn)(Handle);
    typedef Handle(CALLER_CALL * LinkFn)(Handle);
    typedef void(CALLER_CALL * AddChildFn)(Handle, Handle);
    typedef void(CALLER_CALL * FreeFn)(Handle);
    auto parse = reinterpret_cast<ParseFn>(find(lib_, "xmlParse"));
    auto zparse = reinterpret_cast<ZParseFn>(find(lib_, "xmlzParse"));
    auto tree = reinterpret_cast<WriteFn>(find(lib_, "xmlTreeToString"));
    auto ztree = reinterpret_cast<ZWriteFn>(find(lib_, "xmlzTreeToString"));
    auto zset = reinterpret_cast<ZSetFn>(find(lib_, "xmlzSetAttrib"));
    auto zclean = reinterpret_cast<ZTextFn>(find(lib_, "xmlzClean"));
    auto type = reinterpret_cast<TypeFn>(find(lib_, "xmlNodeType"));
    auto child = reinterpret_cast<LinkFn>(find(lib_, "xmlChild"));
    auto add_child = reinterpret_cast<AddChildFn>(find(lib_, "xmlAddChild"));
    auto free_tree = reinterpret_cast<FreeFn>(find(lib_, "xmlFree"));
#if defined(_WIN32)
    char *text = make_bstr("<a x='1'>t</a>");
    auto free_string = [](char *s) { SysFreeString(reinterpret_cast<BSTR>(s)); };
#else
    char *text = make_bstr_with(lib_, "<a x='1'>t</a>");
    typedef void (*StrFreeFn)(char *);
    auto free_string = reinterpret_cast<StrFreeFn>(find(lib_, "SysFreeString"));
#endif
    Handle doc = parse(&text); // by reference: the string stays the caller's
    ASSERT_NE(doc, 0u);
    EXPECT_EQ(type(doc), 0);
    EXPECT_EQ(type(child(doc)), 1);
    EXPECT_EQ(zset(doc, "y", "2"), 1);
    Handle extra = zparse("<b/>");
    add_child(doc, extra);
    char *written = tree(doc, 0);
    ASSERT_NE(written, nullptr);
    EXPECT_STREQ(written, "<a x='1' y=\"2\">t<b /></a>");
    free_string(written);
    EXPECT_STREQ(ztree(extra, 1), " <b />\r\n");
    EXPECT_STREQ(zclean("<&>"), "&lt;&amp;&gt;");
    free_tree(doc);
    free_tree(extra);
    free_string(text);
}

TEST_F(Abi, QueryAndBridgeCallsThroughCallerPointerTypes) {
    ASSERT_NE(lib_, nullptr);
    typedef Handle(CALLER_CALL * ZParseFn)(const char *);
    typedef Handle(CALLER_CALL * FindNodeFn)(Handle, int32_t, char *, char *, char *);
    typedef Handle(CALLER_CALL * ZFindNodeFn)(Handle, int32_t, const char *, const char *, const char *);
    typedef Handle(CALLER_CALL * ZFindChildFn)(Handle, const char *);
    typedef Handle(CALLER_CALL * ZFindSpecificFn)(Handle, const char *, const char *, const char *);
    typedef Handle(CALLER_CALL * HandleFn)(Handle);
    typedef const char *(CALLER_CALL * ZReadFn)(Handle);
    typedef const char *(CALLER_CALL * ZReadTagFn)(Handle, const char *);
    typedef Handle(CALLER_CALL * AddSimpleFn)(Handle, char *, char *);
    typedef Handle(CALLER_CALL * ZAddSimpleFn)(Handle, const char *, const char *);
    typedef char *(CALLER_CALL * FromListFn)(Handle, char *);
    typedef const char *(CALLER_CALL * ZFromListFn)(Handle, const char *);
    typedef const char *(CALLER_CALL * ZNameFn)(Handle);
    typedef void(CALLER_CALL * FreeFn)(Handle);
    auto zparse = reinterpret_cast<ZParseFn>(find(lib_, "xmlzParse"));
    auto find_node = reinterpret_cast<ZFindNodeFn>(find(lib_, "xmlzFindNode"));
    auto find_recursive = reinterpret_cast<FindNodeFn>(find(lib_, "xmlFindNodeRecursive"));
    auto find_child = reinterpret_cast<ZFindChildFn>(find(lib_, "xmlzFindChild"));
    auto find_specific = reinterpret_cast<ZFindSpecificFn>(find(lib_, "xmlzFindSpecificChild"));
    auto data_child = reinterpret_cast<HandleFn>(find(lib_, "xmlFindDataChild"));
    auto get_tag = reinterpret_cast<ZReadFn>(find(lib_, "xmlzGetTag"));
    auto child_data = reinterpret_cast<ZReadFn>(find(lib_, "xmlzChildData"));
    auto extract = reinterpret_cast<ZReadTagFn>(find(lib_, "xmlzExtractSimpleChildData"));
    auto tag_data = reinterpret_cast<ZReadTagFn>(find(lib_, "xmlzGetChildTagData"));
    auto add_simple = reinterpret_cast<AddSimpleFn>(find(lib_, "xmlAddSimpleChild"));
    auto zadd_simple = reinterpret_cast<ZAddSimpleFn>(find(lib_, "xmlzAddSimpleChild"));
    auto from_list = reinterpret_cast<FromListFn>(find(lib_, "xmlFromList"));
    auto zfrom_list = reinterpret_cast<ZFromListFn>(find(lib_, "xmlzFromList"));
    auto to_list = reinterpret_cast<HandleFn>(find(lib_, "xmlToList"));
    auto attribs_to_list = reinterpret_cast<HandleFn>(find(lib_, "XMLATTRIBTOLIST"));
    auto list_name = reinterpret_cast<ZNameFn>(find(lib_, "llzName"));
    auto list_data = reinterpret_cast<ZNameFn>(find(lib_, "llzData"));
    auto next = reinterpret_cast<HandleFn>(find(lib_, "llNext"));
    auto free_list = reinterpret_cast<FreeFn>(find(lib_, "llFree"));
    auto free_tree = reinterpret_cast<FreeFn>(find(lib_, "xmlFree"));
#if defined(_WIN32)
    auto make = [](const char *s) { return make_bstr(s); };
    auto free_string = [](char *s) { SysFreeString(reinterpret_cast<BSTR>(s)); };
#else
    auto make = [](const char *s) { return make_bstr_with(lib_, s); };
    auto free_string = reinterpret_cast<void (*)(char *)>(find(lib_, "SysFreeString"));
#endif

    Handle doc = zparse("<r k='1'><p><a>A</a></p><q id='x'><c>C</c></q></r>");
    ASSERT_NE(doc, 0u);
    Handle p = find_child(doc, "p"), q = find_specific(doc, "q", "id", "x");
    Handle a = find_node(p, -1, "a", "", ""), c = find_node(a, 2, "c", nullptr, nullptr);
    ASSERT_TRUE(p && q && a && c);
    EXPECT_EQ(find_recursive(a, -1, make("c"), nullptr, nullptr), 0u);
    EXPECT_EQ(find_recursive(doc, 2, make("c"), make(""), nullptr), c);
    EXPECT_STREQ(get_tag(data_child(a)), "A");
    EXPECT_STREQ(child_data(c), "C");
    EXPECT_STREQ(extract(q, "c"), "C");
    EXPECT_STREQ(tag_data(doc, "a"), "A");
    Handle added = add_simple(q, make(" s "), make("x<y"));
    Handle zadded = zadd_simple(q, "t", "");
    EXPECT_EQ(find_child(q, "s"), added);
    EXPECT_STREQ(child_data(added), "x<y");
    EXPECT_STREQ(tag_data(doc, "s"), ""); // on no creation chain

    Handle attrs = attribs_to_list(q);
    ASSERT_NE(attrs, 0u);
    EXPECT_STREQ(list_name(attrs), "id");
    char *text = from_list(attrs, make("L"));
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "<list name=\"L\">\r\n<listitem name=\"id\">x</listitem>\r\n</list>");
    free_string(text);
    Handle back_doc = zparse(zfrom_list(attrs, "L"));
    Handle back = to_list(back_doc);
    EXPECT_STREQ(list_data(back), "x");
    EXPECT_EQ(next(back), 0u);
    free_list(attrs);
    free_list(back);
    free_tree(back_doc);
    free_tree(doc);
    for (Handle h : {added, zadded}) {
        free_tree(data_child(h));
        free_tree(h);
    }
}
