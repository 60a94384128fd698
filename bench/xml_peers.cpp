// Parse-and-free and compact writing, side by side in one run with the peer
// XML libraries that are installed (pugixml, tinyxml2, libxml2), on real
// documents, on those documents repeated to 20 MB, on synthetic 20 MB ones and
// on one nested 100,000 levels deep.
//
//   bench_xml [--baseline libvelk_xml.so] [file.xml ...]
//
// --baseline loads a second build of the library beside this one (as
// "velk_base"), to compare a change with the build before it in one run; it
// may need GLIBC_TUNABLES=glibc.rtld.optional_static_tls=2048.
//
// Without arguments it reads the XML files of iso-codes, shared-mime-info and
// xkb-data that exist on this machine, and times them also one after the
// other, repeated to 5 MB and to 20 MB. A DOCTYPE is removed first, as the
// peers would otherwise read its internal subset. Every figure is the median
// of interleaved samples of the process's CPU time; MB/s is document bytes
// (10^6) per second for both parsing and writing, so that a library writing
// less text is not favoured. The ratio beside a library's figure is VELK_XML's
// time over that library's (2.00: VELK_XML takes twice as long).
// Parse + free is timed twice: "fresh", the first parse and release of a new
// process, which pays the first touch of every page it takes; and "warm", a
// parse and release after another, reusing the memory the last release gave
// back, as in a program that parses again and again. For the warm figures
// glibc keeps what is released (no trimming of the heap's top, no blocks of
// their own mapped and unmapped), so that no library pays page faults for
// memory it had already: the faults of each timed run are printed beside its
// figure, so that warmth is shown rather than assumed. The process is pinned
// to one processor.
//
// Every library builds the same tree: pugixml is asked to keep what this
// library keeps (text that is only blanks, comments, processing
// instructions and the XML declaration).
// Heap is the growth of glibc's in-use bytes while the parsed tree is held,
// per document byte. Every figure of a library comes from a child process
// forked before anything was parsed, so that memory a library kept from an
// earlier document cannot hide what this one needs, and the heap as another
// library left it cannot make it faster or slower.
//
// The row "blocks" is VELK_XML's memory blocks alone: the blocks a parse of
// the document makes (the same sizes, in the same order) taken with GetMem
// and released with FreeMem, with no parsing. Its time is the part of
// VELK_XML's parse + free that the parser cannot remove while every record
// and text is a zero-filled block of its own.
//
// VELK_XML is loaded with dlopen and called through its own pointers: four
// of its export names are also libxml2's (xmlFree among them).
#include <dlfcn.h>
#include <malloc.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "block_sizes.h"

#ifdef HAVE_PUGIXML
#include <pugixml.hpp>
#endif
#ifdef HAVE_TINYXML2
#include <tinyxml2.h>
#endif
#ifdef HAVE_LIBXML2
#include <libxml/parser.h>
#include <libxml/tree.h>
#endif

