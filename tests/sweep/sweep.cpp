#include "sweep.h"

#include <cctype>
#include <filesystem>
#include <iostream>
#include <mutex>

#include "file_support.h"
#include "frame/files.h"
#include "list/node.h"

namespace velk_test::sweep {

namespace files = velk::files;

void AllocationFault::arm() {
    velk::testing::reset_allocation_count();
    velk::testing::fail_allocation(nth_);
}

bool AllocationFault::disarm() {
    struck_ = velk::testing::allocations_since_reset() >= nth_;
    velk::testing::fail_allocation(0);
    return struck_;
}

void FileFault::arm() { velk::testing::fail_file_operation(op_, nth_, code_); }

namespace {

// One operation of the kind on a scratch file; false when it failed.
bool probe(FileOp op, const TempDir &dir) {
    const std::string name = dir.file("probe");
    if (!file_present(name)) write_file(name, "p");
    files::File f;
    auto open = [&](files::Access access) {
        return files::File::open(name, access, files::Share::read_write, f) == 0;
    };
    switch (op) {
    case FileOp::open:
        return open(files::Access::read);
    case FileOp::read: {
        char c;
        std::size_t got;
        return open(files::Access::read) && f.read(&c, 1, got) == 0;
    }
    case FileOp::write:
        return open(files::Access::read_write) && f.write("p", 1) == 0;
    case FileOp::size: {
        std::uint64_t size;
        return open(files::Access::read) && f.size(size) == 0;
    }
    case FileOp::close:
        return open(files::Access::read) && f.close() == 0;
    case FileOp::place: {
        files::NewFile made;
        return made.create(dir.file("made"), false) == 0 && made.close() == 0 && made.place(false) == 0 &&
               std::filesystem::remove(dir.file("made"));
    }
    }
    return false;
}

} // namespace

bool FileFault::disarm() {
    // A failure still waiting is at most nth operations away.
    TempDir scratch;
    bool waiting = false;
    for (unsigned i = 0; i < nth_ && !waiting; ++i)
        waiting = !probe(op_, scratch);
    velk::testing::fail_file_operation(op_, 0, 0);
    struck_ = !waiting;
    return struck_;
}

namespace {

// Points per group, and per kind within a group.
struct Totals {
    std::mutex lock;
    std::map<std::string, std::map<std::string, unsigned>> points;
};
Totals &totals() {
    static Totals t;
    return t;
}

// Prints the totals once every test has run.
class TallyPrinter : public ::testing::Environment {
  public:
    void TearDown() override {
        Totals &t = totals();
        std::lock_guard<std::mutex> hold(t.lock);
        if (t.points.empty()) return;
        unsigned all = 0, allocations = 0;
        std::string lines;
        for (const auto &[group, kinds] : t.points) {
            unsigned sum = 0;
            std::string detail;
            for (const auto &[kind, points] : kinds) {
                sum += points;
                if (!kind.empty() && points)
                    detail += (detail.empty() ? " (" : ", ") + kind + " " + std::to_string(points);
            }
            if (!detail.empty()) detail += ")";
            all += sum;
            if (group.rfind("allocations:", 0) == 0) allocations += sum;
            lines += "[sweep]   " + group + ": " + std::to_string(sum) + detail + "\n";
        }
        std::cout << "[sweep] failure points swept: " << all << " (allocations " << allocations
                  << ", file operations " << all - allocations << ")\n"
                  << lines << std::flush;
    }
};

const bool g_printer_added = (::testing::AddGlobalTestEnvironment(new TallyPrinter), true);

} // namespace

const char *kind_name(FileOp op) {
    switch (op) {
    case FileOp::open:
        return "open";
    case FileOp::read:
        return "read";
    case FileOp::write:
        return "write";
    case FileOp::size:
        return "size";
    case FileOp::close:
        return "close";
    case FileOp::place:
        return "place";
    }
    return "?";
}

void tally(const std::string &group, unsigned points, const std::string &kind) {
    {
        Totals &t = totals();
        std::lock_guard<std::mutex> hold(t.lock);
        t.points[group][kind] += points;
    }
    std::string key = "points_";
    for (char c : group + (kind.empty() ? "" : " " + kind))
        key += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    ::testing::Test::RecordProperty(key, static_cast<int>(points));
}

void on_fresh_thread(const std::function<void()> &body) { run_on_own_thread(body); }

Entries entries(velk_handle list) {
    Entries out;
    for (auto *n = velk::list::as_node(list); n; n = n->next)
        out.emplace_back(velk::list::name_text(n), velk::list::data_bytes(n));
    return out;
}

velk_handle make_list(const Entries &from) {
    velk_handle first = 0, last = 0;
    for (const auto &[name, data] : from) {
        last = llbAdd(last, bs(name), bs(data));
        if (!first) first = last;
    }
    return first;
}

std::map<std::string, std::string> folder_files(const std::string &folder) {
    std::map<std::string, std::string> out;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file()) out[entry.path().filename().string()] = read_file(entry.path().string());
    return out;
}

} // namespace velk_test::sweep
