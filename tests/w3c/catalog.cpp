#include "catalog.h"

namespace velk_w3c {

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool fail(std::string *error, std::size_t offset, std::string_view what) {
    *error = "catalog, byte " + std::to_string(offset) + ": " + std::string(what);
    return false;
}

// Reads the attributes of a start tag from i, just behind its name, through
// its end; i ends behind the ">". *empty tells "/>" from ">".
bool read_attributes(std::string_view t, std::size_t &i,
                     std::vector<std::pair<std::string, std::string>> &out, bool *empty) {
    auto skip_blanks = [&] {
        while (i < t.size() && is_blank(t[i]))
            ++i;
    };
    for (;;) {
        skip_blanks();
        if (i >= t.size()) return false;
        if (t[i] == '>' || t.compare(i, 2, "/>") == 0) {
            *empty = t[i] == '/';
            i += *empty ? 2 : 1;
            return true;
        }
        std::size_t name_start = i;
        while (i < t.size() && !is_blank(t[i]) && t[i] != '=' && t[i] != '>' && t[i] != '/')
            ++i;
        std::string_view name = t.substr(name_start, i - name_start);
        skip_blanks();
        if (name.empty() || i >= t.size() || t[i] != '=') return false;
        ++i;
        skip_blanks();
        if (i >= t.size() || (t[i] != '"' && t[i] != '\'')) return false;
        std::size_t end = t.find(t[i], i + 1);
        if (end == npos) return false;
        out.emplace_back(name, t.substr(i + 1, end - i - 1));
        i = end + 1;
    }
}

// A relative reference resolved against a base: the base up to its last "/"
// and the reference behind it. (The catalog's bases are relative paths.)
std::string resolve(const std::string &base, std::string_view reference) {
    if (reference.empty()) return base;
    return base.substr(0, base.rfind('/') + 1) + std::string(reference);
}

} // namespace

const std::string *CatalogEntry::attribute(std::string_view name) const {
    for (const auto &[key, value] : attributes)
        if (key == name) return &value;
    return nullptr;
}

bool read_catalog(std::string_view text, std::vector<CatalogEntry> *entries, std::string *error) {
    std::vector<std::string> bases; // of the TESTCASES open here, innermost last
    std::size_t i = 0;
    while ((i = text.find('<', i)) != npos) {
        std::size_t at = i;
        if (text.compare(i, 4, "<!--") == 0) {
            std::size_t end = text.find("-->", i + 4);
            if (end == npos) return fail(error, at, "a comment is not finished");
            i = end + 3;
            continue;
        }
        std::size_t name_end = i + 1 < text.size() && text[i + 1] == '/' ? i + 2 : i + 1;
        while (name_end < text.size() && !is_blank(text[name_end]) && text[name_end] != '>' &&
               text[name_end] != '/')
            ++name_end;
        std::string_view name = text.substr(i + 1, name_end - i - 1);
        i = name_end;
        if (name == "/TESTCASES") {
            while (i < text.size() && is_blank(text[i]))
                ++i;
            if (i >= text.size() || text[i] != '>')
                return fail(error, at, "a TESTCASES end tag is not finished");
            if (bases.empty()) return fail(error, at, "a TESTCASES end tag closes none");
            bases.pop_back();
            ++i;
        } else if (name == "TESTCASES" || name == "TEST") {
            CatalogEntry entry;
            bool empty = false;
            if (!read_attributes(text, i, entry.attributes, &empty))
                return fail(error, at, "a " + std::string(name) + " start tag is not finished");
            std::string base = bases.empty() ? std::string() : bases.back();
            if (name == "TEST") {
                entry.offset = at;
                entry.base = std::move(base);
                entries->push_back(std::move(entry));
            } else if (!empty) {
                const std::string *reference = entry.attribute("xml:base");
                bases.push_back(resolve(base, reference ? *reference : std::string_view()));
            }
        }
    }
    if (!bases.empty())
        return fail(error, text.size(), std::to_string(bases.size()) + " TESTCASES not closed");
    return true;
}

bool xml10_cases(const std::vector<CatalogEntry> &entries, std::vector<SuiteCase> *cases,
                 std::string *error) {
    for (const CatalogEntry &entry : entries) {
        const std::string *id = entry.attribute("ID"), *type = entry.attribute("TYPE"),
                          *uri = entry.attribute("URI");
        if (!id || !type || !uri) return fail(error, entry.offset, "a TEST without ID, TYPE or URI");
        if (*type != "not-wf" && *type != "valid" && *type != "invalid") continue;
        const std::string *version = entry.attribute("VERSION");
        if (version && *version != "1.0") continue;
        const std::string *recommendation = entry.attribute("RECOMMENDATION");
        if (recommendation && (*recommendation == "XML1.1" || *recommendation == "NS1.1")) continue;
        const std::string *entities = entry.attribute("ENTITIES");
        if (entities && *entities != "none") continue;
        const std::string *edition = entry.attribute("EDITION");
        const std::string *namespaces = entry.attribute("NAMESPACE");
        cases->push_back({*id, *type, resolve(entry.base, *uri), !edition || edition->find('5') != npos,
                          !namespaces || *namespaces != "no"});
    }
    return true;
}

} // namespace velk_w3c
