/*
 * For C++ callers, C++17 or later (std::string_view): the plain face's
 * counted strings made from and taken into byte views. On Windows they come
 * from oleaut32, elsewhere from the library; velk_bstr is the type both
 * declare, so no cast is needed either way. C callers use velk_xml.h alone.
 */
#ifndef VELK_STRINGS_H
#define VELK_STRINGS_H

/* MSVC keeps __cplusplus at 199711L unless asked (/Zc:__cplusplus);
   _MSVC_LANG holds the standard it compiles. */
#if !defined(__cplusplus)
#error "velk_strings.h is for C++ (C++17 or later); C callers include velk_xml.h alone"
#elif (defined(_MSVC_LANG) && _MSVC_LANG < 201703L) || (!defined(_MSVC_LANG) && __cplusplus < 201703L)
#error "velk_strings.h needs C++17 or later (std::string_view): compile with -std=c++17 (MSVC: /std:c++17)"
#endif

#include <cstdint>
#include <string>
#include <string_view>

#if defined(_WIN32)
#include <windows.h>
#include <oleauto.h>
#endif

#include "velk_xml.h"

namespace velk_strings {

// A new counted string holding the bytes: a plain-face argument (the export
// releases it) or the caller's own string. Null when memory runs out.
inline velk_bstr make_string(std::string_view bytes) {
    return SysAllocStringByteLen(bytes.data(), static_cast<unsigned>(bytes.size()));
}

// The number of bytes the string holds; 0 for null.
inline std::uint32_t string_length(velk_bstr s) { return s ? SysStringByteLen(s) : 0; }

// The bytes of the string (the first of string_length(s) bytes).
inline const char *string_bytes(velk_bstr s) { return VELK_BSTR_BYTES(s); }

inline void free_string(velk_bstr s) { SysFreeString(s); }

// The bytes of a plain-face result as a byte view (without taking it).
inline std::string_view view_string(velk_bstr s) {
    return s ? std::string_view(string_bytes(s), string_length(s)) : std::string_view();
}

// The bytes of a plain-face result; the string is released.
inline std::string take_string(velk_bstr s) {
    std::string bytes(view_string(s));
    free_string(s);
    return bytes;
}

} // namespace velk_strings

#endif
