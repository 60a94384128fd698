// Random edits of a parsed document through api/velk_edit.h and the
// attribute exports: after each, the tree and the creation chain hold the
// same nodes in the same order, with consistent links and depths; the
// edited tree written and parsed back is the same tree (empty texts left
// out and neighbouring texts joined, as the text cannot tell them apart);
// and releasing the document leaves no block behind.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "fuzz_support.h"
#include "velk_edit.h"

using namespace velk_fuzz;

namespace {

// The nodes in tree order, the links checked on the way; the chain must
// hold the same ones in the same order.
std::vector<XmlNode *> sound_nodes(velk_handle doc) {
    std::vector<XmlNode *> tree, pending{VELK_EDIT_NODE(doc)};
    while (!pending.empty()) {
        XmlNode *n = pending.back();
        pending.pop_back();
        tree.push_back(n);
        if (n->nextSibling) {
            require(n->nextSibling->prevSibling == n && n->nextSibling->parent == n->parent);
            pending.push_back(VELK_EDIT_NODE(n->nextSibling));
        }
        if (n->firstChild) {
            require(!n->firstChild->prevSibling && n->firstChild->parent == n);
            require(n->firstChild->depth == n->depth + 1);
            pending.push_back(VELK_EDIT_NODE(n->firstChild));
        }
    }
    std::size_t at = 0;
    for (const XmlNode *n = VELK_XML_NODE(doc); n; n = n->docNext)
        require(at < tree.size() && tree[at++] == n);
    require(at == tree.size());
    return tree;
}

// The tree as its text shows it: empty texts left out, neighbouring texts
// joined.
std::string shown(velk_handle doc) {
    std::string out, text;
    std::vector<const XmlNode *> open;
    auto flush = [&] {
        if (!text.empty()) out += std::string(open.size(), ' ') + "text [" + text + "]\n";
        text.clear();
    };
    for (const XmlNode *n = VELK_XML_NODE(doc); n || !open.empty();) {
        if (!n) {
            flush();
            n = open.back()->nextSibling;
            open.pop_back();
            continue;
        }
        if (n->nodeType == VELK_NODE_TEXT) {
            text += str(n->tag);
        } else {
            flush();
            out += std::string(open.size(), ' ') + std::to_string(n->nodeType) + " d" +
                   std::to_string(n->depth) + " c" + std::to_string(n->closed) + " [" + str(n->tag) + "] {" +
                   str(n->comment) + "}";
            for (const XmlAttrib *a = n->attribs; a; a = a->next)
                out += " " + str(a->name) + "=" + str(a->value);
            out += "\n";
        }
        if (n->firstChild) {
            open.push_back(n);
            n = n->firstChild;
        } else {
            n = n->nextSibling;
        }
    }
    return out;
}

// Texts the edits use: plain bytes and the ones the writer escapes, no line
// ends (which the writer rewrites).
std::string some_text(FuzzedDataProvider &in) {
    static const char kBytes[] = "ab <>&\"'x1";
    std::string text;
    for (std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, 6); n > 0; --n)
        text += kBytes[in.ConsumeIntegralInRange<std::size_t>(0, sizeof kBytes - 2)];
    return text;
}

const char *some_tag(FuzzedDataProvider &in) {
    static const char *const kTags[] = {"a", "b", "item", "x:y"};
    return kTags[in.ConsumeIntegralInRange<std::size_t>(0, 3)];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider in(data, size);
    const long before = live_blocks();
    // A document whose text is the writer's of the second round, from which
    // writing and parsing is a fixed point (xml_roundtrip): its own text
    // reads back as the same tree.
    std::string written = in.ConsumeRandomLengthString(2048);
    for (int round = 0; round < 2 && !written.empty(); ++round) {
        velk_handle read = parse(written);
        written = take(xmlTreeToString(read, 0));
        xmlFree(read);
    }
    velk_handle doc = written.empty() ? 0 : parse(written);
    if (!doc) return 0;
    for (int edits = in.ConsumeIntegralInRange(1, 12); edits > 0 && in.remaining_bytes() > 0; --edits) {
        const std::vector<XmlNode *> nodes = sound_nodes(doc);
        const velk_handle node =
            (velk_handle)nodes[in.ConsumeIntegralInRange<std::size_t>(0, nodes.size() - 1)];
        switch (in.ConsumeIntegralInRange(0, 6)) {
        case 0:
            velk_set_text(node, some_text(in).c_str());
            break;
        case 1:
            if (node != doc) require(velk_remove(node) == VELK_SUCCESS);
            break;
        case 2:
        case 3: {
            const std::string text = some_text(in);
            velk_new_element(node, in.ConsumeIntegralInRange(VELK_BEFORE, VELK_LAST_CHILD), some_tag(in),
                             text.c_str());
            break;
        }
        case 4: {
            VelkAppender appender;
            if (velk_appender_start(&appender, node) == VELK_SUCCESS)
                for (int n = in.ConsumeIntegralInRange(1, 4); n > 0; --n)
                    require(velk_append(&appender, some_tag(in), some_text(in).c_str()) != 0);
            break;
        }
        default:
            if (xmlNodeType(node) == VELK_NODE_ELEMENT)
                xmlzSetAttrib(node, some_tag(in), some_text(in).c_str());
            break;
        }
    }
    sound_nodes(doc);
    const std::string edited = take(xmlTreeToString(doc, 0));
    velk_handle again = parse(edited);
    require(again != 0);
    require(shown(again) == shown(doc));
    xmlFree(again);
    xmlFree(doc);
    require(live_blocks() == before);
    return 0;
}
