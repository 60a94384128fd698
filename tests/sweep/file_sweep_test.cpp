// Failure sweeps over the file functions: every allocation, and every
// platform file operation of each kind (open, read, write, size, close,
// place) failing in turn with a Windows error code. Each run checks the
// result, the exact message, that nothing leaked, that no file that existed
// before the call was changed, and that no other file was left behind.
#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "file_support.h"
#include "frame/errors.h"
#include "sweep.h"
#include "xml/xml_support.h"

using namespace velk_test;
using namespace velk_test::sweep;

namespace {

const std::string kUntouched = "the message before the call";

std::string le(int32_t v) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
    return out;
}

std::string list_entry(const std::string &name, const std::string &data) {
    return le(static_cast<int32_t>(name.size())) + name + le(static_cast<int32_t>(data.size())) + data;
}

// A list file that the loader reads in three pieces: the first ends inside
// the second entry's name length, the second inside that entry's data.
const std::string kListFile = "LINKED_LIST_TYPE" + list_entry("a", std::string(262117, 'x')) +
                              list_entry("b", std::string(300000, 'y')) + list_entry("c", "3") + le(-1);
const Entries kListEntries = {{"a", std::string(262117, 'x')}, {"b", std::string(300000, 'y')}, {"c", "3"}};

const std::string kXml = "<?xml version='1.0'?><r a='1'><i>x &amp; y</i><!--c--><e/></r>";

std::string list_result(velk_handle list) {
    if (!list) return "0";
    std::string out = "list";
    for (const auto &[name, data] : entries(list))
        out += " " + name + "=" + std::to_string(data.size());
    llFree(list);
    return out;
}

std::string tree_result(velk_handle root) {
    if (!root) return "0";
    std::string out = dump(root);
    xmlFree(root);
    return out;
}

// What a call is expected to leave when a file operation fails.
enum class Target { any, absent, present, unchanged };
struct Expect {
    std::string result;  // "" for the result of a run without failure
    std::string message; // kUntouched when the call sets none
    Target target = Target::any;
};

struct FileCase {
    std::string what;
    velk::Family family;
    std::string existing; // the target's bytes before the call; "" when it does not exist
    bool replaces_target; // the call may delete the existing target
    std::function<std::string(const std::string &target)> call;
    // For a failed operation of a kind: what the call gives.
    std::function<Expect(FileOp op, unsigned nth, const std::string &target)> failed;
    std::function<std::string(const std::string &target)> full_message = [](const std::string &) {
        return kUntouched;
    };
};

struct Kind {
    FileOp op;
    const char *name;
    std::uint32_t code;
};
const std::vector<Kind> kKinds = {
    {FileOp::open, "open", 5},     // access denied
    {FileOp::open, "open", 32},    // sharing violation
    {FileOp::read, "read", 23},    // data error (CRC)
    {FileOp::write, "write", 112}, // disk full
    {FileOp::size, "size", 5},     // access denied
    {FileOp::close, "close", 112}, // disk full while flushing
    {FileOp::place, "place", 32},  // in use by another process
};

// The message a run without failure leaves, and a file the call must not touch.
struct Outcome {
    std::string result, message;
};

Outcome run_case(const FileCase &c, const TempDir &dir, FileFault *fault) {
    velk::set_error(c.family, kUntouched);
    if (fault) fault->arm();
    std::string result = c.call(dir.file("target"));
    if (fault) fault->disarm();
    return {result, velk::error_text(c.family)};
}

void prepare(const FileCase &c, const TempDir &dir) {
    write_file(dir.file("neighbour"), "a file beside the target");
    if (!c.existing.empty()) write_file(dir.file("target"), c.existing);
}

void sweep_file_case(const FileCase &c) {
    SCOPED_TRACE(c.what);
    std::string full_result;
    {
        TempDir dir;
        prepare(c, dir);
        full_result = run_case(c, dir, nullptr).result;
    }
    for (const Kind &kind : kKinds) {
        SCOPED_TRACE(kind.name);
        sweep_file_operations(c.what, kind.op, kind.code, [&](FileFault &fault) {
            TempDir dir;
            prepare(c, dir);
            const std::string target = dir.file("target");
            const std::string folder = dir.file("");
            const auto before = folder_files(folder);
            BlockWatch watch;
            Outcome got = run_case(c, dir, &fault);
            EXPECT_EQ(watch.leaked(), 0);
            Expect expected{full_result, c.full_message(target), Target::any};
            if (fault.struck()) {
                expected = c.failed(kind.op, fault.nth(), target);
                if (expected.result.empty()) expected.result = full_result;
            }
            EXPECT_EQ(got.result, expected.result);
            EXPECT_EQ(got.message, expected.message);
            const auto after = folder_files(folder);
            for (const auto &[name, bytes] : before) {
                if (name == "target" && c.replaces_target) continue;
                EXPECT_TRUE(after.count(name) && after.at(name) == bytes) << name << " was changed";
            }
            for (const auto &[name, bytes] : after)
                EXPECT_TRUE(name == "target" || before.count(name)) << name << " was left behind";
            switch (expected.target) {
            case Target::absent:
                EXPECT_FALSE(after.count("target"));
                break;
            case Target::present:
                EXPECT_TRUE(after.count("target"));
                break;
            case Target::unchanged:
                EXPECT_TRUE(after.count("target") && after.at("target") == c.existing);
                break;
            case Target::any:
                break;
            }
        });
    }
}

