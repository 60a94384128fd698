// Failure sweeps: a call is run once for every allocation (or file operation
// of a kind) that it makes, with exactly that one refused, until a run makes
// fewer than the one refused. Each run arms the refusal right before the call
// under test and disarms it right after, which also tells whether the call
// reached it. The sweeps add up how many failure points they went through.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "frame/testing.h"
#include "support.h"

namespace velk_test::sweep {

using velk::testing::FileOp;

// No call under test makes nearly this many: a sweep that gets here is stuck.
constexpr unsigned kMostPoints = 5000;

// One refused allocation.
class AllocationFault {
  public:
    explicit AllocationFault(unsigned nth) : nth_(nth) {}
    ~AllocationFault() { velk::testing::fail_allocation(0); }
    AllocationFault(const AllocationFault &) = delete;
    AllocationFault &operator=(const AllocationFault &) = delete;

    void arm();
    // Switches the refusal off; true when the call reached the refused one.
    bool disarm();
    bool struck() const { return struck_; }
    unsigned nth() const { return nth_; }

  private:
    unsigned nth_;
    bool struck_ = false;
};

// One failed file operation of a kind, with a Windows error code.
class FileFault {
  public:
    FileFault(FileOp op, unsigned nth, std::uint32_t code) : op_(op), nth_(nth), code_(code) {}
    ~FileFault() { velk::testing::fail_file_operation(op_, 0, 0); }
    FileFault(const FileFault &) = delete;
    FileFault &operator=(const FileFault &) = delete;

    void arm();
    // Switches the failure off; true when the call reached the failed one.
    // The switch keeps no count, so this asks it: operations of the kind on a
    // scratch file, of which one fails if the failure is still waiting.
    bool disarm();
    bool struck() const { return struck_; }
    FileOp op() const { return op_; }
    unsigned nth() const { return nth_; }

  private:
    FileOp op_;
    unsigned nth_;
    std::uint32_t code_;
    bool struck_ = false;
};

// Adds swept points to a group (and, for file operations, a kind); the
// totals are printed when the test program ends and recorded as a property
// of the test that swept them.
void tally(const std::string &group, unsigned points, const std::string &kind = "");
const char *kind_name(FileOp op);

// Runs run(fault) with allocation 1, 2, ... refused until the refused one is
// not reached; returns the number of allocations that were refused.
template <class Run> unsigned sweep_allocations(const std::string &group, Run &&run) {
    unsigned n = 1;
    for (;; ++n) {
        SCOPED_TRACE("allocation " + std::to_string(n) + " refused");
        AllocationFault fault(n);
        run(fault);
        if (!fault.struck()) break;
        if (n == kMostPoints) {
            ADD_FAILURE() << "the sweep does not end";
            break;
        }
    }
    tally("allocations: " + group, n - 1);
    return n - 1;
}

// Likewise for the file operations of one kind, each failing with code.
template <class Run>
unsigned sweep_file_operations(const std::string &group, FileOp op, std::uint32_t code, Run &&run) {
    unsigned n = 1;
    for (;; ++n) {
        SCOPED_TRACE(std::string(kind_name(op)) + " number " + std::to_string(n) + " fails with code " +
                     std::to_string(code));
        FileFault fault(op, n, code);
        run(fault);
        if (!fault.struck()) break;
        if (n == kMostPoints) {
            ADD_FAILURE() << "the sweep does not end";
            break;
        }
    }
    tally("file operations: " + group, n - 1, kind_name(op));
    return n - 1;
}

// Runs body on a thread of its own, so that the z faces start with empty
// return buffers (their growth is an allocation too) and release them when
// the thread ends.
void on_fresh_thread(const std::function<void()> &body);

// A list as (name, data bytes) pairs, capacity bytes of data each.
using Entries = std::vector<std::pair<std::string, std::string>>;
Entries entries(velk_handle list);
velk_handle make_list(const Entries &from);

// Every file of a folder with its bytes.
std::map<std::string, std::string> folder_files(const std::string &folder);

} // namespace velk_test::sweep
