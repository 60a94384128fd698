/*
 * For C++ callers: the plain face's counted strings made from and taken into
 * byte views. On Windows they come from oleaut32, elsewhere from the library.
 */
#ifndef VELK_STRINGS_H
#define VELK_STRINGS_H

#include <cstdint>
#include <string>
#include <string_view>

#include "velk_xml.h"

#if defined(_WIN32)
#include <windows.h>
#include <oleauto.h>
#endif

namespace velk_strings {

// A new counted string holding the bytes: a plain-face argument (the export
// releases it) or the caller's own string.
inline velk_bstr make_string(std::string_view bytes) {
#if defined(_WIN32)
    return reinterpret_cast<velk_bstr>(SysAllocStringByteLen(bytes.data(), static_cast<UINT>(bytes.size())));
#else
    return SysAllocStringByteLen(bytes.data(), static_cast<uint32_t>(bytes.size()));
#endif
}

inline std::uint32_t string_length(velk_bstr s) {
#if defined(_WIN32)
    return SysStringByteLen(reinterpret_cast<BSTR>(s));
#else
    return SysStringByteLen(s);
#endif
}

inline void free_string(velk_bstr s) {
#if defined(_WIN32)
    SysFreeString(reinterpret_cast<BSTR>(s));
#else
    SysFreeString(s);
#endif
}

// The bytes of a plain-face result; the string is released.
inline std::string take_string(velk_bstr s) {
    if (!s) return std::string();
    std::string bytes(s, string_length(s));
    free_string(s);
    return bytes;
}

} // namespace velk_strings

#endif
