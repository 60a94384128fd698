// Shared by the benchmarks: plain-face strings as a caller makes them, and
// timing with medians of repeated runs.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <vector>

#include "velk_strings.h"
#include "velk_xml.h"

using velk_strings::free_string;
using velk_strings::make_string;
using velk_strings::string_length;

template <class Work> double seconds(Work &&work) {
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
