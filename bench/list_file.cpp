// Saves and loads a list of 1,000,000 short entries, each beside references
// measured in the same run:
//   save: a plain write of the same bytes to a new file;
//   load: a plain read of the same bytes (and, as a second reference, that
//         read followed by the same appends with llAdd from the previous node
//         and llFree of the list).
// Prints the median of several runs and the ratio to the reference.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

constexpr int kEntries = 1000000;
constexpr int kRuns = 7;

void put_length(std::string &out, int32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
}

} // namespace

int main() {
    // The list, and the same bytes as the list file holds them.
    velk_handle list = 0, last = 0;
    std::string bytes = "LINKED_LIST_TYPE";
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < kEntries; ++i) {
        std::string name = "key" + std::to_string(i), data = "value " + std::to_string(i * 7);
        last = llzAdd(last, name.c_str(), data.c_str());
        if (!list) list = last;
        put_length(bytes, static_cast<int32_t>(name.size()));
        bytes += name;
        put_length(bytes, static_cast<int32_t>(data.size()));
        bytes += data;
        entries.emplace_back(std::move(name), std::move(data));
    }
    put_length(bytes, -1);

    const std::string lib_file = "bench-list.lst", plain_file = "bench-plain.bin";
    std::vector<double> save, write_ref, load, read_ref, read_add_ref;
    for (int run = 0; run < kRuns; ++run) {
        std::remove(lib_file.c_str());
        std::remove(plain_file.c_str());
        save.push_back(seconds([&] {
            if (llzListToFile(list, lib_file.c_str()) != 1) std::fprintf(stderr, "save failed\n");
        }));
        write_ref.push_back(seconds([&] {
            std::FILE *f = std::fopen(plain_file.c_str(), "wbx");
            if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0)
                std::fprintf(stderr, "plain write failed\n");
        }));
        velk_handle loaded = 0;
        load.push_back(seconds([&] { loaded = llzListFromFile(lib_file.c_str()); }));
        if (llCount(loaded) != kEntries) std::fprintf(stderr, "load failed\n");
        llFree(loaded);
        auto plain_read = [&] {
            std::FILE *f = std::fopen(plain_file.c_str(), "rb");
            std::string back(bytes.size(), '\0');
            if (!f || std::fread(back.data(), 1, back.size(), f) != back.size())
                std::fprintf(stderr, "read failed\n");
            if (f) std::fclose(f);
        };
        read_ref.push_back(seconds(plain_read));
        read_add_ref.push_back(seconds([&] {
            plain_read();
            velk_handle first = 0, prev = 0;
            for (const auto &e : entries) {
                prev = llAdd(prev, make_string(e.first), make_string(e.second));
                if (!first) first = prev;
            }
            llFree(first);
        }));
    }
    std::remove(lib_file.c_str());
    std::remove(plain_file.c_str());
    llFree(list);

    std::printf("list file of %d entries (%.1f MB), median of %d runs\n", kEntries, bytes.size() / 1e6,
                kRuns);
    std::printf("  save  %.3f s   plain write        %.3f s   ratio %.2f\n", median(save), median(write_ref),
                median(save) / median(write_ref));
    std::printf("  load  %.3f s   plain read         %.3f s   ratio %.2f\n", median(load), median(read_ref),
                median(load) / median(read_ref));
    std::printf("  load  %.3f s   plain read + llAdd %.3f s   ratio %.2f\n", median(load),
                median(read_add_ref), median(load) / median(read_add_ref));
    return 0;
}
