// The file writers where data is lost in practice: a disk that fills during a
// write, a reader of the name while it is written, readers racing a writer
// that replaces the file. Whatever happens, the name holds the old file or
// the whole new one, and no private file is left beside it.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "file_support.h"
#include "support.h"
#include "velk_xml.h"

#if !defined(_WIN32)
#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace velk_test;

namespace {

// "<r><i>0</i><i>1</i>...</r>": items elements, about 16 bytes each.
velk_handle items_document(int items) {
    std::string text = "<r>";
    for (int i = 0; i < items; ++i)
        text += "<i>" + std::to_string(i) + "</i>";
    text += "</r>";
    return xmlzParse(text.c_str());
}

// The nodes after the first along its children and siblings, a count that
// a document cut short does not reach; -1 when the parse failed. Frees the
// tree.
int items_in(velk_handle root) {
    if (!root) return -1;
    int n = 0;
    for (velk_handle c = xmlChild(root); c; c = xmlNextSibling(c))
        ++n;
    xmlFree(root);
    return n;
}

// What items_in finds in the whole document of that many items.
int whole(int items) { return items_in(items_document(items)); }

velk_handle items_list(int entries) {
    velk_handle first = 0, last = 0;
    for (int i = 0; i < entries; ++i) {
        last = llzAdd(last, ("n" + std::to_string(i)).c_str(), "data");
        if (!first) first = last;
    }
    return first;
}

int entries_in(velk_handle list) {
    if (!list) return -1;
    int n = llCount(list);
    llFree(list);
    return n;
}

} // namespace

// A reader of a name that is being written finds no file or the whole file:
// never a part of one (the old writers let it parse what was written so far,
// as a success).
TEST(FileWrites, AReaderOfANameBeingWrittenNeverGetsAPart) {
    constexpr int kItems = 60000, kEntries = 60000, kRounds = 4;
    const int items = whole(kItems);
    TempDir dir;
    velk_handle doc = items_document(kItems);
    velk_handle list = items_list(kEntries);
    int reads = 0;
    for (int round = 0; round < kRounds; ++round) {
        const std::string xml = dir.file("d" + std::to_string(round) + ".xml");
        const std::string lst = dir.file("d" + std::to_string(round) + ".lst");
        std::atomic<bool> done{false};
        std::vector<int> trees, lists;
        std::thread reader([&] {
            while (!done.load()) {
                trees.push_back(items_in(xmlzParseFile(xml.c_str())));
                lists.push_back(entries_in(llzListFromFile(lst.c_str())));
            }
        });
        EXPECT_EQ(round % 2 ? xmlzNodeToFile(doc, xml.c_str()) : xmlTreeToFile(doc, bs(xml), 0), 1);
        EXPECT_EQ(llzListToFile(list, lst.c_str()), 1);
        done = true;
        reader.join();
        for (int n : trees)
            EXPECT_TRUE(n == -1 || n == items) << n << ": a reader got a part of the document";
        for (int n : lists)
            EXPECT_TRUE(n == -1 || n == kEntries) << n << ": a reader got a part of the list";
        reads += static_cast<int>(trees.size());
        EXPECT_EQ(items_in(xmlzParseFile(xml.c_str())), items);
        EXPECT_EQ(entries_in(llzListFromFile(lst.c_str())), kEntries);
    }
    EXPECT_GT(reads, kRounds);
    EXPECT_EQ(names_in(dir).size(), 2u * kRounds);
    llFree(list);
    xmlFree(doc);
}

// Readers polling a file that is replaced again and again find the old
// document or the new one, whole. On Linux a reader never keeps the writer
// from replacing the file; Windows replaces no file that is open, so there a
// replacement may be refused, as its deletion always was, and the old file
// stays.
TEST(FileWrites, ReadersRacingAReplacementFindAWholeDocument) {
    constexpr int kWrites = 24;
    const int kSmall = whole(2000), kLarge = whole(40000);
    TempDir dir;
    const std::string name = dir.file("shared.xml");
    velk_handle small = items_document(2000), large = items_document(40000);
    ASSERT_EQ(xmlTreeToFile(small, bs(name), 0), 1);
    std::atomic<bool> done{false};
    std::atomic<int> partial{0}, reads{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r)
        readers.emplace_back([&] {
            while (!done.load()) {
                int n = items_in(xmlzParseFile(name.c_str()));
                if (n >= 0) ++reads;
                if (n >= 0 && n != kSmall && n != kLarge) ++partial;
            }
        });
    int written = 0;
    for (int i = 0; i < kWrites; ++i)
        written += xmlTreeToFile(i % 2 ? small : large, bs(name), VELK_OVERWRITE);
    done = true;
    for (std::thread &t : readers)
        t.join();
    EXPECT_EQ(partial.load(), 0);
    EXPECT_GT(reads.load(), 0);
#if defined(_WIN32)
    EXPECT_GT(written, 0);
#else
    EXPECT_EQ(written, kWrites);
#endif
    const int last = items_in(xmlzParseFile(name.c_str()));
    EXPECT_TRUE(last == kSmall || last == kLarge) << last;
    EXPECT_EQ(names_in(dir), std::vector<std::string>{"shared.xml"});
    xmlFree(small);
    xmlFree(large);
}

