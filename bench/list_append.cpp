// Appends entries with llAdd, passing the node of the previous add as the list
// handle, and reports the time per run. Appending must stay linear: the
// figures for 250,000, 500,000 and 1,000,000 entries should scale by two.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "velk_xml.h"

#if defined(_WIN32)
#include <windows.h>
#include <oleauto.h>
static velk_bstr make_string(const char *s, std::size_t n) {
    return reinterpret_cast<velk_bstr>(SysAllocStringByteLen(s, static_cast<UINT>(n)));
}
#else
static velk_bstr make_string(const char *s, std::size_t n) {
    return SysAllocStringByteLen(s, static_cast<uint32_t>(n));
}
#endif

static double append_seconds(int entries) {
    char name[32];
    const char data[] = "some entry data";
    auto start = std::chrono::steady_clock::now();
    velk_handle list = 0, last = 0;
    for (int i = 0; i < entries; ++i) {
        int n = std::snprintf(name, sizeof name, "Entry %d", i);
        last = llAdd(last, make_string(name, n), make_string(data, sizeof data - 1));
        if (!list) list = last;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (llCount(list) != entries) std::fprintf(stderr, "wrong count\n");
    llFree(list);
    return seconds;
}

int main() {
    const int runs = 5;
    for (int entries : {250000, 500000, 1000000}) {
        std::vector<double> times;
        for (int r = 0; r < runs; ++r) times.push_back(append_seconds(entries));
        std::sort(times.begin(), times.end());
        std::printf("llAdd x %7d from the previous node: median %.3f s (%.0f ns per add), min %.3f s\n",
                    entries, times[runs / 2], times[runs / 2] * 1e9 / entries, times[0]);
    }
    return 0;
}
