// Appends entries with llAdd, passing the node of the previous add as the list
// handle, and reports the time per run. Appending must stay linear: the
// figures for 250,000, 500,000 and 1,000,000 entries should scale by two.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"

static double append_seconds(int entries) {
    char name[32];
    const char data[] = "some entry data";
    velk_handle list = 0;
    double taken = seconds([&] {
        velk_handle last = 0;
        for (int i = 0; i < entries; ++i) {
            int n = std::snprintf(name, sizeof name, "Entry %d", i);
            last = llAdd(last, make_string({name, static_cast<std::size_t>(n)}),
                         make_string({data, sizeof data - 1}));
            if (!list) list = last;
        }
    });
    if (llCount(list) != entries) std::fprintf(stderr, "wrong count\n");
    llFree(list);
    return taken;
}

int main() {
    const int runs = 5;
    for (int entries : {250000, 500000, 1000000}) {
        std::vector<double> times;
        for (int r = 0; r < runs; ++r)
            times.push_back(append_seconds(entries));
        double m = median(times);
        std::printf("llAdd x %7d from the previous node: median %.3f s (%.0f ns per add)\n", entries, m,
                    m * 1e9 / entries);
    }
    return 0;
}
