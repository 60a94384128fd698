#include <gtest/gtest.h>

#include <filesystem>

#include "file_support.h"
#include "frame/files.h"
#include "support.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

using namespace velk_test;
namespace files = velk::files;
using files::Access;
using files::Disposition;
using files::File;
using files::Share;

namespace {
int open_file(const std::string &name, Access access, Share share, Disposition how, File &out) {
    return File::open(name, access, share, how, out);
}
} // namespace

TEST(Files, ExistenceMatchesRegularFilesOnly) {
    TempDir dir;
    write_file(dir.file("a.lst"), "x");
    std::filesystem::create_directory(dir.file("folder"));
    EXPECT_TRUE(files::exists(dir.file("a.lst")));
    EXPECT_FALSE(files::exists(dir.file("b.lst")));
    EXPECT_FALSE(files::exists(dir.file("folder")));
    EXPECT_FALSE(files::exists(""));
    // Names with wildcards are search patterns.
    EXPECT_TRUE(files::exists(dir.file("*.lst")));
    EXPECT_TRUE(files::exists(dir.file("a.?st")));
    EXPECT_FALSE(files::exists(dir.file("fold*")));
}

TEST(Files, OpenRefusesEmptyNamesAndPatternsWith64) {
    TempDir dir;
    write_file(dir.file("a.xml"), "x");
    File f;
    EXPECT_EQ(open_file("", Access::read, Share::read, Disposition::open_existing, f), 64);
    EXPECT_EQ(open_file(dir.file("*.xml"), Access::read, Share::read, Disposition::open_existing, f), 64);
    EXPECT_EQ(open_file(dir.file("a.xm?"), Access::read, Share::read, Disposition::open_existing, f), 64);
    EXPECT_FALSE(f.is_open());
}

TEST(Files, MissingFileAndMissingFolderHaveTheirOwnNumbers) {
    TempDir dir;
    File f;
    EXPECT_EQ(open_file(dir.file("none.xml"), Access::read, Share::read, Disposition::open_existing, f), 53);
    EXPECT_EQ(
        open_file(dir.file("no/such/none.xml"), Access::read_write, Share::none, Disposition::create_new, f),
        76);
}

TEST(Files, CreateNewNeverOpensAnExistingFile) {
    TempDir dir;
    write_file(dir.file("kept"), "old");
    File f;
    EXPECT_EQ(open_file(dir.file("kept"), Access::read_write, Share::none, Disposition::create_new, f), 75);
    EXPECT_EQ(read_file(dir.file("kept")), "old");
}

TEST(Files, FoldersCannotBeOpened) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder"));
    File f;
    EXPECT_EQ(open_file(dir.file("folder"), Access::read, Share::read, Disposition::open_existing, f), 70);
}

TEST(Files, ExclusiveOpenKeepsOtherOpenersOut) {
    TempDir dir;
    write_file(dir.file("held"), "x");
    File holder, second;
    ASSERT_EQ(
        open_file(dir.file("held"), Access::read_write, Share::none, Disposition::open_existing, holder), 0);
    EXPECT_EQ(open_file(dir.file("held"), Access::read, Share::read, Disposition::open_existing, second), 70);
    ASSERT_EQ(holder.close(), 0);
    EXPECT_EQ(open_file(dir.file("held"), Access::read, Share::read, Disposition::open_existing, second), 0);
    File third; // readers share with readers
    EXPECT_EQ(open_file(dir.file("held"), Access::read, Share::read, Disposition::open_existing, third), 0);
}

TEST(Files, WriteReadSizeAndDelete) {
    TempDir dir;
    const std::string name = dir.file("data.bin");
    {
        File f;
        ASSERT_EQ(open_file(name, Access::read_write, Share::none, Disposition::create_new, f), 0);
        std::string big(200000, 'q');
        EXPECT_EQ(f.write(big.data(), big.size()), 0);
        std::uint64_t size = 0;
        EXPECT_EQ(f.size(size), 0);
        EXPECT_EQ(size, 200000u);
        EXPECT_EQ(f.close(), 0);
    }
    File f;
    ASSERT_EQ(open_file(name, Access::read, Share::read, Disposition::open_existing, f), 0);
    std::string back(250000, '\0');
    std::size_t got = 0;
    EXPECT_EQ(f.read(back.data(), back.size(), got), 0);
    EXPECT_EQ(got, 200000u); // short at the end of the file
    EXPECT_EQ(f.close(), 0);
    EXPECT_TRUE(files::remove(name));
    EXPECT_FALSE(file_present(name));
    EXPECT_FALSE(files::remove(name));
}

TEST(Files, FailureSwitchFailsTheNthOperationOfAKind) {
    TempDir dir;
    write_file(dir.file("f"), "abc");
    File f;
    velk::testing::fail_file_operation(velk::testing::FileOp::read, 2, 23);
    ASSERT_EQ(open_file(dir.file("f"), Access::read, Share::read, Disposition::open_existing, f), 0);
    char c;
    std::size_t got;
    EXPECT_EQ(f.read(&c, 1, got), 0);
    EXPECT_EQ(f.read(&c, 1, got), 72); // code 23: a medium fault
    EXPECT_EQ(f.read(&c, 1, got), 0);
    velk::testing::fail_file_operation(velk::testing::FileOp::close, 1, 5);
    EXPECT_EQ(f.close(), 70);
    EXPECT_FALSE(f.is_open());
}

#if !defined(_WIN32)
TEST(Files, PipesAreNotFilesAndDoNotBlock) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(files::exists(dir.file("pipe")));
    File f;
    EXPECT_EQ(open_file(dir.file("pipe"), Access::read, Share::read, Disposition::open_existing, f), 70);
}
#endif