// The result, and after success the size and a digest of what was written.
std::string written(int32_t result, const std::string &target) {
    if (result != 1) return std::to_string(result);
    const std::string bytes = read_file(target);
    return "1, " + std::to_string(bytes.size()) + " bytes, digest " +
           std::to_string(std::hash<std::string>()(bytes));
}

} // namespace

TEST(FileSweep, FileOperationsListSave) {
    velk_handle list = make_list({{"alpha", "1"}, {"beta", ""}, {"gamma", std::string(300000, 'g')}});
    auto failed = [](FileOp op, unsigned, const std::string &target) -> Expect {
        if (op == FileOp::open || op == FileOp::place)
            return {"0", "Unable to create save file " + target + "Error = 70", Target::absent};
        return {"0", "i/o error writing to file " + target, Target::absent}; // nothing is left
    };
    auto exists = [](const std::string &target) {
        return "Unable to save linked list. File " + target + " already exists.";
    };
    auto none = [](FileOp, unsigned, const std::string &) -> Expect {
        return {"unexpected", "", Target::any};
    };
    const std::vector<FileCase> cases = {
        {"llListToFile", velk::Family::list, "", false,
         [&](const std::string &t) { return written(llListToFile(list, bs(t)), t); }, failed},
        {"llzListToFile", velk::Family::list, "", false,
         [&](const std::string &t) { return written(llzListToFile(list, t.c_str()), t); }, failed},
        {"llListToFile onto an existing file", velk::Family::list, "kept", false,
         [&](const std::string &t) { return written(llListToFile(list, bs(t)), t); }, none, exists},
    };
    for (const FileCase &c : cases)
        sweep_file_case(c);
    llFree(list);
}

TEST(FileSweep, FileOperationsListLoad) {
    auto failed = [](FileOp op, unsigned nth, const std::string &target) -> Expect {
        switch (op) {
        case FileOp::open:
            return {"", kUntouched}; // opened again for reading only
        case FileOp::size:
            return {"0", "Error reading input file " + target + " Error = 70"};
        case FileOp::read:
            if (nth == 1)
                return {"0", "File " + target + " doesn't contain a properly formatted linked list."};
            return {"0", "Error reading input file " + target + " Error = 72"};
        default:
            return {"unexpected", ""};
        }
    };
    const std::vector<FileCase> cases = {
        {"llListFromFile", velk::Family::list, kListFile, false,
         [](const std::string &t) { return list_result(llListFromFile(bs(t))); }, failed},
        {"llzListFromFile", velk::Family::list, kListFile, false,
         [](const std::string &t) { return list_result(llzListFromFile(t.c_str())); }, failed},
    };
    for (const FileCase &c : cases)
        sweep_file_case(c);
}

TEST(FileSweep, FileOperationsXmlParseFile) {
    auto failed = [](FileOp op, unsigned, const std::string &target) -> Expect {
        switch (op) {
        case FileOp::open:
            return {"0", "Error opening xml file " + target + " error=70"};
        case FileOp::size:
            return {"0", "Error reading xml file " + target + " error=70"};
        case FileOp::read:
            return {"0", "Error reading xml file " + target + " error=72"};
        case FileOp::close:
            return {"", kUntouched}; // the bytes were read already
        default:
            return {"unexpected", ""};
        }
    };
    const std::vector<FileCase> cases = {
        {"xmlParseFile", velk::Family::xml, kXml, false,
         [](const std::string &t) {
             velk_bstr name = bs(t);
             velk_handle root = xmlParseFile(&name);
             take(name);
             return tree_result(root);
         },
         failed},
        {"xmlzParseFile", velk::Family::xml, kXml, false,
         [](const std::string &t) { return tree_result(xmlzParseFile(t.c_str())); }, failed},
    };
    for (const FileCase &c : cases)
        sweep_file_case(c);
}

