#include "pretty_print.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

#include "velk_records.h"
#include "velk_strings.h"

namespace velkxml {

namespace {

using velk_strings::take_string;

bool is_blank_text(const XmlNode *node) {
    if (node->nodeType != VELK_NODE_TEXT) return false;
    return !node->tag || node->tag[std::strspn(node->tag, " \t\r\n")] == '\0';
}

bool has_end_tag(const XmlNode *node) { return node->nodeType == VELK_NODE_ELEMENT && !node->closed; }

// Whether a chain of children goes on lines of its own: some of them are not
// text, and the text among them is white space only. Otherwise (text alone,
// or text beside other nodes) the chain stays on its parent's line as it is.
bool on_lines(const XmlNode *first) {
    bool other = false;
    for (const XmlNode *n = first; n; n = n->nextSibling) {
        if (n->nodeType != VELK_NODE_TEXT)
            other = true;
        else if (!is_blank_text(n))
            return false;
    }
    return other;
}

// Walks the nodes from first on in document order, with the open ones on a
// heap stack so that depth costs no call stack, and hands the layout to a
// sink: line(level) starts a line indented by level, node(n) writes a node's
// markup, end(n) an element's end tag.
template <class Sink> void lay_out(const XmlNode *first, Sink &sink) {
    struct Open {
        const XmlNode *node; // null: the top level
        std::size_t level;   // the level of its children
        bool lines;          // its children on lines of their own
    };
    std::vector<Open> open{{nullptr, 0, on_lines(first)}};
    const XmlNode *n = first;
    for (;;) {
        if (!n) {
            // The children of open.back() are all written.
            const Open done = open.back();
            open.pop_back();
            if (!done.node) return;
            if (has_end_tag(done.node)) {
                if (done.lines) sink.line(done.level - 1);
                sink.end(done.node);
            }
            n = done.node->nextSibling;
            continue;
        }
        const Open parent = open.back();
        if (parent.lines) {
            if (is_blank_text(n)) {
                n = n->nextSibling;
                continue;
            }
            sink.line(parent.level);
        }
        sink.node(n);
        if (n->firstChild) {
            open.push_back({n, parent.level + 1, parent.lines && on_lines(n->firstChild)});
            n = n->firstChild;
        } else {
            if (has_end_tag(n)) sink.end(n);
            n = n->nextSibling;
        }
    }
}

// Sums the indentation, and refuses a layout whose indentation alone would
// pass kMaxIndentation before any of it is written.
class Measure {
  public:
    explicit Measure(std::size_t unit) : unit_(unit) {}
    void line(std::size_t level) {
        total_ += static_cast<std::uint64_t>(level) * unit_;
        if (total_ > kMaxIndentation)
            throw std::length_error("the indentation would pass " + std::to_string(kMaxIndentation) +
                                    " bytes");
    }
    void node(const XmlNode *) {}
    void end(const XmlNode *) {}

  private:
    std::uint64_t unit_;
    std::uint64_t total_ = 0;
};

// Writes the text. A line is ended when the next one starts, or at the end.
class Writer {
  public:
    Writer(char blank, std::size_t unit) : blank_(blank), unit_(unit) {}
    void line(std::size_t level) {
        if (!out_.empty()) out_ += '\n';
        out_.append(level * unit_, blank_);
    }
    void node(const XmlNode *n) {
        // Every node with a tag has markup: none means memory ran out.
        const std::string markup =
            take_string(xmlNodeToString(reinterpret_cast<velk_handle>(n), VELK_COMPACT));
        if (markup.empty() && n->tag) throw std::bad_alloc();
        out_ += markup;
    }
    void end(const XmlNode *n) {
        out_ += "</";
        if (n->tag) out_ += n->tag;
        out_ += '>';
    }
    std::string finish() {
        if (!out_.empty()) out_ += '\n';
        return std::move(out_);
    }

  private:
    char blank_;
    std::size_t unit_;
    std::string out_;
};

} // namespace

std::string pretty_print(velk_handle document, const PrettyOptions &options) {
    const XmlNode *first = VELK_XML_NODE(document);
    const std::size_t unit = options.tab ? 1 : static_cast<std::size_t>(std::max(options.indent, 0));
    Measure measure(unit);
    lay_out(first, measure);
    Writer writer(options.tab ? '\t' : ' ', unit);
    lay_out(first, writer);
    return writer.finish();
}

} // namespace velkxml
