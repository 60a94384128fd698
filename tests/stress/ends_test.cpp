// The library through the ends of threads and processes: calls made while a
// thread ends (from its thread_local objects' destructors and from key
// destructors, as a first call or after others), exit() while other threads
// still call, and fork() while other threads are inside the library.
// VELK_ENDS_ROUNDS scales the runs up (the tests' counts are small).
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "frame/compiler.h"
#include "frame/testing.h"
#include "velk_xml.h"

namespace {

int rounds(int small) {
    const char *asked = std::getenv("VELK_ENDS_ROUNDS");
    return asked && std::atoi(asked) > 0 ? std::atoi(asked) : small;
}

// A use of every kind of state a thread holds: blocks, z return buffers of
// both families, and the last-error texts. True when every answer is right.
bool use_library() {
    velk_handle list = llzAdd(0, "colour", "blue");
    const bool named = std::strcmp(llzName(list), "colour") == 0;
    llFree(list);
    velk_handle tree = xmlzParse("<r><c>text</c></r>");
    const bool written = std::strcmp(xmlzTreeToString(tree, VELK_COMPACT), "<r><c>text</c></r>") == 0;
    xmlFree(tree);
    const bool refused = xmlzParse("<r><c></r>") == 0 && *xmlzLastError() != '\0';
    return named && written && refused;
}

std::atomic<int> g_right{0};

struct CallsWhenDestroyed {
    ~CallsWhenDestroyed() {
        if (use_library()) ++g_right;
    }
};
thread_local CallsWhenDestroyed t_calls_when_destroyed;

pthread_key_t g_key;
void call_from_key_destructor(void *) {
    if (use_library()) ++g_right;
}

// Threads, one after another, that call from their ends; each first calls
// before its end when asked. Nothing they took stays taken.
void expect_thread_ends_give_back(bool call_first, bool from_key, int threads) {
    g_right = 0;
    const long blocks = velk::testing::live_blocks();
    const std::size_t cache = velk::testing::block_cache_bytes();
    for (int i = 0; i < threads; ++i) {
        std::thread([&] {
            if (call_first) {
                EXPECT_TRUE(use_library());
            }
            if (from_key)
                pthread_setspecific(g_key, &g_key);
            else
                (void)&t_calls_when_destroyed; // made, and destroyed as the thread ends
        }).join();
    }
    EXPECT_EQ(g_right.load(), threads);
    EXPECT_EQ(velk::testing::live_blocks(), blocks);
    EXPECT_LE(velk::testing::block_cache_bytes(), cache + (std::size_t(1) << 20));
}

TEST(Ends, ThreadsCallFromTheirEndsAndGiveEverythingBack) {
    ASSERT_EQ(pthread_key_create(&g_key, call_from_key_destructor), 0);
    const int n = rounds(300);
    for (bool call_first : {false, true}) {
        SCOPED_TRACE(call_first ? "after earlier calls" : "as the first call");
        expect_thread_ends_give_back(call_first, false, n);
        expect_thread_ends_give_back(call_first, true, n);
    }
    pthread_key_delete(g_key);
}

// Workers that call the library until the process ends.
void start_workers(int count) {
    for (int i = 0; i < count; ++i) {
        std::thread([] {
            for (;;)
                use_library();
        }).detach();
    }
}

// Runs child in a process of its own and tells how it ended: its exit status,
// or 128 + the signal that ended it. A child that hangs is ended by SIGALRM.
int run_child(void (*child)()) {
    pid_t pid = fork();
    if (pid == 0) {
        alarm(30);
        child();
        _exit(0);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Returns from "main" while workers still call: the process's static objects
// are destroyed under them.
void exit_with_workers() {
    start_workers(4);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::exit(0);
}

TEST(Ends, ExitWhileWorkersCall) {
    const int n = rounds(20);
    int clean = 0;
    for (int i = 0; i < n; ++i)
        clean += run_child(exit_with_workers) == 0;
    EXPECT_EQ(clean, n);
}

// A child made while other threads are inside the library uses it.
void use_in_child() { _exit(use_library() ? 0 : 1); }

// Busy threads, and children forked under them one after another; each
// child must use the library and end. Run in a process of its own, which
// ends with its busy threads.
void fork_under_busy_threads() {
    start_workers(4);
    const int n = rounds(100);
    for (int i = 0; i < n; ++i) {
        if (run_child(use_in_child) != 0) _exit(1);
    }
    _exit(0);
}

TEST(Ends, ForkWhileThreadsAreInsideTheLibrary) {
    // AddressSanitizer's own allocator may be locked by a busy thread at the
    // fork, and a child's first malloc then never returns, library or not.
    if (VELK_ADDRESS_SANITIZER)
        GTEST_SKIP() << "a child of a busy process hangs in AddressSanitizer's malloc";
    EXPECT_EQ(run_child(fork_under_busy_threads), 0);
}

} // namespace
#endif
