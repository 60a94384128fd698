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

#include "velk_xml.h"

namespace {

// What the process has given out, seen from outside: the next TLS slot and
// handle value it would give (both reuse the lowest free one, so a slot or
// handle kept per round moves them up), and its committed private memory.
struct ProcessTaken {
    DWORD next_slot;
    std::uintptr_t next_handle;
    std::size_t committed;
};

ProcessTaken taken() {
    ProcessTaken now{};
    now.next_slot = TlsAlloc();
    TlsFree(now.next_slot);
    HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    now.next_handle = reinterpret_cast<std::uintptr_t>(probe);
    CloseHandle(probe);
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

// One thread's use: a list and a tree made and freed, and z results, which
// the thread's return buffers hold until it ends.
bool use(const Exports &x) {
    velk_handle list = x.add(0, "colour", "blue");
    const bool named = std::strcmp(x.name(list), "colour") == 0;
    x.free_list(list);
    velk_handle tree = x.parse("<r><c>text</c></r>");
    const bool written = std::strcmp(x.to_string(tree, VELK_COMPACT), "<r><c>text</c></r>") == 0;
    x.free_tree(tree);
    if (velk_handle broken = x.parse("<r><c></r>")) x.free_tree(broken);
    const bool failed = *x.last_error() != '\0';
    return named && written && failed;
}

struct Worker {
    const Exports *exports;
    HANDLE go_on; // the worker ends once this is set
    bool ok;
};

DWORD WINAPI work(void *arg) {
    auto *w = static_cast<Worker *>(arg);
    w->ok = use(*w->exports);
    if (w->go_on) WaitForSingleObject(w->go_on, INFINITE);
    return 0;
}

HANDLE start(Worker *w) { return CreateThread(nullptr, 0, work, w, 0, nullptr); }

void finish(HANDLE thread) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

// Loads the DLL, uses it when asked (here, on a thread that ends, and on
// one that is still waiting when the DLL is unloaded and ends after), and
// unloads it.
void round_trip(bool call) {
    HMODULE dll = LoadLibraryA(VELK_LIBRARY_FILE);
    ASSERT_NE(dll, nullptr);
    if (!call) {
        ASSERT_TRUE(FreeLibrary(dll));
        return;
    }
    const Exports x{bind<llzAdd_fn>(dll, "llzAdd"),         bind<llzName_fn>(dll, "llzName"),
                    bind<llFree_fn>(dll, "llFree"),         bind<xmlzParse_fn>(dll, "xmlzParse"),
                    bind<xmlzTreeToString_fn>(dll, "xmlzTreeToString"),
                    bind<xmlFree_fn>(dll, "xmlFree"),      bind<xmlzLastError_fn>(dll, "xmlzLastError")};
    Worker ended{&x, nullptr, false};
    Worker outlives{&x, CreateEventA(nullptr, TRUE, FALSE, nullptr), false};
    HANDLE first = start(&ended);
    HANDLE second = start(&outlives);
    finish(first);
    EXPECT_TRUE(use(x));
    while (!outlives.ok && WaitForSingleObject(second, 1) == WAIT_TIMEOUT) {
    }
    ASSERT_TRUE(FreeLibrary(dll));
    SetEvent(outlives.go_on);
    finish(second);
    CloseHandle(outlives.go_on);
    EXPECT_TRUE(ended.ok);
    EXPECT_TRUE(outlives.ok);
}

// A slot, handle or block kept per round shows in the probes after a few
// hundred rounds. VELK_UNLOAD_ROUNDS asks for more (the process has 1,088
// TLS slots), and the probes are printed.
int rounds() {
    const char *asked = std::getenv("VELK_UNLOAD_ROUNDS");
    return asked && std::atoi(asked) > 0 ? std::atoi(asked) : 200;
}

void print(const char *when, const ProcessTaken &t) {
    std::printf("%s: next TLS slot %lu, next handle %#llx, committed %zu KiB\n", when,
                static_cast<unsigned long>(t.next_slot), static_cast<unsigned long long>(t.next_handle),
                t.committed / 1024);
}

void expect_rounds_give_back(bool call) {
    ASSERT_EQ(GetModuleHandleA(VELK_LIBRARY_FILE), nullptr) << "the DLL is already loaded";
    for (int i = 0; i < 20; ++i) round_trip(call); // the process's own first-use costs
    const ProcessTaken before = taken();
    const int n = rounds();
    for (int i = 0; i < n && !testing::Test::HasFatalFailure(); ++i) round_trip(call);
    const ProcessTaken after = taken();
    print("before", before);
    std::printf("%d rounds\n", n);
    print("after", after);
    EXPECT_EQ(after.next_slot, before.next_slot) << "TLS slots kept";
    EXPECT_LE(after.next_handle, before.next_handle + 16 * 4) << "handles kept";
    EXPECT_LE(after.committed, before.committed + 1024 * 1024) << "memory kept";
}

TEST(Unload, RoundsWithoutCallsGiveBackWhatTheyTake) { expect_rounds_give_back(false); }

TEST(Unload, RoundsWithCallsOnThreadsGiveBackWhatTheyTake) { expect_rounds_give_back(true); }

} // namespace