TEST(FileSweep, FileOperationsXmlWriteFiles) {
    velk_handle doc = parse(kXml);
    velk_handle root = xmlzFindNode(doc, -1, "r", nullptr, nullptr);
    // How each writer words its failures: xmlTreeToFile with a comma before
    // "err=", xmlNodeToFile without.
    auto failed_with = [](const char *err) {
        return [err](FileOp op, unsigned, const std::string &target) -> Expect {
            if (op == FileOp::open || op == FileOp::place)
                return {"0", "Unable to open output file '" + target + err + "70", Target::absent};
            if (op == FileOp::write || op == FileOp::close)
                return {"0", "Error writing output file '" + target + err + "61", Target::absent};
            return {"unexpected", ""};
        };
    };
    auto tree_failed = failed_with("', err=");
    auto node_failed = failed_with("' err=");
    // Over an existing file with overwrite: the old file stays whole whatever
    // fails, and a replacement refused is told as a deletion refused.
    auto overwrite_failed = [&](FileOp op, unsigned nth, const std::string &target) -> Expect {
        if (op == FileOp::place) return {"0", "Output file exists and cannot be deleted.", Target::unchanged};
        Expect e = tree_failed(op, nth, target);
        e.target = Target::unchanged;
        return e;
    };
    auto none = [](FileOp, unsigned, const std::string &) -> Expect { return {"unexpected", ""}; };
    auto tree_to_file = [&](int32_t overwrite) {
        return
            [&, overwrite](const std::string &t) { return written(xmlTreeToFile(doc, bs(t), overwrite), t); };
    };
    const std::vector<FileCase> cases = {
        {"xmlTreeToFile", velk::Family::xml, "", false, tree_to_file(0), tree_failed},
        {"xmlTreeToFile with overwrite, no file", velk::Family::xml, "", false, tree_to_file(1), tree_failed},
        {"xmlTreeToFile with overwrite, over a file", velk::Family::xml, "<old/>", true, tree_to_file(1),
         overwrite_failed},
        {"xmlTreeToFile without overwrite, over a file", velk::Family::xml, "<old/>", false, tree_to_file(0),
         none, [](const std::string &t) { return "Output file exists: " + t; }},
        {"xmlNodeToFile", velk::Family::xml, "", false,
         [&](const std::string &t) { return written(xmlNodeToFile(root, bs(t)), t); }, node_failed},
        {"xmlzNodeToFile", velk::Family::xml, "", false,
         [&](const std::string &t) { return written(xmlzNodeToFile(root, t.c_str()), t); }, node_failed},
        {"xmlNodeToFile over a file", velk::Family::xml, "<old/>", false,
         [&](const std::string &t) { return written(xmlNodeToFile(root, bs(t)), t); }, none,
         [](const std::string &t) { return "File '" + t + "' already exists."; }},
    };
    for (const FileCase &c : cases)
        sweep_file_case(c);
    // What the writers wrote without failure.
    TempDir dir;
    EXPECT_EQ(xmlTreeToFile(doc, bs(dir.file("t")), 0), 1);
    EXPECT_EQ(read_file(dir.file("t")), tree_text(doc));
    EXPECT_EQ(xmlzNodeToFile(root, dir.file("n").c_str()), 1);
    EXPECT_EQ(read_file(dir.file("n")), tree_text(root));
    xmlFree(doc);
}

// Every allocation of the file functions refused in turn.
TEST(FileSweep, AllocationsListFiles) {
    velk_handle list = make_list({{"alpha", "1"}, {"", "nameless"}, {"gamma", "3"}});
    const Entries full = entries(list);
    for (bool plain : {true, false}) {
        SCOPED_TRACE(plain ? "llListToFile" : "llzListToFile");
        unsigned swept = sweep_allocations("list files", [&](AllocationFault &fault) {
            TempDir dir;
            const std::string target = dir.file("l.lst");
            auto save = [&] {
                return plain ? llListToFile(list, bs(target)) : llzListToFile(list, target.c_str());
            };
            BlockWatch watch;
            fault.arm();
            int32_t saved = save();
            fault.disarm();
            if (fault.struck()) {
                EXPECT_EQ(saved, 0);
                EXPECT_EQ(take(llLastError()), "Unable to create save file " + target + "Error = 7");
                EXPECT_FALSE(file_present(target)); // the buffer comes before the file
                saved = save();
            }
            EXPECT_EQ(saved, 1);
            EXPECT_EQ(entries(list), full);
            EXPECT_EQ(watch.leaked(), 0);
        });
        EXPECT_EQ(swept, 1u);
    }
    // A load refused any block fails whole with the number 7: a list short
    // of an entry, or of a name, would pass for the file's.
    TempDir dir;
    const std::string file = dir.file("l.lst");
    ASSERT_EQ(llzListToFile(list, file.c_str()), 1);
    for (bool plain : {true, false}) {
        SCOPED_TRACE(plain ? "llListFromFile" : "llzListFromFile");
        auto load = [&] { return plain ? llListFromFile(bs(file)) : llzListFromFile(file.c_str()); };
        unsigned swept = sweep_allocations("list files", [&](AllocationFault &fault) {
            BlockWatch watch;
            fault.arm();
            velk_handle loaded = load();
            fault.disarm();
            if (fault.struck()) {
                EXPECT_EQ(loaded, 0u);
                EXPECT_EQ(take(llLastError()), "Error reading input file " + file + " Error = 7");
                EXPECT_EQ(watch.leaked(), 0);
                loaded = load();
            }
            EXPECT_EQ(entries(loaded), full);
            llFree(loaded);
            EXPECT_EQ(watch.leaked(), 0);
        });
        // The read buffer, and the record, data and name of each entry (the
        // nameless one has no name block).
        EXPECT_EQ(swept, 1u + 3 * 2 + 2);
    }
    llFree(list);
}

