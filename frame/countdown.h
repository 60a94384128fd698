// The heart of the failure switches: "the nth call from now fails". Any
// thread may count; exactly one call, the nth, is told to fail.
#pragma once

#include <atomic>

namespace velk {

class FailureCountdown {
  public:
    // 0 switches the failure off.
    void arm(unsigned nth) { left_.store(nth); }
    // Counts one call; true for the one that must fail.
    bool strikes() {
        unsigned left = left_.load(std::memory_order_relaxed);
        while (left != 0 && !left_.compare_exchange_weak(left, left - 1)) {
        }
        return left == 1;
    }

  private:
    std::atomic<unsigned> left_{0};
};

} // namespace velk
