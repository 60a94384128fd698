// The version that the shipped library carries agrees with the header's: the
// DLL's version resource on Windows, the SONAME of the .so on Linux.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "velk_xml_version.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <elf.h>
#include <fstream>
#include <iterator>
#endif

namespace {

#if defined(_WIN32)
class VersionResource {
  public:
    VersionResource() {
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeA(VELK_LIBRARY_FILE, &ignored);
        if (size == 0) return;
        data_.resize(size);
        if (!GetFileVersionInfoA(VELK_LIBRARY_FILE, 0, size, data_.data())) data_.clear();
    }
    bool present() const { return !data_.empty(); }
    const VS_FIXEDFILEINFO *fixed() {
        void *info = nullptr;
        UINT size = 0;
        if (!VerQueryValueA(data_.data(), "\\", &info, &size) || size < sizeof(VS_FIXEDFILEINFO))
            return nullptr;
        return static_cast<const VS_FIXEDFILEINFO *>(info);
    }
    // A text of the US English, Unicode block.
    std::string text(const char *name) {
        void *info = nullptr;
        UINT size = 0;
        std::string path = std::string("\\StringFileInfo\\040904b0\\") + name;
        if (!VerQueryValueA(data_.data(), path.c_str(), &info, &size) || size == 0) return "(none)";
        return static_cast<const char *>(info);
    }

  private:
    std::vector<char> data_;
};

TEST(Version, DllVersionResourceIsTheHeadersVersion) {
    VersionResource resource;
    ASSERT_TRUE(resource.present()) << VELK_LIBRARY_FILE << " has no version resource";
    const VS_FIXEDFILEINFO *fixed = resource.fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    for (auto pair : {std::make_pair(fixed->dwFileVersionMS, fixed->dwFileVersionLS),
                      std::make_pair(fixed->dwProductVersionMS, fixed->dwProductVersionLS)}) {
        EXPECT_EQ(HIWORD(pair.first), VELK_XML_VERSION_MAJOR);
        EXPECT_EQ(LOWORD(pair.first), VELK_XML_VERSION_MINOR);
        EXPECT_EQ(HIWORD(pair.second), VELK_XML_VERSION_PATCH);
        EXPECT_EQ(LOWORD(pair.second), 0);
    }
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(resource.text("FileVersion"), VELK_XML_VERSION_STRING);
    EXPECT_EQ(resource.text("ProductVersion"), VELK_XML_VERSION_STRING);
    EXPECT_EQ(resource.text("OriginalFilename"), "VELK_XML.dll");
    EXPECT_NE(resource.text("FileDescription"), "(none)");
}
#else
// The DT_SONAME entry of the library file's dynamic section.
std::string soname(const char *path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (file.size() < sizeof(Elf64_Ehdr)) return "(no ELF file)";
    auto *eh = reinterpret_cast<const Elf64_Ehdr *>(file.data());
    auto *sections = reinterpret_cast<const Elf64_Shdr *>(file.data() + eh->e_shoff);
    for (int i = 0; i < eh->e_shnum; ++i) {
        if (sections[i].sh_type != SHT_DYNAMIC) continue;
        const char *strings = file.data() + sections[sections[i].sh_link].sh_offset;
        auto *entry = reinterpret_cast<const Elf64_Dyn *>(file.data() + sections[i].sh_offset);
        for (std::size_t n = sections[i].sh_size / sizeof(Elf64_Dyn); n > 0 && entry->d_tag != DT_NULL;
             --n, ++entry)
            if (entry->d_tag == DT_SONAME) return strings + entry->d_un.d_val;
    }
    return "(none)";
}

TEST(Version, SonameCarriesTheHeadersMajorVersion) {
    EXPECT_EQ(soname(VELK_LIBRARY_FILE), "libvelk_xml.so." + std::to_string(VELK_XML_VERSION_MAJOR));
}
#endif

} // namespace