TEST(FileSweep, AllocationsXmlFiles) {
    velk_handle doc = parse(kXml);
    const std::string expected = dump(doc);
    TempDir dir;
    const std::string file = dir.file("d.xml");
    write_file(file, kXml);
    for (bool plain : {true, false}) {
        SCOPED_TRACE(plain ? "xmlParseFile" : "xmlzParseFile");
        auto load = [&] {
            if (!plain) return xmlzParseFile(file.c_str());
            velk_bstr name = bs(file);
            velk_handle root = xmlParseFile(&name);
            take(name);
            return root;
        };
        int buffer = 0;
        unsigned swept = sweep_allocations("xml files", [&](AllocationFault &fault) {
            BlockWatch watch;
            fault.arm();
            velk_handle root = load();
            fault.disarm();
            if (fault.struck()) {
                EXPECT_EQ(root, 0u);
                const std::string message = xml_error();
                const std::string tail = ") Out of memory";
                if (message == "Error reading xml file " + file + " error=7")
                    ++buffer;
                else
                    EXPECT_TRUE(message.size() > tail.size() &&
                                message.compare(message.size() - tail.size(), tail.size(), tail) == 0)
                        << message;
                EXPECT_EQ(watch.leaked(), 0);
                root = load();
            }
            EXPECT_EQ(dump(root), expected);
            xmlFree(root);
            EXPECT_EQ(watch.leaked(), 0);
        });
        EXPECT_EQ(buffer, 1);
        EXPECT_GT(swept, 10u);
    }
    // The writers build the whole text before they touch a file: a refused
    // allocation there fails the call with the number 7, creates nothing,
    // and with overwrite leaves the old file where it was.
    struct Writer {
        std::function<int32_t(const std::string &)> write;
        const char *err;
        bool existing;
    };
    const std::vector<Writer> writers = {
        {[&](const std::string &t) { return xmlTreeToFile(doc, bs(t), 0); }, "', err=7", false},
        {[&](const std::string &t) { return xmlTreeToFile(doc, bs(t), 1); }, "', err=7", false},
        {[&](const std::string &t) { return xmlTreeToFile(doc, bs(t), 1); }, "', err=7", true},
        {[&](const std::string &t) { return xmlNodeToFile(doc, bs(t)); }, "' err=7", false},
        {[&](const std::string &t) { return xmlzNodeToFile(doc, t.c_str()); }, "' err=7", false},
    };
    int n = 0;
    for (const Writer &writer : writers) {
        SCOPED_TRACE(n);
        unsigned swept = sweep_allocations("xml files", [&](AllocationFault &fault) {
            const std::string target = dir.file("w" + std::to_string(n++) + ".xml");
            if (writer.existing) write_file(target, "old contents");
            BlockWatch watch;
            fault.arm();
            int32_t wrote = writer.write(target);
            fault.disarm();
            if (fault.struck()) {
                EXPECT_EQ(wrote, 0);
                EXPECT_EQ(xml_error(), "Error writing output file '" + target + writer.err);
                if (writer.existing)
                    EXPECT_EQ(read_file(target), "old contents");
                else
                    EXPECT_FALSE(file_present(target));
            } else {
                EXPECT_EQ(wrote, 1);
                EXPECT_EQ(read_file(target), tree_text(doc));
            }
            EXPECT_EQ(watch.leaked(), 0);
        });
        EXPECT_GT(swept, 0u);
    }
    xmlFree(doc);
}
