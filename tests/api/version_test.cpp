// The version resource that the DLL carries agrees with the header's version.
// (On Linux the package test checks the SONAME of the installed library.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "velk_xml_version.h"

#include <windows.h>

namespace {

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

} // namespace
