// Large and deep inputs, end to end through the exports: a 200 MB document
// parses and is written; a document nested 1,000,000 levels deep parses, is
// written, searched and freed; a list of 1,000,000 entries is saved, loaded
// and sorted. Prints the time of each step; exits with 1 when a step fails.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench_support.h"

namespace {

int failures = 0;

// Times the work, then checks the outcome (the check must run after it).
template <class Work, class Check> void step(const char *what, Work &&work, Check &&check) {
    double taken = seconds(work);
    bool ok = check();
    std::printf("  %-46s %7.3f s  %s\n", what, taken, ok ? "ok" : "FAILED");
    std::fflush(stdout);
    if (!ok) ++failures;
}

velk_handle parse(const std::string &text) {
    velk_bstr s = make_string(text);
    velk_handle root = xmlParse(&s);
    free_string(s);
    return root;
}

std::size_t written_size(velk_handle root, int indent) {
    velk_bstr text = xmlTreeToString(root, indent);
    std::size_t size = text ? string_length(text) : 0;
    free_string(text);
    return size;
}

void big_document() {
    std::string text = "<?xml version='1.0'?>\r\n<catalog>\r\n";
    char record[256];
    for (int i = 0; text.size() < 200u * 1000 * 1000; ++i) {
        int n = std::snprintf(record, sizeof record,
                              "<book id=\"b%d\" lang='en'><title>Title &amp; subtitle %d</title>"
                              "<price>%d.50</price><!-- note %d --></book>\r\n",
                              i, i, i % 100, i);
        text.append(record, static_cast<std::size_t>(n));
    }
    text += "</catalog>";
    std::printf("document of %.1f MB\n", text.size() / 1e6);
    velk_handle root = 0;
    step(
        "parse", [&] { root = parse(text); }, [&] { return root != 0; });
    std::size_t size = 0;
    step(
        "write compactly", [&] { size = written_size(root, 0); }, [&] { return size == text.size(); });
    step(
        "write indented", [&] { size = written_size(root, 1); }, [&] { return size > text.size(); });
    step(
        "free", [&] { xmlFree(root); }, [&] { return true; });
}

void deep_document() {
    const int depth = 1000000;
    std::string text;
    text.reserve(depth * 8u);
    for (int i = 0; i < depth; ++i)
        text += "<a>";
    text += "<deepest/>";
    for (int i = 0; i < depth; ++i)
        text += "</a>";
    std::printf("document nested %d levels deep\n", depth);
    velk_handle root = 0;
    step(
        "parse", [&] { root = parse(text); }, [&] { return root != 0; });
    std::size_t size = 0;
    step(
        "write compactly", [&] { size = written_size(root, 0); }, [&] { return size == text.size() + 1; });
    velk_handle found = 0;
    step(
        "search the tree links for the deepest element",
        [&] { found = xmlFindNodeRecursive(root, -1, make_string("deepest"), nullptr, nullptr); },
        [&] { return found != 0; });
    velk_handle along = 0;
    step(
        "search the creation chain for it", [&] { along = xmlzFindNode(root, -1, "deepest", "", ""); },
        [&] { return along == found; });
    step(
        "free", [&] { xmlFree(root); }, [&] { return true; });
}

void big_list() {
    const int entries = 1000000;
    std::printf("list of %d entries\n", entries);
    velk_handle list = 0;
    step(
        "build",
        [&] {
            velk_handle last = 0;
            char name[32], data[32];
            for (int i = 0; i < entries; ++i) {
                std::snprintf(name, sizeof name, "key %d", i);
                std::snprintf(data, sizeof data, "%lld", 7919LL * i % entries);
                last = llzAdd(last, name, data);
                if (!list) list = last;
            }
        },
        [&] { return llCount(list) == entries; });
    const char *file = "large-inputs.lst";
    std::remove(file);
    int saved = 0;
    step(
        "save to a list file", [&] { saved = llzListToFile(list, file); }, [&] { return saved == 1; });
    velk_handle loaded = 0;
    step(
        "load it", [&] { loaded = llzListFromFile(file); }, [&] { return llCount(loaded) == entries; });
    std::remove(file);
    step(
        "sort by text", [&] { loaded = llSort(loaded, 0); }, [&] { return llCount(loaded) == entries; });
    step(
        "sort by number", [&] { list = llSort(list, 1); },
        [&] { return llCount(list) == entries && std::strcmp(llzData(list), "0") == 0; });
    llFree(loaded);
    llFree(list);
}

} // namespace

int main(int argc, char **argv) {
    // With an argument, one part only: document, deep or list.
    std::string only = argc > 1 ? argv[1] : "";
    if (only.empty() || only == "document") big_document();
    if (only.empty() || only == "deep") deep_document();
    if (only.empty() || only == "list") big_list();
    std::printf(failures ? "%d steps failed\n" : "all steps passed\n", failures);
    return failures ? 1 : 0;
}
