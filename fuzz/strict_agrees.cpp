// On arbitrary bytes: where the strict scan finds a text clean, the library's
// parser reads it without error, and its tree holds exactly what the scan
// saw, in document order: each element's tag, attributes (names and values,
// in order) and whether it closed itself, where each element ends,
// instructions with the name="value" pairs of their data, comments, and the
// non-empty texts inside the top-level element. The parser stores values and
// texts with the five entities undone; the scan reports them as written, so
// they are undone here first. The parser's empty texts between tags and its
// texts outside the top-level element have no counterpart in the scan.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "check/strict_scan.h"
#include "fuzz_support.h"

using namespace velk_fuzz;
using velk::xml::XmlAttrib;
using velk::xml::XmlNode;

namespace {

// The five entities undone, one level, as the parser stores them; written
// apart from the library's own unescaping so that this compares the two.
std::string undo_entities(std::string_view s) {
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t taken = 0;
        if (s[i] == '&')
            for (const auto &[entity, c] : kEntities)
                if (s.substr(i, entity.size()) == entity) {
                    out += c;
                    taken = entity.size();
                    break;
                }
        if (taken == 0) out += s[i++];
        i += taken;
    }
    return out;
}

// One line per item: "<tag" or "<?target", " name=value" for each
// attribute, ">" or "/>" ending a start tag, "</tag>", "<!--body-->",
// "text DATA".
using Items = std::vector<std::string>;

class Seen : public velk::check::ScanObserver {
  public:
    Items items;

    void start_tag(std::string_view name) override { items.push_back("<" + std::string(name)); }
    void attribute(std::string_view name, std::string_view value) override {
        items.push_back(" " + std::string(name) + "=" + undo_entities(value));
    }
    void start_tag_end(bool empty) override { items.push_back(empty ? "/>" : ">"); }
    void end_tag(std::string_view name) override { items.push_back("</" + std::string(name) + ">"); }
    void text(std::string_view data) override { items.push_back("text " + undo_entities(data)); }
    void comment(std::string_view body) override { items.push_back("<!--" + std::string(body) + "-->"); }
    void instruction(std::string_view target) override { items.push_back("<?" + std::string(target)); }
};

// The same items from the tree, walked along its creation chain; an element
// ends where the chain reaches a node that is not inside it.
Items in_tree(const XmlNode *first) {
    Items items;
    std::vector<const XmlNode *> open; // elements not ended yet, innermost last
    auto end_open_until = [&](const XmlNode *parent) {
        while (!open.empty() && open.back() != parent) {
            items.push_back("</" + str(open.back()->tag) + ">");
            open.pop_back();
        }
    };
    for (const XmlNode *node = first; node; node = node->docNext) {
        if (node->nodeType == velk::xml::kText && (node->depth == 0 || !node->tag)) continue;
        end_open_until(node->parent);
        switch (node->nodeType) {
        case velk::xml::kElement:
        case velk::xml::kInstruction: // its tag is "?target"
            items.push_back("<" + str(node->tag));
            for (const XmlAttrib *a = node->attribs; a; a = a->next)
                items.push_back(" " + str(a->name) + "=" + str(a->value));
            if (node->nodeType == velk::xml::kElement) {
                items.push_back(node->closed ? "/>" : ">");
                if (!node->closed) open.push_back(node);
            }
            break;
        case velk::xml::kComment:
            items.push_back("<!--" + str(node->comment) + "-->");
            break;
        default:
            items.push_back("text " + str(node->tag));
        }
    }
    end_open_until(nullptr);
    return items;
}

void print_items(const char *title, const Items &items, std::size_t first_difference) {
    std::fprintf(stderr, "%s (%zu items):\n", title, items.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        std::fprintf(stderr, "%s%4zu %s\n", i == first_difference ? "=>" : "  ", i,
                     printable(items[i]).c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string_view text(reinterpret_cast<const char *>(data), size);
    Seen seen;
    if (!velk::check::strict_scan(text, &seen).clean()) return 0;
    velk_handle root = parse(text);
    Items tree = root ? in_tree(velk::xml::as_node(root)) : Items{};
    std::string error = root ? std::string() : take(xmlLastError());
    xmlFree(root);
    if (root && tree == seen.items) return 0;
    std::size_t first_difference = 0;
    while (first_difference < tree.size() && first_difference < seen.items.size() &&
           tree[first_difference] == seen.items[first_difference])
        ++first_difference;
    std::fprintf(stderr, "The strict scan passes a text that the parser reads otherwise.\ntext: %s\n",
                 printable(text).c_str());
    if (!root) std::fprintf(stderr, "the parser fails: %s\n", error.empty() ? "(no node)" : error.c_str());
    print_items("the scan saw", seen.items, first_difference);
    print_items("the tree holds", tree, first_difference);
    std::abort();
}
