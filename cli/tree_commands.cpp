// velkxml's commands over a document's tree: select by path, the paths of its
// elements, and edits written back whole.
#include <map>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "check/xml_chars.h"
#include "element_paths.h"
#include "help.h"
#include "path_query.h"
#include "query.h"
#include "scan_report.h"
#include "temp_file.h"
#include "tool_class.h"
#include "velk_edit.h"
#include "velk_strings.h"

namespace velkxml {

namespace {

// A selected node as XML: an element with its subtree, an attribute as
// name="value", a text escaped, the document root as the whole document.
std::string as_xml(const Selected &s, const Document &doc) {
    if (s.root) return library_text(doc, 0);
    if (s.attrib)
        return std::string(s.attrib->name ? s.attrib->name : "") + "=\"" +
               xmlzClean(s.attrib->value ? s.attrib->value : "") + "\"";
    if (s.node->nodeType == VELK_NODE_ELEMENT) return compact_subtree(reinterpret_cast<velk_handle>(s.node));
    return xmlzClean(s.node->tag ? s.node->tag : "");
}

// The prefixes bound with -N PREFIX=URI; "" or what is wrong with one.
std::string read_namespaces(const Arguments &a, std::map<std::string, std::string> &namespaces) {
    for (const auto &[name, value] : a.options) {
        if (name != "-N") continue;
        const std::size_t equals = value.find('=');
        if (equals == std::string::npos || equals == 0) return "-N needs PREFIX=URI, not '" + value + "'";
        namespaces[value.substr(0, equals)] = value.substr(equals + 1);
    }
    return "";
}

// One change of an edit, as the command line gives it.
struct Change {
    enum class Kind { update, insert, insert_before, insert_after, remove };
    Kind kind;
    std::string option, path, element, attr, value;
    bool has_value = false;
    PathQuery query;
};

const std::map<std::string, Change::Kind> kChangeOptions = {
    {"--update", Change::Kind::update},
    {"--insert", Change::Kind::insert},
    {"--insert-before", Change::Kind::insert_before},
    {"--insert-after", Change::Kind::insert_after},
    {"--delete", Change::Kind::remove},
};

// The changes in the order given, each option after a path belonging to it;
// "" or what is wrong with them.
std::string read_changes(const Arguments &a, const std::map<std::string, std::string> &namespaces,
                         std::vector<Change> &changes) {
    for (const auto &[name, value] : a.options) {
        if (auto kind = kChangeOptions.find(name); kind != kChangeOptions.end()) {
            changes.push_back({kind->second, name, value, "", "", "", false, {}});
            std::string error;
            if (!changes.back().query.compile(value, namespaces, &error) || changes.back().query.counts())
                return name + " '" + value + "': " + (error.empty() ? "count() selects no node" : error);
            continue;
        }
        if (name == "-N" || name == "--in-place") continue;
        if (changes.empty()) return name + " belongs after --update, --insert or --delete PATH";
        Change &c = changes.back();
        if (name == "--value") {
            c.value = value;
            c.has_value = true;
        } else {
            (name == "--element" ? c.element : c.attr) = value;
        }
    }
    if (changes.empty()) return "no change given";
    for (const Change &c : changes) {
        const bool inserts = c.kind != Change::Kind::update && c.kind != Change::Kind::remove;
        if (c.kind == Change::Kind::update && !c.has_value) return c.option + " needs --value";
        if (!inserts && (!c.element.empty() || !c.attr.empty()))
            return c.option + " takes no --element or --attr";
        if (c.kind == Change::Kind::remove && c.has_value) return "--delete takes no --value";
        if (inserts && c.element.empty() == c.attr.empty())
            return c.option + " needs --element NAME or --attr NAME";
        if (!c.attr.empty() && c.kind != Change::Kind::insert) return "--attr goes with --insert";
        if (!c.attr.empty() && !c.has_value) return "--insert --attr needs --value";
        for (const std::string *name : {&c.element, &c.attr})
            if (!name->empty() && !velk::check::chars::is_name(*name))
                return "'" + *name + "' is not an XML name";
    }
    return "";
}

// The creation chain's order of a document's nodes (velk_records.h: docNext),
// which is document order, and each node's subtree as a range of it.
class ChainOrder {
  public:
    explicit ChainOrder(velk_handle doc) {
        std::size_t i = 0;
        for (const XmlNode *n = VELK_XML_NODE(doc); n; n = n->docNext)
            index_[n] = i++;
    }
    std::size_t of(const XmlNode *n) const { return index_.at(n); }
    // The last node of n's subtree.
    std::size_t subtree_end(const XmlNode *n) const {
        return of(velk_edit_run_end(const_cast<XmlNode *>(n)));
    }

