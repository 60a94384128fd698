#include "xml/writer.h"

#include <new>
#include <vector>

#include "frame/compiler.h"
#include "xml/comment_body.h"

namespace velk::xml {

namespace {

std::size_t indentation(const XmlNode *node) {
    return node->depth > 0 ? static_cast<std::size_t>(node->depth) : 0;
}

bool has_end_tag(const XmlNode *node) { return node->nodeType == kElement && !node->closed; }

void write_body(TextBuffer &out, const XmlNode *node, bool indent, LineEnds ends) {
    if (!node->tag) return;
    if (indent) out.append_blanks(indentation(node));
    switch (node->nodeType) {
    case kElement:
        out.append("<", 1);
        append_raw(out, node->tag, ends);
        append_attribs(out, node, ends);
        out.append(node->closed ? std::string_view(" />") : std::string_view(">"));
        break;
    case kInstruction:
        out.append("<", 1);
        append_raw(out, node->tag, ends);
        append_attribs(out, node, ends);
        out.append("?>", 2);
        break;
    case kComment:
        // The body as stored: a comment read by the parser is written back
        // exactly as it was.
        if (node->comment) {
            out.append("<!--", 4);
            if (ends == LineEnds::crlf)
                put_comment_body(node->comment, [&](char c) { out.append(&c, 1); });
            else
                append_raw(out, node->comment, ends);
            out.append("-->", 3);
        } else {
            out.append("<!-- -->", 8);
        }
        break;
    default:
        append_clean(out, node->tag, ends);
        break;
    }
    if (indent) out.append("\r\n", 2);
}

void write_end_tag(TextBuffer &out, const XmlNode *node, bool indent) {
    if (indent) out.append_blanks(indentation(node));
    out.append("</", 2);
    append_raw(out, node->tag, LineEnds::crlf);
    out.append(">", 1);
    if (indent) out.append("\r\n", 2);
}

// Visits the node, its subtree and its following siblings in document order,
// as a recursive writer would, with the pending ancestors on a heap stack so
// that depth costs no call stack. enter(node) comes before the children,
// leave(node) after them.
template <class Enter, class Leave> void walk(const XmlNode *node, Enter enter, Leave leave) {
    std::vector<const XmlNode *> open;
    for (;;) {
        while (node) {
            enter(node);
            if (node->firstChild) {
                open.push_back(node);
                node = node->firstChild;
            } else {
                leave(node);
                node = node->nextSibling;
            }
        }
        if (open.empty()) return;
        node = open.back();
        open.pop_back();
        leave(node);
        node = node->nextSibling;
    }
}

// The indentation alone can make the indented text far larger than the tree
// (a document nested a million deep would need about a terabyte), so it is
// summed first and the text refused before any of it is built.
void check_indented_size(const XmlNode *node) {
    std::uint64_t total = 0;
    auto add = [&](std::size_t n) {
        total += n;
        if (total > TextBuffer::kMaxSize) throw std::bad_alloc();
    };
    walk(
        node,
        [&](const XmlNode *n) {
            if (n->tag) add(indentation(n) + 2);
        },
        [&](const XmlNode *n) {
            if (has_end_tag(n)) add(indentation(n) + 2);
        });
}

// A parsed tree is written in the order its nodes were made, so the
// creation chain says which records come next. A runner some nodes ahead on
// the chain asks for each record early, and for the texts and attributes of
// a nearer one, so that records spread over the heap cost one memory wait
// per node instead of several in a row. For nodes on no chain it does
// nothing.
class ChainPrefetch {
  public:
    explicit ChainPrefetch(const XmlNode *node) : near_(node), far_(node) {
        for (int i = 0; i < kFar && far_; ++i)
            far_ = far_->docNext;
        for (int i = 0; i < kNear && near_; ++i)
            near_ = near_->docNext;
    }
    void step() {
        if (far_) {
            far_ = far_->docNext;
            prefetch(far_);
        }
        if (near_) {
            near_ = near_->docNext;
            if (near_) {
                prefetch(near_->tag);
                prefetch(near_->attribs);
            }
        }
    }

  private:
    static constexpr int kNear = 4, kFar = 12;
    const XmlNode *near_, *far_;
};

} // namespace

void append_attribs(TextBuffer &out, const XmlNode *node, LineEnds ends) {
    if (!node) return;
    for (const XmlAttrib *a = node->attribs; a; a = a->next) {
        if (!a->name) continue;
        out.append(" ", 1);
        // The parser unescapes names as it unescapes values, so names are
        // escaped like values: a name holding "<" or a quote would otherwise
        // make text that cannot be read back.
        append_clean(out, a->name, ends);
        char head[2] = {'=', a->quote};
        out.append(head, 2);
        append_clean(out, a->value, ends);
        out.append(&a->quote, 1);
    }
}

void write_node(TextBuffer &out, const XmlNode *node, bool indent) {
    if (node) write_body(out, node, indent, LineEnds::keep);
}

void write_tree(TextBuffer &out, const XmlNode *node, bool indent) {
    if (indent) check_indented_size(node);
    ChainPrefetch ahead(node);
    walk(
        node,
        [&](const XmlNode *n) {
            ahead.step();
            write_body(out, n, indent, LineEnds::crlf);
        },
        [&](const XmlNode *n) {
            if (has_end_tag(n)) write_end_tag(out, n, indent);
        });
}

} // namespace velk::xml
