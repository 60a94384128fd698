// The numbers of file failures, in one place: the Windows error codes that
// the platform seam answers (the POSIX side maps errno onto the same codes),
// and the file error numbers that file-failure messages show
// (file_error_number in frame/errors.h turns the one into the other).
#pragma once

#include <cstdint>

namespace velk {

// Windows error codes: 0 is success.
namespace win {
constexpr std::uint32_t kInvalidFunction = 1;
constexpr std::uint32_t kFileNotFound = 2;
constexpr std::uint32_t kPathNotFound = 3;
constexpr std::uint32_t kTooManyOpenFiles = 4;
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kInvalidHandle = 6;
constexpr std::uint32_t kArenaTrashed = 7;
constexpr std::uint32_t kNotEnoughMemory = 8;
constexpr std::uint32_t kInvalidBlock = 9;
constexpr std::uint32_t kBadEnvironment = 10;
constexpr std::uint32_t kBadFormat = 11;
constexpr std::uint32_t kInvalidAccess = 12;
constexpr std::uint32_t kInvalidData = 13;
constexpr std::uint32_t kOutOfMemory = 14;
constexpr std::uint32_t kInvalidDrive = 15;
constexpr std::uint32_t kNotSameDevice = 17;
constexpr std::uint32_t kNoMoreFiles = 18;
constexpr std::uint32_t kWriteProtect = 19;
constexpr std::uint32_t kBadUnit = 20;
constexpr std::uint32_t kNotReady = 21;
constexpr std::uint32_t kBadCommand = 22;
constexpr std::uint32_t kCrc = 23;
constexpr std::uint32_t kBadLength = 24;
constexpr std::uint32_t kSeek = 25;
constexpr std::uint32_t kNotDosDisk = 26;
constexpr std::uint32_t kSectorNotFound = 27;
constexpr std::uint32_t kOutOfPaper = 28;
constexpr std::uint32_t kWriteFault = 29;
constexpr std::uint32_t kReadFault = 30;
constexpr std::uint32_t kGenFailure = 31;
constexpr std::uint32_t kSharingViolation = 32;
constexpr std::uint32_t kLockViolation = 33;
constexpr std::uint32_t kWrongDisk = 34;
constexpr std::uint32_t kSharingBufferExceeded = 36;
constexpr std::uint32_t kHandleEof = 38;
constexpr std::uint32_t kHandleDiskFull = 39;
constexpr std::uint32_t kFileExists = 80;
constexpr std::uint32_t kDiskFull = 112;
constexpr std::uint32_t kIoDevice = 1117; // an error with no closer match
} // namespace win

// File error numbers, as messages show them.
constexpr int kInternalErrorNumber = 51; // invalid handle, format, access, data, command, length
constexpr int kFileNotFoundNumber = 53;  // also: no more files
constexpr int kDiskFullNumber = 61;      // both disk-full codes
constexpr int kEndOfFileNumber = 62;     // a file that ends before its data
constexpr int kBadFileNameNumber =
    64; // empty, holding "*", "?" or NUL, or too long: refused before the platform is asked
constexpr int kTooManyFilesNumber = 67;        // too many open files
constexpr int kDeviceUnavailableNumber = 68;   // invalid drive, bad unit
constexpr int kPermissionDeniedNumber = 70;    // access denied, write-protected, sharing and lock violations
constexpr int kDiskNotReadyNumber = 71;        // not ready
constexpr int kDeviceFaultNumber = 72;         // medium and device faults
constexpr int kNotSameDeviceNumber = 74;       // not the same device
constexpr int kFileAccessErrorNumber = 75;     // every other code
constexpr int kPathNotFoundNumber = 76;        // path not found
constexpr int kNoMemoryNumber = 7;             // memory exhausted
constexpr int kMemoryControlFaultNumber = 241; // arena trashed, invalid block, bad environment

} // namespace velk
