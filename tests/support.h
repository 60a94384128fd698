// Helpers for calling the plain face from tests the way a caller does.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>

#include "frame/testing.h"
#include "velk_strings.h"
#include "velk_xml.h"

namespace velk_test {

// A fresh counted string for a plain-face argument (the export releases it).
inline velk_bstr bs(std::string_view text) { return velk_strings::make_string(text); }
inline uint32_t bs_len(velk_bstr s) { return velk_strings::string_length(s); }
// The bytes of a plain-face result, left to the caller.
inline std::string_view bs_view(velk_bstr s) { return velk_strings::view_string(s); }
// Takes a plain-face result: its bytes, and the string released.
inline std::string take(velk_bstr s) { return velk_strings::take_string(s); }

// Counts blocks still held by the library across a scope; a test compares
// the figure before and after to prove that nothing leaked.
class BlockWatch {
  public:
    BlockWatch() : start_(velk::testing::live_blocks()) {}
    long leaked() const { return velk::testing::live_blocks() - start_; }

  private:
    long start_;
};

#if defined(_WIN32)
inline DWORD WINAPI run_body(void *body) {
    (*static_cast<const std::function<void()> *>(body))();
    return 0;
}
#endif

// Runs body on a thread of its own and returns once that thread has ended,
// its thread-exit work (releasing its z return buffers) included. On Windows
// a std::thread's join may return before that work is done; the thread's
// handle is signalled only after it.
inline void run_on_own_thread(const std::function<void()> &body) {
#if defined(_WIN32)
    HANDLE thread =
        CreateThread(nullptr, 0, run_body, const_cast<std::function<void()> *>(&body), 0, nullptr);
    if (!thread) throw std::runtime_error("no thread");
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
#else
    std::thread(body).join();
#endif
}

// Switches allocation failure off again whatever the test did.
struct FailureReset {
    ~FailureReset() { velk::testing::fail_allocation(0); }
};

} // namespace velk_test
