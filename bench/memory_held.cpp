// The memory a program holds when it keeps a few blocks of many documents,
// and when it releases a document's blocks one by one in random order:
//
//   kept:   1,000 documents parsed one after the other; of each, one node
//           (with its name) is kept and every other block released with
//           FreeMem; then the kept ones are released too;
//   random: one large document (its text and a list of its blocks are in
//           the figures too) whose blocks are released one by one in a
//           random order, then the same document parsed and released again.
//
// Memory is glibc's bytes in use (the library's pages come from its heap)
// and the process's resident set, in MB, after each step. Run it against
// another build of the library with LD_LIBRARY_PATH to compare the two.
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "velk_records.h"

namespace {

double heap_mb() {
    struct mallinfo2 m = mallinfo2();
    return double(m.uordblks + m.hblkhd) / 1e6;
}

double resident_mb() {
    long pages = 0, resident = 0;
    std::ifstream statm("/proc/self/statm");
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / 1e6;
}

void report(const char *step) {
    std::printf("  %-44s heap %8.2f MB  resident %8.2f MB\n", step, heap_mb(), resident_mb());
}

// Records of one element each, with attributes, text and a comment.
std::string document(int records, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s = "<?xml version=\"1.0\"?>\n<catalog>\n";
    for (int id = 0; id < records; ++id)
        s += "  <record id=\"" + std::to_string(id) + "\" kind='k" + std::to_string(rng() % 50) +
             "'>\n    <title>Title " + std::to_string(rng()) +
             " &amp; more</title><!-- note -->\n  </record>\n";
    return s + "</catalog>\n";
}

// Every block of the tree: records and texts, in the order they were made.
std::vector<void *> blocks_of(velk_handle root) {
    std::vector<void *> blocks;
    auto add = [&](const void *block) {
        if (block) blocks.push_back(const_cast<void *>(block));
    };
    for (const XmlNode *node = VELK_XML_NODE(root); node; node = node->docNext) {
        add(node);
        add(node->tag);
        add(node->comment);
        for (const XmlAttrib *a = node->attribs; a; a = a->next) {
            add(a);
            add(a->name);
            add(a->value);
        }
    }
    return blocks;
}

velk_handle parse(const std::string &text) {
    velk_bstr s = make_string(text);
    velk_handle root = xmlParse(&s);
    free_string(s);
    return root;
}

} // namespace

int main() {
    std::printf("kept: 1,000 documents of %.0f KB, one node and its name kept of each\n",
                document(300, 0).size() / 1e3);
    report("at the start");
    std::vector<void *> kept;
    for (int d = 0; d < 1000; ++d) {
        velk_handle root = parse(document(300, static_cast<unsigned>(d)));
        std::vector<void *> blocks = blocks_of(root);
        const XmlNode *keep = VELK_XML_NODE(root);
        for (std::size_t i = 0; i < blocks.size() / 2; ++i) // a node near the middle
            keep = keep->docNext ? keep->docNext : keep;
        for (void *block : blocks) {
            if (block == keep || block == keep->tag)
                kept.push_back(block);
            else
                FreeMem(block);
        }
        if (d == 0) report("after the first document");
    }
    report("after 1,000 documents");
    for (void *block : kept)
        FreeMem(block);
    report("after the kept blocks are released");

    const std::string large = document(150000, 1);
    std::printf("random: one document of %.0f MB released block by block in random order\n",
                large.size() / 1e6);
    velk_handle root = parse(large);
    report("parsed");
    std::vector<void *> blocks = blocks_of(root);
    std::shuffle(blocks.begin(), blocks.end(), std::mt19937(2));
    for (void *block : blocks)
        FreeMem(block);
    report("released in random order");
    xmlFree(parse(large));
    report("parsed and released again");
    return 0;
}
