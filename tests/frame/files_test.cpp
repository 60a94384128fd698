#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "file_support.h"
#include "frame/files.h"
#include "support.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace velk_test;
namespace files = velk::files;
using files::Access;
using files::File;
using files::NewFile;
using files::Share;

namespace {
int open_file(const std::string &name, Access access, Share share, File &out) {
    return File::open(name, access, share, out);
}

// A new file for target with these bytes, written and closed, not yet placed.
void write_new(NewFile &f, const std::string &target, const std::string &bytes, bool replacing) {
    ASSERT_EQ(f.create(target, replacing), 0);
    EXPECT_EQ(f.write(bytes.data(), bytes.size()), 0);
    EXPECT_EQ(f.close(), 0);
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
    EXPECT_EQ(open_file("", Access::read, Share::read, f), 64);
    EXPECT_EQ(open_file(dir.file("*.xml"), Access::read, Share::read, f), 64);
    EXPECT_EQ(open_file(dir.file("a.xm?"), Access::read, Share::read, f), 64);
    EXPECT_FALSE(f.is_open());
}

TEST(Files, MissingFileAndMissingFolderHaveTheirOwnNumbers) {
    TempDir dir;
    File f;
    EXPECT_EQ(open_file(dir.file("none.xml"), Access::read, Share::read, f), 53);
    NewFile made;
    EXPECT_EQ(made.create(dir.file("no/such/none.xml"), false), 76);
    EXPECT_EQ(made.create("", false), 64);
    EXPECT_EQ(made.create(dir.file("a*.xml"), false), 64);
}

TEST(Files, ANewFileTakesItsNameOnlyWholeAndNeverOverAFileUnlessReplacing) {
    TempDir dir;
    const std::string kept = dir.file("kept");
    write_file(kept, "old");
    {
        NewFile f;
        write_new(f, kept, "new", false);
        EXPECT_EQ(read_file(kept), "old"); // written beside it
        EXPECT_EQ(names_in(dir).size(), 2u);
        EXPECT_EQ(f.place(false), 75); // the name is taken
        EXPECT_EQ(read_file(kept), "old");
    }
    EXPECT_EQ(names_in(dir), std::vector<std::string>{"kept"}); // the unplaced file is gone
    {
        NewFile f;
        write_new(f, kept, "new", true);
        EXPECT_EQ(f.place(true), 0);
    }
    EXPECT_EQ(read_file(kept), "new");
    {
        NewFile f; // made and dropped half written
        ASSERT_EQ(f.create(dir.file("dropped"), false), 0);
        EXPECT_EQ(f.write("x", 1), 0);
    }
    EXPECT_EQ(names_in(dir), std::vector<std::string>{"kept"});
}

TEST(Files, FoldersCannotBeOpened) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder"));
    File f;
    EXPECT_EQ(open_file(dir.file("folder"), Access::read, Share::read, f), 70);
}

TEST(Files, ExclusiveOpenKeepsOtherOpenersOut) {
    TempDir dir;
    write_file(dir.file("held"), "x");
    File holder, second;
    ASSERT_EQ(open_file(dir.file("held"), Access::read_write, Share::none, holder), 0);
    EXPECT_EQ(open_file(dir.file("held"), Access::read, Share::read, second), 70);
    ASSERT_EQ(holder.close(), 0);
    EXPECT_EQ(open_file(dir.file("held"), Access::read, Share::read, second), 0);
    File third; // readers share with readers
    EXPECT_EQ(open_file(dir.file("held"), Access::read, Share::read, third), 0);
}

TEST(Files, WriteReadAndSize) {
    TempDir dir;
    const std::string name = dir.file("data.bin");
    {
        NewFile f;
        write_new(f, name, std::string(200000, 'q'), false);
        EXPECT_EQ(f.place(false), 0);
    }
    File f;
    ASSERT_EQ(open_file(name, Access::read, Share::read, f), 0);
    std::string back(250000, '\0');
    std::size_t got = 0;
    EXPECT_EQ(f.read(back.data(), back.size(), got), 0);
    EXPECT_EQ(got, 200000u); // short at the end of the file
    std::uint64_t size = 0;
    EXPECT_EQ(f.size(size), 0);
    EXPECT_EQ(size, 200000u);
    EXPECT_EQ(f.close(), 0);
}

#if !defined(_WIN32)
TEST(Files, AReplacementKeepsThePermissionBitsOfTheFileItReplaces) {
    TempDir dir;
    const std::string kept = dir.file("kept");
    write_file(kept, "old");
    for (mode_t mode : {0600, 0640, 0444}) {
        ASSERT_EQ(::chmod(kept.c_str(), mode), 0);
        NewFile f;
        write_new(f, kept, "new", true);
        EXPECT_EQ(f.place(true), 0);
        struct stat st;
        ASSERT_EQ(::stat(kept.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, mode);
        EXPECT_EQ(st.st_uid, ::geteuid());
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    NewFile f; // a file of a new name has any new file's mode
    write_new(f, dir.file("fresh"), "", false);
    EXPECT_EQ(f.place(false), 0);
    struct stat st;
    ASSERT_EQ(::stat(dir.file("fresh").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666u & ~mask);
}
#endif

TEST(Files, FailureSwitchFailsTheNthOperationOfAKind) {
    TempDir dir;
    write_file(dir.file("f"), "abc");
    File f;
    velk::testing::fail_file_operation(velk::testing::FileOp::read, 2, 23);
    ASSERT_EQ(open_file(dir.file("f"), Access::read, Share::read, f), 0);
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
    EXPECT_EQ(open_file(dir.file("pipe"), Access::read, Share::read, f), 70);
}
#endif
