#include "frame/errors.h"

#include "frame/platform.h"

#include <mutex>
#include <new>

namespace velk {

namespace {

struct ErrorTexts {
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

// Made as the library loads, so that no first call races a fork.
[[maybe_unused]] ErrorTexts &g_texts_made = error_texts();

} // namespace

void set_error(Family family, std::string_view message) {
    std::string fresh(message); // built outside the lock
    ErrorTexts &texts = error_texts();
    std::lock_guard<platform::Lock> hold(texts.lock);
    texts.text[static_cast<int>(family)].swap(fresh);
}

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
