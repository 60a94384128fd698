// The XML conformance suite's XML 1.0 documents that need no external entity
// (catalog.h), each through the strict scan: every document that is not
// well-formed is refused; every well-formed one (the suite's valid and
// invalid documents) is clean, or refused by one of the library's limits
// (a limit finding), never as a fault. The scan holds documents to the rules
// of namespaces too, so the suite's namespace cases count like the others.
// Counted apart, by ID: not-wf cases about older editions' names that pass
// (the fifth edition allows more in names), and well-formed documents meant
// for processors without namespaces that the namespace rules refuse. The
// suite comes from the fixture w3c_suite_fetch, unpacked to VELK_W3C_SUITE.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "catalog.h"
#include "check/strict_scan.h"

using namespace velk_w3c;

namespace {

bool read_bytes(const std::string &path, std::string *bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::string describe(const velk::check::Finding &finding) {
    std::string where = finding.placed ? "byte " + std::to_string(finding.offset) : "whole text";
    return where + (finding.limit ? " (limit): " : ": ") + finding.text;
}

struct SuiteRun {
    std::string error; // the catalog could not be read
    int not_wf = 0, valid = 0, invalid = 0;
    int not_wf_refused = 0, not_wf_limits = 0; // refused; by limit findings alone
    int wf_passed = 0, wf_limits = 0;
    std::vector<std::string> not_wf_passed;      // "ID FILE"
    std::vector<std::string> older_names;        // IDs, passed
    std::vector<std::string> without_namespaces; // IDs, well-formed, refused
    std::vector<std::string> wf_faults;          // "ID FILE: FIRST FINDING"
    std::vector<std::string> unreadable;         // "ID FILE"
};

void print_ids(const char *title, const std::vector<std::string> &ids) {
    if (ids.empty()) return;
    std::printf("%s:", title);
    for (const std::string &id : ids)
        std::printf(" %s", id.c_str());
    std::printf("\n");
}

SuiteRun run_suite() {
    SuiteRun run;
    const std::string suite = VELK_W3C_SUITE;
    const std::string catalog = suite + "/cleaned/xmlconf-flattened.xml";
    std::string text;
    std::vector<CatalogEntry> entries;
    std::vector<SuiteCase> cases;
    if (!read_bytes(catalog, &text)) {
        run.error =
            "cannot read " + catalog + " (the fixture w3c_suite_fetch unpacks it; ctest runs it first)";
        return run;
    }
    if (!read_catalog(text, &entries, &run.error) || !xml10_cases(entries, &cases, &run.error)) return run;
    for (const SuiteCase &c : cases) {
        const std::string name = c.id + " " + c.file;
        std::string bytes;
        if (!read_bytes(suite + "/xmlconf/" + c.file, &bytes)) {
            run.unreadable.push_back(name);
            continue;
        }
        const velk::check::StrictReport report = velk::check::strict_scan(bytes);
        bool fault = false, limit = false;
        for (const velk::check::Finding &f : report.findings)
            (f.limit ? limit : fault) = true;
        if (c.type == "not-wf") {
            ++run.not_wf;
            if (!report.clean()) {
                ++run.not_wf_refused;
                if (!fault) ++run.not_wf_limits;
            } else if (!c.fifth_edition) {
                run.older_names.push_back(c.id);
            } else {
                run.not_wf_passed.push_back(name);
            }
            continue;
        }
        ++(c.type == "valid" ? run.valid : run.invalid);
        if (report.clean())
            ++run.wf_passed;
        else if (limit)
            ++run.wf_limits;
        else if (!c.namespace_aware)
            run.without_namespaces.push_back(c.id);
        else
            run.wf_faults.push_back(name + ": " + describe(report.findings.front()));
    }
    std::printf("XML conformance suite: not well-formed %d: %d refused (%d by limits alone), %zu passed, "
                "%zu passed that only older editions' names refuse; well-formed %d: %d passed, %d refused by "
                "limits, %zu refused as faults, %zu meant for processors without namespaces refused by their "
                "rules\n",
                run.not_wf, run.not_wf_refused, run.not_wf_limits, run.not_wf_passed.size(),
                run.older_names.size(), run.valid + run.invalid, run.wf_passed, run.wf_limits,
                run.wf_faults.size(), run.without_namespaces.size());
    print_ids("Passed, not well-formed by older editions' names only", run.older_names);
    print_ids("Well-formed without namespaces, refused by their rules", run.without_namespaces);
    return run;
}

std::string lines(const std::vector<std::string> &items) {
    std::string out;
    for (const std::string &item : items)
        out += "  " + item + "\n";
    return out;
}

} // namespace

// The counts pin the catalog reading (nested bases, comments) and the
// selection to the pinned package; every selected document then has the
// verdict its type asks for.
TEST(XmlConformance, HoldsTheXml10DocumentsWithoutExternalEntitiesToTheirVerdicts) {
    const SuiteRun run = run_suite();
    ASSERT_EQ(run.error, "");
    EXPECT_EQ(run.not_wf, 1260);
    EXPECT_EQ(run.valid, 601);
    EXPECT_EQ(run.invalid, 175);
    EXPECT_TRUE(run.unreadable.empty()) << "cases whose file cannot be read:\n" << lines(run.unreadable);
    EXPECT_TRUE(run.not_wf_passed.empty())
        << run.not_wf_passed.size() << " not well-formed documents passed:\n"
        << lines(run.not_wf_passed);
    EXPECT_TRUE(run.wf_faults.empty())
        << run.wf_faults.size() << " well-formed documents refused as faults (first finding):\n"
        << lines(run.wf_faults);
}
