// Sorts lists with llSort, in text mode and in numeric mode, beside
// std::stable_sort of the same keys in the same run, and reports medians and
// their ratio. The text keys are compared as bytes; the numeric keys are the
// values of the texts, converted before std::stable_sort is timed, while
// llSort reads each value from the text itself. Goal: llSort within 3x of
// std::stable_sort at 100,000 entries, and 1,000,000 entries in seconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "velk_xml.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Data texts like a caller's: names or codes for text mode; integers,
// decimals and a few exponents for numeric mode. Duplicates occur.
std::vector<std::string> make_texts(int count, bool numeric, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::string> texts;
    texts.reserve(count);
    char buffer[64];
    for (int i = 0; i < count; ++i) {
        if (numeric) {
            switch (random() % 4) {
            case 0:
                std::snprintf(buffer, sizeof buffer, "%u", static_cast<unsigned>(random() % 1000000));
                break;
            case 1:
                std::snprintf(buffer, sizeof buffer, "-%u.%02u", static_cast<unsigned>(random() % 10000),
                              static_cast<unsigned>(random() % 100));
                break;
            case 2:
                std::snprintf(buffer, sizeof buffer, "%.6f", (random() % 100000000) / 1000.0);
                break;
            default:
                std::snprintf(buffer, sizeof buffer, "%.3e", (random() % 1000000) * 1e-3);
                break;
            }
        } else {
            std::snprintf(buffer, sizeof buffer, "customer-%05u-%c%c",
                          static_cast<unsigned>(random() % 50000), 'a' + static_cast<int>(random() % 26),
                          'A' + static_cast<int>(random() % 26));
        }
        texts.emplace_back(buffer);
    }
    return texts;
}

velk_handle make_list(const std::vector<std::string> &texts) {
    velk_handle list = 0, last = 0;
    for (const auto &text : texts) {
        last = llzAdd(last, "entry", text.c_str());
        if (!list) list = last;
    }
    return list;
}

// The benchmark's texts are all plain numbers, so strtod reads them as llSort does.
bool is_sorted_list(velk_handle list, int mode) {
    std::string previous = llzData(list);
    for (velk_handle h = llNext(list); h; h = llNext(h)) {
        std::string current = llzData(h);
        if (mode == 1 ? std::strtod(current.c_str(), nullptr) < std::strtod(previous.c_str(), nullptr)
                      : current < previous)
            return false;
        previous = current;
    }
    return true;
}

double time_llsort(const std::vector<std::string> &texts, int mode, bool check) {
    velk_handle list = make_list(texts);
    auto start = Clock::now();
    list = llSort(list, mode);
    double seconds = seconds_since(start);
    if (llCount(list) != static_cast<int>(texts.size())) std::fprintf(stderr, "entries lost\n"), std::exit(1);
    if (check && !is_sorted_list(list, mode)) std::fprintf(stderr, "not sorted\n"), std::exit(1);
    llFree(list);
    return seconds;
}

double time_stable_sort(const std::vector<std::string> &texts, bool numeric) {
    if (numeric) {
        std::vector<double> keys;
        keys.reserve(texts.size());
        for (const auto &t : texts)
            keys.push_back(std::strtod(t.c_str(), nullptr));
        auto start = Clock::now();
        std::stable_sort(keys.begin(), keys.end());
        return seconds_since(start);
    }
    std::vector<std::string> keys = texts;
    auto start = Clock::now();
    std::stable_sort(keys.begin(), keys.end());
    return seconds_since(start);
}

} // namespace

int main(int argc, char **argv) {
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    std::printf("%d runs each, medians\n", runs);
    for (int mode : {0, 1}) {
        const bool numeric = mode == 1;
        const char *name = numeric ? "numeric" : "text";
        auto texts = make_texts(100000, numeric, 4242);
        std::vector<double> ours, theirs;
        for (int r = 0; r < runs; ++r) {
            ours.push_back(time_llsort(texts, mode, r == 0));
            theirs.push_back(time_stable_sort(texts, numeric));
        }
        std::printf("%-7s 100,000: llSort %7.2f ms   std::stable_sort %7.2f ms   ratio %.2f\n", name,
                    median(ours) * 1e3, median(theirs) * 1e3, median(ours) / median(theirs));
    }
    for (int mode : {0, 1}) {
        const bool numeric = mode == 1;
        auto texts = make_texts(1000000, numeric, 99);
        std::vector<double> ours, theirs;
        for (int r = 0; r < 3; ++r) {
            ours.push_back(time_llsort(texts, mode, false));
            theirs.push_back(time_stable_sort(texts, numeric));
        }
        std::printf("%-7s 1,000,000: llSort %7.2f ms   std::stable_sort %7.2f ms   ratio %.2f\n",
                    numeric ? "numeric" : "text", median(ours) * 1e3, median(theirs) * 1e3,
                    median(ours) / median(theirs));
    }
    return 0;
}