  private:
    std::unordered_map<const XmlNode *, std::size_t> index_;
};

// Applies one change to every node its path selects; "" or why it cannot.
std::string apply(const Change &c, velk_handle doc) {
    const std::vector<Selected> selected = c.query.select(doc);
    const auto handle = [](const XmlNode *n) { return reinterpret_cast<velk_handle>(n); };
    const std::string of = c.option + " '" + c.path + "': ";
    if (selected.empty()) return of + "selects nothing";
    if (c.kind == Change::Kind::remove) {
        // In document order: what lies inside a node already removed went with it.
        const ChainOrder order(doc);
        std::size_t removed_from = 1, removed_to = 0;
        for (const Selected &s : selected) {
            if (s.root) return of + "cannot delete the document root";
            const std::size_t at = order.of(s.node);
            if (at >= removed_from && at <= removed_to) continue;
            if (s.attrib) {
                velk_remove_attrib(handle(s.node), s.attrib->name);
                continue;
            }
            removed_from = at;
            removed_to = order.subtree_end(s.node);
            if (!velk_remove(handle(s.node))) return of + "cannot delete the document's first node";
        }
        return "";
    }
    // In document order: what lies inside an element whose children an
    // update replaced went with them.
    const ChainOrder order(doc);
    std::size_t replaced_from = 1, replaced_to = 0;
    for (const Selected &s : selected) {
        if (s.root) return of + "selects the document root, not an element";
        const std::size_t at = order.of(s.node);
        if (at > replaced_from && at <= replaced_to) continue;
        const velk_handle node = handle(s.node);
        const bool element = s.node->nodeType == VELK_NODE_ELEMENT && !s.attrib;
        switch (c.kind) {
        case Change::Kind::update:
            if (s.attrib) {
                if (!xmlzSetAttrib(node, s.attrib->name, c.value.c_str())) return of + xmlzLastError();
            } else if (!element) {
                return of + "selects a text node: update its element";
            } else {
                // The new text takes the place of everything the element held.
                replaced_from = at;
                replaced_to = order.subtree_end(s.node);
                while (s.node->firstChild)
                    if (!velk_remove(handle(s.node->firstChild))) return of + "cannot change this element";
                if (!velk_set_text(node, c.value.c_str())) return of + "out of memory";
            }
            break;
        case Change::Kind::insert:
            if (!element) return of + "selects no element to insert into";
            if (!c.attr.empty()) {
                if (!xmlzSetAttrib(node, c.attr.c_str(), c.value.c_str())) return of + xmlzLastError();
            } else if (!velk_new_element(node, VELK_LAST_CHILD, c.element.c_str(), c.value.c_str())) {
                return of + "cannot insert here";
            }
            break;
        default:
            if (s.attrib) return of + "selects an attribute: insert beside its element";
            if (!velk_new_element(node, c.kind == Change::Kind::insert_before ? VELK_BEFORE : VELK_AFTER,
                                  c.element.c_str(), c.value.c_str()))
                return of + "cannot insert here";
        }
    }
    return "";
}

} // namespace

int Tool::select(const std::vector<std::string> &args) {
    Arguments a = sort_arguments(args, {"--xml"}, {{"-N", "PREFIX=URI"}});
    if (int done = answered(a, "select", kSelectHelp, kWarningHelp); done >= 0) return done;
    if (a.operands.size() < 2)
        return usage_error("select", a.operands.empty() ? "no PATH given" : "no FILE given");
    std::map<std::string, std::string> namespaces;
    if (std::string wrong = read_namespaces(a, namespaces); !wrong.empty())
        return usage_error("select", wrong);
    PathQuery query;
    std::string error;
    if (!query.compile(a.operands[0], namespaces, &error))
        return usage_error("select", "'" + a.operands[0] + "': " + error);
    const bool as_xml_nodes = a.has("--xml");
    int status = kOk;
    bool matched = false;
    for (std::size_t f = 1; f < a.operands.size(); ++f) {
        Document doc(io_.in);
        if (!load_shown(doc, a.operands[f])) {
            report("velkxml: " + doc.failure());
            status = kFailed;
            continue;
        }
        if (query.counts()) {
            matched = true;
            out(std::to_string(query.count(doc.root())) + "\n");
            continue;
        }
        const std::vector<Selected> selected = query.select(doc.root());
        matched = matched || !selected.empty();
        std::string lines;
        if (as_xml_nodes) {
            for (const Selected &s : selected)
                lines += platform_lines(as_xml(s, doc)) + "\n";
        } else {
            for (const std::string &value : string_values(doc.root(), selected))
                lines += value + "\n";
        }
        out(lines);
    }
    return status != kOk ? status : matched ? kOk : kFailed;
}

int Tool::paths(const std::vector<std::string> &args) {
    Arguments a = sort_arguments(args, {});
    if (int done = answered(a, "paths", kPathsHelp, kWarningHelp); done >= 0) return done;
    if (a.operands.size() != 1)
        return usage_error("paths", a.operands.empty() ? "no file given" : "one file at a time");
    Document doc(io_.in);
    if (!load_shown(doc, a.operands[0])) return failure(doc.failure());
    std::vector<std::pair<std::string, std::size_t>> found;
    try {
        found = element_paths(doc.root());
    } catch (const std::length_error &) {
        return failure(a.operands[0] + ": cannot make the paths: they would pass 4 GiB");
    }
    std::string lines;
    for (const auto &[path, count] : found)
        lines += path + "\t" + std::to_string(count) + "\n";
    out(lines);
    return kOk;
}

int Tool::edit(const std::vector<std::string> &args) {
    Arguments a = sort_arguments(args, {"--in-place"},
                                 {{"-N", "PREFIX=URI"},
                                  {"--update", "PATH"},
                                  {"--insert", "PATH"},
                                  {"--insert-before", "PATH"},
                                  {"--insert-after", "PATH"},
                                  {"--delete", "PATH"},
                                  {"--element", "NAME"},
                                  {"--attr", "NAME"},
                                  {"--value", "TEXT"}});
    if (int done = answered(a, "edit", kEditHelp); done >= 0) return done;
    if (a.operands.size() != 1)
        return usage_error("edit", a.operands.empty() ? "no file given" : "one file at a time");
    const std::string &file = a.operands[0];
    const bool in_place = a.has("--in-place");
    if (in_place && file == kStdinName)
        return usage_error("edit", "--in-place needs a file, not standard input");
    std::map<std::string, std::string> namespaces;
    if (std::string wrong = read_namespaces(a, namespaces); !wrong.empty()) return usage_error("edit", wrong);
    std::vector<Change> changes;
    if (std::string wrong = read_changes(a, namespaces, changes); !wrong.empty())
        return usage_error("edit", wrong);
    // Only what the library reads as written is edited: anything else would
    // be changed by the writing too.
    Document doc(io_.in);
    if (!doc.read(file)) return failure(doc.failure());
    const StrictReport found = doc.scan(false);
    if (!found.clean()) {
        for (const std::string &line : finding_lines(file, doc.file_text(), found))
            report(line);
        report("velkxml: " + file + ": not edited: the library would not write it back as it is");
        return found.only_limits() ? kNotRead : kFailed;
    }
    if (!doc.parse(file)) return failure(doc.failure());
    for (const Change &c : changes)
        if (std::string why = apply(c, doc.root()); !why.empty()) return failure(file + ": " + why);
    std::string text = library_text(doc, 0);
    if (text.empty())
        return failure(file + ": cannot make the document's text: it would pass 4 GiB or the memory at hand");
    // What is written must pass the check as the file did (names, one
    // top-level element ...).
    std::string checked = text;
    const bool aside = set_doctype_aside(checked).found(); // before the scan takes the text
    const StrictReport written_found = velk::check::strict_scan(checked, nullptr, {aside});
    for (const velk::check::Finding &f : written_found.findings)
        if (!f.limit)
            return failure(file + ": not edited: the changes would make it XML that is not well-formed (" +
                           f.text + ")");
    // The library writes CR LF line ends: kept for a file that has them,
    // the platform's own otherwise.
    text += "\r\n";
    if (doc.file_text().find("\r\n") == std::string::npos) text = platform_lines(std::move(text));
    if (!in_place) {
        out(text);
        return kOk;
    }
    TempFile written;
    std::string error;
    if (!written.create_beside(file, text, error) || !written.replace(file, error))
        return failure(file + ": cannot write: " + error);
    return kOk;
}

} // namespace velkxml