#if !defined(_WIN32)
namespace {

std::string xml_error() { return take(xmlLastError()); }

// What a child process found wrong, one line each.
struct Findings {
    std::string text;
    void check(bool ok, const std::string &what) {
        if (!ok) text += what + "\n";
    }
};

// Every writer, each with and without overwrite, given more than the folder
// holds: each fails with its message and leaves the old files byte for byte
// and nothing else; then a write that fits succeeds.
void writers_on_a_full_disk(const TempDir &dir, Findings &found) {
    const std::string keep_xml = dir.file("keep.xml"), keep_lst = dir.file("keep.lst");
    velk_handle old_doc = items_document(50), big_doc = items_document(30000);
    velk_handle old_list = items_list(50), big_list = items_list(40000);
    found.check(xmlTreeToFile(old_doc, bs(keep_xml), 0) == 1, "the first document was not written");
    found.check(llzListToFile(old_list, keep_lst.c_str()) == 1, "the first list was not written");
    const std::string xml_before = read_file(keep_xml), lst_before = read_file(keep_lst);
    const std::vector<std::string> names_before = names_in(dir);
    // The number is 61 (disk full) on the small file system, 75 past the
    // file-size limit (EFBIG).
    auto failed_writing = [&](int result, const std::string &message, const std::string &what) {
        found.check(result == 0, what + ": succeeded");
        found.check(message.rfind("Error writing output file '", 0) == 0 ||
                        message.rfind("i/o error writing to file ", 0) == 0,
                    what + ": " + message);
        found.check(read_file(keep_xml) == xml_before, what + ": the old document changed");
        found.check(read_file(keep_lst) == lst_before, what + ": the old list changed");
        found.check(names_in(dir) == names_before, what + ": a file was left or lost");
    };
    int r = xmlTreeToFile(big_doc, bs(keep_xml), VELK_OVERWRITE);
    failed_writing(r, xml_error(), "xmlTreeToFile over a file");
    r = xmlTreeToFile(big_doc, bs(dir.file("new.xml")), 0);
    failed_writing(r, xml_error(), "xmlTreeToFile to a new name");
    r = xmlzNodeToFile(big_doc, dir.file("new.xml").c_str());
    failed_writing(r, xml_error(), "xmlzNodeToFile");
    r = llzListToFile(big_list, dir.file("new.lst").c_str());
    failed_writing(r, take(llLastError()), "llzListToFile");
    // The space the failed writes took is free again.
    found.check(xmlTreeToFile(old_doc, bs(dir.file("again.xml")), 0) == 1,
                "a write that fits failed after the failures: " + xml_error());
    llFree(old_list);
    llFree(big_list);
    xmlFree(old_doc);
    xmlFree(big_doc);
}

enum class FullBy { small_file_system, file_size_limit };

// Runs writers_on_a_full_disk in a child process whose folder dir fills at
// 256 KiB: a tmpfs of that size mounted over it in a mount namespace of its
// own, or a file-size limit of that size. Returns what the child found;
// "skip" when the child may not mount.
std::string in_full_folder(const TempDir &dir, FullBy by) {
    int out[2];
    if (::pipe(out) != 0) return "no pipe";
    pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        Findings found;
        if (by == FullBy::small_file_system) {
            if (::unshare(CLONE_NEWNS) != 0 ||
                ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                ::mount("tmpfs", dir.file("").c_str(), "tmpfs", 0, "size=256k") != 0)
                found.text = "skip";
        } else {
            const rlimit limit{256 * 1024, 256 * 1024};
            std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails with EFBIG
            found.check(::setrlimit(RLIMIT_FSIZE, &limit) == 0, "setrlimit");
        }
        if (found.text.empty()) writers_on_a_full_disk(dir, found);
        (void)!::write(out[1], found.text.data(), found.text.size());
        ::_exit(0);
    }
    ::close(out[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) text += "the child ended abnormally\n";
    return text;
}

} // namespace

TEST(FileWrites, AFullDiskLeavesTheOldFileWholeAndNoPartBehind) {
    for (FullBy by : {FullBy::small_file_system, FullBy::file_size_limit}) {
        SCOPED_TRACE(by == FullBy::small_file_system ? "a 256 KiB file system" : "a 256 KiB file-size limit");
        TempDir dir;
        const std::string found = in_full_folder(dir, by);
        if (found == "skip") continue; // no leave to mount here: the limit alone
        EXPECT_EQ(found, "");
    }
}
#endif
