// Shared by the benchmarks: plain-face strings as a caller makes them, and
// medians of repeated runs.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <vector>

#include "velk_xml.h"

#if defined(_WIN32)
#include <windows.h>
#include <oleauto.h>
inline velk_bstr make_string(const char *s, std::size_t n) {
    return reinterpret_cast<velk_bstr>(SysAllocStringByteLen(s, static_cast<UINT>(n)));
}
inline void free_string(velk_bstr s) { SysFreeString(reinterpret_cast<BSTR>(s)); }
inline std::size_t string_length(velk_bstr s) { return SysStringByteLen(reinterpret_cast<BSTR>(s)); }
#else
inline velk_bstr make_string(const char *s, std::size_t n) {
    return SysAllocStringByteLen(s, static_cast<uint32_t>(n));
}
inline void free_string(velk_bstr s) { SysFreeString(s); }
inline std::size_t string_length(velk_bstr s) { return SysStringByteLen(s); }
#endif

template <class Work> double seconds(Work &&work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
