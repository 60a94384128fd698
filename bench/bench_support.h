// Shared by the benchmarks: plain-face strings as a caller makes them, and
// timing with medians of repeated runs. Times are the process's CPU time, so
// that other work on a busy machine does not count against a figure.
#pragma once

#include <algorithm>
#include <cstddef>
#include <ctime>
#include <vector>

#include "velk_strings.h"
#include "velk_xml.h"

using velk_strings::free_string;
using velk_strings::make_string;
using velk_strings::string_length;

inline double cpu_now() { return double(std::clock()) / CLOCKS_PER_SEC; }

template <class Work> double seconds(Work &&work) {
    double start = cpu_now();
    work();
    return cpu_now() - start;
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