namespace {

struct Document {
    std::string name;
    std::string text;
};

std::size_t heap_in_use() {
    struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

// One library: parse a document and keep it, release it, write it compactly
// (returning the bytes written, the text released).
class Library {
  public:
    virtual ~Library() = default;
    virtual const char *name() const = 0;
    // Work done once per document, outside every figure.
    virtual void prepare(const Document &) {}
    virtual bool parse(const Document &doc) = 0;
    virtual void release() = 0;
    virtual std::size_t write() = 0;
    virtual bool writes() const { return true; }
};

class Velk : public Library {
  public:
    Velk(void *lib, const char *name)
        : name_(name), parse_(reinterpret_cast<ParseFn>(dlsym(lib, "xmlParse"))),
          free_(reinterpret_cast<FreeFn>(dlsym(lib, "xmlFree"))),
          tree_(reinterpret_cast<TreeFn>(dlsym(lib, "xmlTreeToString"))),
          alloc_(reinterpret_cast<AllocFn>(dlsym(lib, "SysAllocStringByteLen"))),
          free_string_(reinterpret_cast<FreeStringFn>(dlsym(lib, "SysFreeString"))),
          length_(reinterpret_cast<LengthFn>(dlsym(lib, "SysStringByteLen"))) {}
    ~Velk() override {
        release();
        free_string_(text_);
    }
    bool ok() const { return parse_ && free_ && tree_ && alloc_ && free_string_ && length_; }
    const char *name() const override { return name_; }
    // The counted string is the caller's and read in place by the parser.
    void prepare(const Document &doc) override {
        free_string_(text_);
        text_ = alloc_(doc.text.data(), static_cast<std::uint32_t>(doc.text.size()));
    }
    bool parse(const Document &) override {
        root_ = parse_(&text_);
        return root_ != 0;
    }
    void release() override {
        free_(root_);
        root_ = 0;
    }
    std::uintptr_t root() const { return root_; }
    std::size_t write() override {
        char *out = tree_(root_, 0);
        std::size_t n = length_(out);
        free_string_(out);
        return n;
    }

  private:
    typedef std::uintptr_t (*ParseFn)(char **);
    typedef void (*FreeFn)(std::uintptr_t);
    typedef char *(*TreeFn)(std::uintptr_t, std::int32_t);
    typedef char *(*AllocFn)(const char *, std::uint32_t);
    typedef void (*FreeStringFn)(char *);
    typedef std::uint32_t (*LengthFn)(char *);
    const char *name_;
    ParseFn parse_;
    FreeFn free_;
    TreeFn tree_;
    AllocFn alloc_;
    FreeStringFn free_string_;
    LengthFn length_;
    char *text_ = nullptr;
    std::uintptr_t root_ = 0;
};

// The blocks of one parse of the document, without the parse.
class BlocksAlone : public Library {
  public:
    BlocksAlone(void *lib, Velk &velk)
        : velk_(velk), get_(reinterpret_cast<GetFn>(dlsym(lib, "GetMem"))),
          free_(reinterpret_cast<FreeFn>(dlsym(lib, "FreeMem"))) {}
    bool ok() const { return get_ && free_; }
    const char *name() const override { return "blocks"; }
    bool writes() const override { return false; }
    void prepare(const Document &doc) override {
        velk_.prepare(doc);
        sizes_.clear();
        if (velk_.parse(doc)) sizes_ = tree_block_sizes(velk_.root());
        velk_.release();
        blocks_.assign(sizes_.size(), nullptr);
    }
    bool parse(const Document &) override {
        for (std::size_t i = 0; i < sizes_.size(); ++i)
            blocks_[i] = get_(static_cast<std::int32_t>(sizes_[i]));
        return !sizes_.empty();
    }
    void release() override {
        for (void *&block : blocks_) {
            free_(block);
            block = nullptr;
        }
    }
    // Nothing is written: the figure sent back is the number of blocks.
    std::size_t write() override { return sizes_.size(); }

  private:
    typedef void *(*GetFn)(std::int32_t);
    typedef void (*FreeFn)(void *);
    Velk &velk_;
    GetFn get_;
    FreeFn free_;
    std::vector<std::uint32_t> sizes_;
    std::vector<void *> blocks_;
};

#ifdef HAVE_PUGIXML
class Pugi : public Library {
  public:
    const char *name() const override { return "pugixml"; }
    bool parse(const Document &doc) override {
        doc_ = std::make_unique<pugi::xml_document>();
        return doc_->load_buffer(doc.text.data(), doc.text.size(), kSameTree);
    }
    void release() override { doc_.reset(); }
    std::size_t write() override {
        struct Sink : pugi::xml_writer {
            std::string out;
            void write(const void *data, std::size_t size) override {
                out.append(static_cast<const char *>(data), size);
            }
        } sink;
        doc_->save(sink, "", pugi::format_raw | pugi::format_no_declaration);
        return sink.out.size();
    }

  private:
    // The tree this library builds: every text, comment and instruction.
    static constexpr unsigned kSameTree = pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_comments |
                                          pugi::parse_pi | pugi::parse_declaration;
    std::unique_ptr<pugi::xml_document> doc_;
};
#endif

#ifdef HAVE_TINYXML2
class Tiny : public Library {
  public:
    const char *name() const override { return "tinyxml2"; }
    bool parse(const Document &doc) override {
        doc_ = std::make_unique<tinyxml2::XMLDocument>();
        return doc_->Parse(doc.text.data(), doc.text.size()) == tinyxml2::XML_SUCCESS;
    }
    void release() override { doc_.reset(); }
    std::size_t write() override {
        tinyxml2::XMLPrinter printer(nullptr, true);
        doc_->Print(&printer);
        return static_cast<std::size_t>(printer.CStrSize());
    }

  private:
    std::unique_ptr<tinyxml2::XMLDocument> doc_;
};
#endif

#ifdef HAVE_LIBXML2
class Libxml : public Library {
  public:
    const char *name() const override { return "libxml2"; }
    bool parse(const Document &doc) override {
        doc_ = xmlReadMemory(doc.text.data(), static_cast<int>(doc.text.size()), nullptr, nullptr,
                             XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
        return doc_ != nullptr;
    }
    void release() override {
        xmlFreeDoc(doc_);
        doc_ = nullptr;
    }
    std::size_t write() override {
        xmlChar *out = nullptr;
        int size = 0;
        xmlDocDumpFormatMemory(doc_, &out, &size, 0);
        xmlFree(out);
        return static_cast<std::size_t>(size);
    }

  private:
    xmlDocPtr doc_ = nullptr;
};
#endif

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string strip_doctype(std::string s) {
    std::size_t at = s.find("<!DOCTYPE");
    if (at == std::string::npos) return s;
    std::size_t gt = s.find('>', at);
    std::size_t bracket = s.find('[', at);
    std::size_t end = bracket != std::string::npos && bracket < gt ? s.find("]>", bracket) + 2 : gt + 1;
    return s.erase(at, end - at);
}

// Many small records: nested elements, attributes, short texts with
// entities, indentation between the tags.
std::string synthetic_records(std::size_t bytes) {
    std::string s = "<?xml version=\"1.0\"?>\n<catalog>\n";
    std::mt19937 rng(1);
    for (int id = 0; s.size() < bytes; ++id) {
        s += "  <record id=\"" + std::to_string(id) + "\" kind=\"" + (rng() % 2 ? "book" : "disc") +
             "\" lang='en'>\n    <title>Title number " + std::to_string(rng() % 100000) +
             " &amp; friends</title>\n    <price currency=\"EUR\">" + std::to_string(rng() % 1000) +
             ".50</price>\n    <note>Some words with &lt;markup&gt; and \"quotes\" in them</note>\n"
             "    <flag/>\n  </record>\n";
    }
    return s + "</catalog>\n";
}

// Long runs of character data in few elements.
std::string synthetic_text(std::size_t bytes) {
    static const char *words[] = {"lorem", "ipsum",       "dolor",      "sit",   "amet",
                                  "&amp;", "consectetur", "adipiscing", "elit",  "sed",
                                  "do",    "&lt;tag&gt;", "eiusmod",    "tempor"};
    std::string s = "<?xml version=\"1.0\"?>\n<book>\n";
    std::mt19937 rng(2);
    while (s.size() < bytes) {
        s += "<p class=\"body\">";
        for (int w = 0; w < 400; ++w) {
            s += words[rng() % 14];
            s += w % 16 == 15 ? "\n" : " ";
        }
        s += "</p>\n";
    }
    return s + "</book>\n";
}

double cpu_now() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double seconds_since(double start) { return cpu_now() - start; }

// Page faults the process has taken so far.
long page_faults() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_minflt + u.ru_majflt;
}

// The documents one after the other (each without its XML declaration) in
// one root element, repeated to the size asked for.
std::string repeated_documents(const std::vector<std::string> &texts, std::size_t bytes) {
    std::string s = "<?xml version=\"1.0\"?>\n<documents>\n";
    for (std::size_t i = 0; s.size() < bytes; i = (i + 1) % texts.size()) {
        const std::string &t = texts[i];
        std::size_t at = 0;
        if (t.compare(0, 5, "<?xml") == 0) at = t.find("?>") + 2;
        s.append(t, at, std::string::npos);
    }
    return s + "</documents>\n";
}

// Elements nested to the depth asked for.
std::string nested(int depth) {
    std::string s;
    for (int i = 0; i < depth; ++i)
        s += "<a>";
    for (int i = 0; i < depth; ++i)
        s += "</a>";
    return s;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Result {
    bool ok = false;
    double parse_mbs = 0, fresh_mbs = 0, write_mbs = 0, heap_per_byte = 0;
    double parse_faults = 0, fresh_faults = 0, write_faults = 0; // per timed run
    std::size_t written = 0;
};

// glibc sorts the small chunks that were freed into its bins only when a
// large request comes; that work would fall on whichever library asks next
// for a large block (a writer growing its output, say), not on the one that
// freed them. A large request outside the timings does it there.
void settle_heap() {
    void *volatile large = std::malloc(64 * 1024);
    std::free(large);
}

// Heap bytes per document byte of one parse, in a child process so that
// the library starts from nothing; negative when it failed.
double heap_per_byte(Library *lib, const Document &doc) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        lib->prepare(doc);
        std::size_t before = heap_in_use();
        double figure = lib->parse(doc) ? double(heap_in_use() - before) / double(doc.text.size()) : -1;
        ssize_t sent = write(fds[1], &figure, sizeof figure);
        _exit(sent == sizeof figure ? 0 : 1);
    }
    close(fds[1]);
    double figure = -1;
    if (child < 0 || read(fds[0], &figure, sizeof figure) != sizeof figure) figure = -1;
    close(fds[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    return figure;
}

// Runs the work in a child process forked from this one and returns the
// figures it sends back (empty when the child failed). Every library is timed
// in a child of its own, so that what one library leaves behind in the heap
// (glibc's bins and thresholds, pages kept for reuse) cannot make another
// one faster or slower.
template <class Work> std::vector<double> in_child(std::size_t count, Work &&work) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        std::vector<double> figures = work();
        std::size_t bytes = figures.size() * sizeof(double);
        bool sent = figures.size() == count && write(fds[1], figures.data(), bytes) == ssize_t(bytes);
        _exit(sent ? 0 : 1);
    }
    close(fds[1]);
    std::vector<double> figures(count);
    std::size_t bytes = count * sizeof(double);
    if (child < 0 || read(fds[0], figures.data(), bytes) != ssize_t(bytes)) figures.clear();
    close(fds[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    return figures;
}

// Times every library on one document; samples are interleaved across the
// libraries so that load from elsewhere on the machine hits them alike. Each
// sample parses and writes once before it is timed.
std::vector<Result> measure(const Document &doc, const std::vector<Library *> &libs,
                            const std::vector<double> &heap, int samples) {
    std::vector<Result> results(libs.size());
    std::vector<int> repeat(libs.size(), 1);
    for (std::size_t l = 0; l < libs.size(); ++l) {
        Library *lib = libs[l];
        std::vector<double> probe = in_child(2, [&] {
            lib->prepare(doc);
            double start = cpu_now();
            if (!lib->parse(doc)) return std::vector<double>{-1, 0};
            double once = seconds_since(start);
            double written = double(lib->write());
            lib->release();
            return std::vector<double>{once, written};
        });
        results[l].heap_per_byte = heap[l];
        results[l].ok = !probe.empty() && probe[0] >= 0;
        if (!results[l].ok) continue;
        results[l].written = static_cast<std::size_t>(probe[1]);
        repeat[l] = std::max(1, int(0.05 / std::max(probe[0], 1e-6)));
    }
    std::vector<std::vector<double>> parse_t(libs.size()), fresh_t(libs.size()), write_t(libs.size());
    for (int s = 0; s < samples; ++s) {
        for (std::size_t l = 0; l < libs.size(); ++l) {
            if (!results[l].ok) continue;
            Library *lib = libs[l];
            const int n = repeat[l];
            std::vector<double> t = in_child(6, [&] {
                lib->prepare(doc);
                // Fresh heap: the first parse and release of the process.
                long faults = page_faults();
                double start = cpu_now();
                lib->parse(doc);
                lib->release();
                double fresh = seconds_since(start);
                double fresh_faults = double(page_faults() - faults);
                lib->parse(doc);
                lib->write();
                lib->release();
                settle_heap();
                // Warm heap: memory the last release gave back is reused.
                faults = page_faults();
                start = cpu_now();
                for (int r = 0; r < n; ++r) {
                    lib->parse(doc);
                    lib->release();
                }
                double parse = seconds_since(start) / n;
                double parse_faults = double(page_faults() - faults) / n;
                lib->parse(doc);
                settle_heap();
                faults = page_faults();
                start = cpu_now();
                for (int r = 0; r < n; ++r)
                    lib->write();
                double written = seconds_since(start) / n;
                double write_faults = double(page_faults() - faults) / n;
                lib->release();
                return std::vector<double>{parse, written, fresh, parse_faults, write_faults, fresh_faults};
            });
            if (t.empty()) continue;
            parse_t[l].push_back(t[0]);
            write_t[l].push_back(t[1]);
            fresh_t[l].push_back(t[2]);
            // The most any sample took: one cold run among warm ones shows.
            results[l].parse_faults = std::max(results[l].parse_faults, t[3]);
            results[l].write_faults = std::max(results[l].write_faults, t[4]);
            results[l].fresh_faults = std::max(results[l].fresh_faults, t[5]);
        }
    }
    for (std::size_t l = 0; l < libs.size(); ++l) {
        if (!results[l].ok || parse_t[l].empty()) continue;
        results[l].parse_mbs = doc.text.size() / 1e6 / median(parse_t[l]);
        results[l].fresh_mbs = doc.text.size() / 1e6 / median(fresh_t[l]);
        results[l].write_mbs = doc.text.size() / 1e6 / median(write_t[l]);
    }
    return results;
}

} // namespace

int main(int argc, char **argv) {
    // One processor for every figure: the one this process started on.
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    sched_setaffinity(0, sizeof one, &one);
    // A warm heap for every library: glibc keeps what is released in its
    // heap instead of trimming the top or unmapping large blocks, so a
    // parse after another takes no page fault.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
    void *lib = dlopen(VELK_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        std::fprintf(stderr, "cannot load %s\n", VELK_LIBRARY_FILE);
        return 1;
    }
    Velk velk(lib, "velk_xml");
    if (!velk.ok()) {
        std::fprintf(stderr, "missing exports in %s\n", VELK_LIBRARY_FILE);
        return 1;
    }
    std::vector<Library *> libs = {&velk};
    std::unique_ptr<Velk> base;
    if (argc > 2 && std::string(argv[1]) == "--baseline") {
        // Each copy keeps its thread's cache pointer in the static TLS block;
        // glibc's room for libraries opened later may need to grow for the
        // second (GLIBC_TUNABLES=glibc.rtld.optional_static_tls=2048).
        void *base_lib = dlopen(argv[2], RTLD_NOW | RTLD_LOCAL);
        if (!base_lib) {
            std::fprintf(stderr, "cannot load the baseline: %s\n", dlerror());
            return 1;
        }
        base = std::make_unique<Velk>(base_lib, "velk_base");
        if (!base->ok()) {
            std::fprintf(stderr, "missing exports in the baseline %s\n", argv[2]);
            return 1;
        }
        libs.push_back(base.get());
        argc -= 2;
        argv += 2;
    }
#ifdef HAVE_PUGIXML
    Pugi pugi;
    libs.push_back(&pugi);
#endif
#ifdef HAVE_TINYXML2
    Tiny tiny;
    libs.push_back(&tiny);
#endif
#ifdef HAVE_LIBXML2
    Libxml libxml;
    libs.push_back(&libxml);
#endif
    BlocksAlone blocks(lib, velk);
    if (blocks.ok()) libs.push_back(&blocks);

    std::vector<std::string> files(argv + 1, argv + argc);
    if (files.empty())
        files = {"/usr/share/xml/iso-codes/iso_639-3.xml", "/usr/share/xml/iso-codes/iso_3166-2.xml",
                 "/usr/share/mime/packages/freedesktop.org.xml", "/usr/share/X11/xkb/rules/base.xml"};
    std::vector<Document> docs;
    for (const auto &f : files) {
        std::string text = read_file(f);
        if (text.empty()) {
            std::printf("skipped %s (missing or empty)\n", f.c_str());
            continue;
        }
        docs.push_back({f.substr(f.find_last_of('/') + 1), strip_doctype(text)});
    }
    if (!docs.empty()) {
        std::vector<std::string> texts;
        for (const Document &d : docs)
            texts.push_back(d.text);
        docs.push_back({"the documents above, 5 MB", repeated_documents(texts, 5000000)});
        docs.push_back({"the documents above, 20 MB", repeated_documents(texts, 20000000)});
    }
    docs.push_back({"synthetic records", synthetic_records(20000000)});
    docs.push_back({"synthetic text", synthetic_text(20000000)});
    docs.push_back({"nested 100,000 levels", nested(100000)});

    // Every heap figure first, while no library holds anything.
    std::vector<std::vector<double>> heap(docs.size());
    for (std::size_t d = 0; d < docs.size(); ++d)
        for (Library *l : libs)
            heap[d].push_back(heap_per_byte(l, docs[d]));

    const int samples = 9;
    std::printf("median of %d interleaved samples of CPU time; ratio = velk_xml time / library's time;\n"
                "faults: page faults per timed run (the most of any sample)\n",
                samples);
    for (std::size_t d = 0; d < docs.size(); ++d) {
        const Document &doc = docs[d];
        std::vector<Result> r = measure(doc, libs, heap[d], samples);
        std::printf("\n%s (%zu bytes)\n", doc.name.c_str(), doc.text.size());
        std::printf("  %-9s %9s %6s %7s %9s %6s %7s %9s %6s %7s %8s %10s\n", "library", "warm MB/s", "ratio",
                    "faults", "fresh", "ratio", "faults", "write", "ratio", "faults", "heap B/B", "written");
        for (std::size_t l = 0; l < libs.size(); ++l) {
            if (!r[l].ok) {
                std::printf("  %-9s could not parse the document\n", libs[l]->name());
                continue;
            }
            char parse_ratio[16] = "", fresh_ratio[16] = "", write_ratio[16] = "";
            if (l > 0 && r[0].ok) {
                std::snprintf(parse_ratio, sizeof parse_ratio, "%.2f", r[l].parse_mbs / r[0].parse_mbs);
                std::snprintf(fresh_ratio, sizeof fresh_ratio, "%.2f", r[l].fresh_mbs / r[0].fresh_mbs);
                std::snprintf(write_ratio, sizeof write_ratio, "%.2f", r[l].write_mbs / r[0].write_mbs);
            }
            std::printf("  %-9s %9.1f %6s %7.0f %9.1f %6s %7.0f", libs[l]->name(), r[l].parse_mbs,
                        parse_ratio, r[l].parse_faults, r[l].fresh_mbs, fresh_ratio, r[l].fresh_faults);
            if (!libs[l]->writes())
                std::printf(" %9s %6s %7s %8s %10s\n", "-", "", "-", "-", "-");
            else
                std::printf(" %9.1f %6s %7.0f %8.2f %10zu\n", r[l].write_mbs, write_ratio, r[l].write_faults,
                            r[l].heap_per_byte, r[l].written);
        }
        // The blocks' share, and how they compare with the fastest peer.
        std::size_t b = libs.size() - 1;
        if (libs[b] == &blocks && r[b].ok && r[0].ok) {
            std::printf("  blocks alone: %zu blocks, %.0f%% of velk_xml's parse + free time", r[b].written,
                        100 * r[0].parse_mbs / r[b].parse_mbs);
            for (std::size_t l = 1; l < b; ++l)
                if (r[l].ok && std::string(libs[l]->name()) == "pugixml")
                    std::printf(", %.2f x pugixml's", r[l].parse_mbs / r[b].parse_mbs);
            std::printf("\n");
        }
    }
    return 0;
}
