#include "frame/errors.h"

#include "frame/platform.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <new>

namespace velk {

namespace {

// Room each text keeps from the start, so that a message of up to this
// many bytes (a file's name included) is set without a block of memory, as
// when memory has run out.
constexpr std::size_t kKeptRoom = 512;

struct ErrorTexts {
    ErrorTexts() {
        for (std::string &t : text)
            t.reserve(kKeptRoom);
    }
    platform::Lock lock;
    std::string text[2];
};

// Made when the library loads. Where exit() destroys static objects while
// other threads may still set an error, the texts are never destroyed; they
// are held across fork() so that a child can set one.
ErrorTexts *make_error_texts() {
    if constexpr (platform::kExitEndsOtherThreadsFirst) {
        static ErrorTexts texts;
        return &texts;
    } else {
        alignas(ErrorTexts) static unsigned char room[sizeof(ErrorTexts)];
        auto *texts = new (room) ErrorTexts();
        platform::hold_across_fork(texts->lock);
        return texts;
    }
}

ErrorTexts &error_texts() {
    static ErrorTexts *const texts = make_error_texts();
    return *texts;
}

// The spare block: taken as the library loads, given back when memory runs
// out (free_spare_memory), taken again by the next message, and released
// when the library is unloaded.
class Spare {
  public:
    Spare() { take(); }
    ~Spare() { give_back(); }
    Spare(const Spare &) = delete;
    Spare &operator=(const Spare &) = delete;
    void take() noexcept {
        if (block_.load(std::memory_order_relaxed)) return;
        void *block = std::malloc(kBytes);
        void *none = nullptr;
        if (block && !block_.compare_exchange_strong(none, block)) std::free(block);
    }
    void give_back() noexcept { std::free(block_.exchange(nullptr)); }

  private:
    static constexpr std::size_t kBytes = 64 * 1024;
    std::atomic<void *> block_{nullptr};
};
Spare g_spare;

// Made as the library loads, so that no first call races a fork.
[[maybe_unused]] ErrorTexts &g_texts_made = error_texts();

} // namespace

void set_error(Family family, std::string_view message) {
    ErrorTexts &texts = error_texts();
    std::string &text = texts.text[static_cast<int>(family)];
    bool fits = false;
    {
        std::lock_guard<platform::Lock> hold(texts.lock);
        if (message.size() <= text.capacity()) { // in the room it has: no allocation
            text.assign(message);
            fits = true;
        }
    }
    if (fits) {
        g_spare.take();
        return;
    }
    std::string fresh(message); // built outside the lock
    {
        std::lock_guard<platform::Lock> hold(texts.lock);
        text.swap(fresh);
    }
    g_spare.take();
}

void free_spare_memory() noexcept { g_spare.give_back(); }

std::string error_text(Family family) {
    ErrorTexts &texts = error_texts();
    std::lock_guard<platform::Lock> hold(texts.lock);
    return texts.text[static_cast<int>(family)];
}

int file_error_number(std::uint32_t code) {
    using namespace win;
    switch (code) {
    case kFileNotFound:
    case kNoMoreFiles:
        return kFileNotFoundNumber;
    case kPathNotFound:
        return kPathNotFoundNumber;
    case kTooManyOpenFiles:
        return kTooManyFilesNumber;
    case kAccessDenied:
    case kWriteProtect:
    case kSharingViolation:
    case kLockViolation:
    case kSharingBufferExceeded:
        return kPermissionDeniedNumber;
    case kNotEnoughMemory:
    case kOutOfMemory:
        return kNoMemoryNumber;
    case kInvalidDrive:
    case kBadUnit:
        return kDeviceUnavailableNumber;
    case kNotSameDevice:
        return kNotSameDeviceNumber;
    case kNotReady:
        return kDiskNotReadyNumber;
    case kCrc:
    case kSeek:
    case kNotDosDisk:
    case kSectorNotFound:
    case kOutOfPaper:
    case kWriteFault:
    case kReadFault:
    case kGenFailure:
    case kWrongDisk:
        return kDeviceFaultNumber;
    case kInvalidHandle:
    case kBadFormat:
    case kInvalidAccess:
    case kInvalidData:
    case kBadCommand:
    case kBadLength:
        return kInternalErrorNumber;
    case kArenaTrashed:
    case kInvalidBlock:
    case kBadEnvironment:
        return kMemoryControlFaultNumber;
    case kHandleEof:
        return kEndOfFileNumber;
    case kHandleDiskFull:
    case kDiskFull:
        return kDiskFullNumber;
    default:
        return kFileAccessErrorNumber; // 1, 16, 35, 37 and every code above 39 but 112
    }
}

} // namespace velk
