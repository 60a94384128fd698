// What the library asks of the compiler beyond standard C++, in one place:
// whether AddressSanitizer instruments this build, inlining where a call
// would cost a hot loop, and prefetch hints.
#pragma once

#include <cstdint>

#if defined(__GNUC__) || defined(__clang__)
#define VELK_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define VELK_ALWAYS_INLINE inline
#endif

#if defined(__SANITIZE_ADDRESS__)
#define VELK_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELK_ADDRESS_SANITIZER 1
#endif
#endif
#if !defined(VELK_ADDRESS_SANITIZER)
#define VELK_ADDRESS_SANITIZER 0
#endif

namespace velk {

constexpr bool kAddressSanitizer = VELK_ADDRESS_SANITIZER != 0;

// Asks for the memory at the address ahead of its use. A hint only: any
// address, null included, is harmless, and it does nothing where the compiler
// has no such builtin.
inline void prefetch(const void *address) noexcept {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

// Asks for the record count places after the given one in memory, where the
// next records of a chain made in one go usually lie. Counted on the address
// as a number: the record there need not exist.
template <class Record> inline void prefetch_ahead(const Record *record, int count) noexcept {
    prefetch(
        reinterpret_cast<const void *>(reinterpret_cast<std::uintptr_t>(record) + count * sizeof(Record)));
}

} // namespace velk
