// A host that loads the DLL, uses it and unloads it again, round after round
// (as plugin and script hosts do), gets back every TLS slot, handle and byte
// that a round took: also from threads that took z results, and from a
// thread that is still running when the DLL goes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "velk_xml.h"

namespace {

// What the process has given out, seen from outside: its handles, its next
// TLS and FLS slots (the lowest free one, so a slot kept per round moves them
// up), and its committed private memory. Where the system does not count
// handles (Wine answers 0), the next handle value stands in: Wine's handle
// table also gives the lowest free one.
struct ProcessTaken {
    std::uintptr_t handles;
    DWORD next_slot;
    DWORD next_fiber_slot;
    std::size_t committed;
};

ProcessTaken taken() {
    ProcessTaken now{};
    DWORD counted = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &counted) && counted > 0) {
        now.handles = counted;
    } else {
        HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        now.handles = reinterpret_cast<std::uintptr_t>(probe) / 4;
        CloseHandle(probe);
    }
    now.next_slot = TlsAlloc();
    TlsFree(now.next_slot);
    now.next_fiber_slot = FlsAlloc(nullptr);
    FlsFree(now.next_fiber_slot);
    MEMORY_BASIC_INFORMATION region;
    const char *at = nullptr;
    while (VirtualQuery(at, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) now.committed += region.RegionSize;
        const char *next = static_cast<const char *>(region.BaseAddress) + region.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return now;
}

struct Exports {
    llzAdd_fn add;
    llzName_fn name;
    llFree_fn free_list;
    xmlzParse_fn parse;
    xmlzTreeToString_fn to_string;
    xmlFree_fn free_tree;
    xmlzLastError_fn last_error;
};

template <typename Fn> Fn bind(HMODULE dll, const char *name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(dll, name)));
}

// A document whose text alone is 64 KiB: a thread's return buffer that was
// kept would show in the committed memory within a few rounds.
const std::string &big_document() {
    static const std::string text = "<r>" + std::string(64 * 1024, 'x') + "</r>";
    return text;
}

// One thread's use: a list and a tree made and freed, and z results, which
// the thread's return buffers hold until it ends.
bool use(const Exports &x) {
    velk_handle list = x.add(0, "colour", "blue");
    const bool named = std::strcmp(x.name(list), "colour") == 0;
    x.free_list(list);
    velk_handle tree = x.parse(big_document().c_str());
    const bool written = x.to_string(tree, VELK_COMPACT) == big_document();
    x.free_tree(tree);
    if (velk_handle broken = x.parse("<r><c></r>")) x.free_tree(broken);
    const bool failed = *x.last_error() != '\0';
    return named && written && failed;
}

struct Worker {
    const Exports *exports;
    HANDLE used;  // set once the worker has used the DLL
    HANDLE go_on; // the worker ends once this is set
    bool ok;      // read after used is set
};

DWORD WINAPI work(void *arg) {
    auto *w = static_cast<Worker *>(arg);
    w->ok = use(*w->exports);
    SetEvent(w->used);
    WaitForSingleObject(w->go_on, INFINITE);
    return 0;
}

// Starts a worker that uses the DLL and then waits for go_on.
HANDLE start(Worker *w, const Exports *x) {
    w->exports = x;
    w->used = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    w->go_on = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    w->ok = false;
    return CreateThread(nullptr, 0, work, w, 0, nullptr);
}

// Lets the worker end, waits for it, and tells whether its use went right.
bool finish(Worker *w, HANDLE thread) {
    SetEvent(w->go_on);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(w->used);
    CloseHandle(w->go_on);
    return w->ok;
}

// Loads the DLL, uses it when asked (here, on a thread that ends before the
// unload, and on one that is still running at the unload and ends after),
// and unloads it.
void round_trip(bool call) {
    HMODULE dll = LoadLibraryA(VELK_LIBRARY_FILE);
    ASSERT_NE(dll, nullptr);
    if (!call) {
        ASSERT_TRUE(FreeLibrary(dll));
        return;
    }
    const Exports x{bind<llzAdd_fn>(dll, "llzAdd"),
                    bind<llzName_fn>(dll, "llzName"),
                    bind<llFree_fn>(dll, "llFree"),
                    bind<xmlzParse_fn>(dll, "xmlzParse"),
                    bind<xmlzTreeToString_fn>(dll, "xmlzTreeToString"),
                    bind<xmlFree_fn>(dll, "xmlFree"),
                    bind<xmlzLastError_fn>(dll, "xmlzLastError")};
    Worker ended, outlives;
    HANDLE first = start(&ended, &x);
    HANDLE second = start(&outlives, &x);
    EXPECT_TRUE(finish(&ended, first));
    EXPECT_TRUE(use(x));
    EXPECT_EQ(WaitForSingleObject(outlives.used, 60000), WAIT_OBJECT_0);
    ASSERT_TRUE(FreeLibrary(dll));
    EXPECT_TRUE(finish(&outlives, second));
}

// A slot, handle or block kept per round shows in the probes after a few
// hundred rounds. VELK_UNLOAD_ROUNDS asks for more (the process has 1,088
// TLS slots), and the probes are printed.
int rounds() {
    const char *asked = std::getenv("VELK_UNLOAD_ROUNDS");
    return asked && std::atoi(asked) > 0 ? std::atoi(asked) : 200;
}

void print(const char *when, const ProcessTaken &t) {
    std::printf("%s: handles %llu, next TLS slot %lu, next FLS slot %lu, committed %zu KiB\n", when,
                static_cast<unsigned long long>(t.handles), static_cast<unsigned long>(t.next_slot),
                static_cast<unsigned long>(t.next_fiber_slot), t.committed / 1024);
}

void expect_rounds_give_back(bool call) {
    ASSERT_EQ(GetModuleHandleA(VELK_LIBRARY_FILE), nullptr) << "the DLL is already loaded";
    for (int i = 0; i < 20; ++i)
        round_trip(call); // the process's own first-use costs
    const ProcessTaken before = taken();
    const int n = rounds();
    for (int i = 0; i < n && !testing::Test::HasFatalFailure(); ++i)
        round_trip(call);
    const ProcessTaken after = taken();
    print("before", before);
    std::printf("%d rounds\n", n);
    print("after", after);
    EXPECT_LE(after.handles, before.handles + 16) << "handles kept";
    EXPECT_LE(after.next_slot, before.next_slot) << "TLS slots kept";
    EXPECT_LE(after.next_fiber_slot, before.next_fiber_slot) << "FLS slots kept";
    EXPECT_LE(after.committed, before.committed + 1024 * 1024) << "memory kept";
}

TEST(Unload, RoundsWithoutCallsGiveBackWhatTheyTake) { expect_rounds_give_back(false); }

TEST(Unload, RoundsWithCallsOnThreadsGiveBackWhatTheyTake) { expect_rounds_give_back(true); }

} // namespace
