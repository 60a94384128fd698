// Appends entries with llAdd, passing the node of the previous add as the list
// handle, and releases them with llFree; beside it in the same run, the
// obvious C++ code doing the same work: emplace_back of the same texts into a
// vector<pair<string, string>>, and the vector's destructor. The names are
// made before either side is timed; llAdd's side also makes the two counted
// strings a caller hands over. Appending must stay linear: the figures for
// 250,000, 500,000 and 1,000,000 entries should scale by two.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench_support.h"

namespace {

const char kData[] = "some entry data";

struct Timing {
    double add = 0, release = 0;
};

Timing velk_run(const std::vector<std::string> &names) {
    const int entries = static_cast<int>(names.size());
    velk_handle list = 0;
    Timing t;
    t.add = seconds([&] {
        velk_handle last = 0;
        for (const std::string &name : names) {
            last = llAdd(last, make_string(name), make_string({kData, sizeof kData - 1}));
            if (!list) list = last;
        }
    });
    if (llCount(list) != entries) std::fprintf(stderr, "wrong count\n");
    t.release = seconds([&] { llFree(list); });
    return t;
}

Timing vector_run(const std::vector<std::string> &names) {
    using Entries = std::vector<std::pair<std::string, std::string>>;
    auto list = std::make_unique<Entries>();
    Timing t;
    t.add = seconds([&] {
        for (const std::string &name : names)
            list->emplace_back(name, std::string(kData, sizeof kData - 1));
    });
    if (list->size() != names.size()) std::fprintf(stderr, "wrong count\n");
    t.release = seconds([&] { list.reset(); });
    return t;
}

} // namespace

int main() {
    const int runs = 7;
    for (int entries : {250000, 500000, 1000000}) {
        std::vector<std::string> names;
        for (int i = 0; i < entries; ++i)
            names.push_back("Entry " + std::to_string(i));
        std::vector<double> add, release, vadd, vrelease;
        for (int r = 0; r < runs; ++r) { // interleaved, so that load from elsewhere hits both
            Timing v = velk_run(names), c = vector_run(names);
            add.push_back(v.add);
            release.push_back(v.release);
            vadd.push_back(c.add);
            vrelease.push_back(c.release);
        }
        double m = median(add);
        std::printf("llAdd x %7d from the previous node: median %.3f s (%.0f ns per add)\n", entries, m,
                    m * 1e9 / entries);
        std::printf("  add   %.3f s  vector emplace_back %.3f s  ratio %.2f\n", m, median(vadd),
                    m / median(vadd));
        std::printf("  free  %.3f s  vector destructor   %.3f s  ratio %.2f\n", median(release),
                    median(vrelease), median(release) / median(vrelease));
    }
    return 0;
}
