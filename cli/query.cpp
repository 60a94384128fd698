#include "query.h"

#include <string_view>

#include "velk_strings.h"
#include "xml/comment_body.h"

namespace velkxml {

namespace {

using velk_strings::make_string;
using velk_strings::take_string;

std::string tag_of(velk_handle node) { return take_string(xmlGetTag(node)); }

// The tree writer's line ends for one node's markup: carriage returns
// dropped, line feeds as CR LF; a comment's body as the writer writes it.
void append_tree_text(std::string &out, const std::string &text, bool comment) {
    const std::size_t body_start = comment ? 4 : 0, body_end = comment ? text.size() - 3 : text.size();
    out.append(text, 0, body_start);
    const std::string_view body = std::string_view(text).substr(body_start, body_end - body_start);
    if (comment) {
        velk::xml::put_comment_body(body, [&](char c) { out += c; });
    } else {
        for (const char c : body) {
            if (c == '\n')
                out += "\r\n";
            else if (c != '\r')
                out += c;
        }
    }
    out.append(text, body_end, std::string::npos);
}

// Each line end (CR LF, LF or CR) and tab written as a space.
std::string on_one_line(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue; // one space for CR LF
        out += c == '\r' || c == '\n' || c == '\t' ? ' ' : c;
    }
    return out;
}

} // namespace

Finder::Finder(velk_handle root, std::string tag, std::int32_t depth, std::string attr_name, bool has_value,
               std::string attr_value)
    : root_(root), tag_(std::move(tag)), depth_(depth), attr_name_(std::move(attr_name)),
      has_value_(has_value), attr_value_(std::move(attr_value)), cursor_(root) {}

void Finder::push(velk_handle node) {
    Siblings &s = path_.empty() ? top_ : path_.back().children;
    if (!s.counted) {
        for (velk_handle c = path_.empty() ? root_ : xmlChild(path_.back().node); c; c = xmlNextSibling(c))
            if (xmlNodeType(c) == VELK_NODE_ELEMENT) s.ordinal[c] = ++s.totals[tag_of(c)];
        s.counted = true;
    }
    std::string tag = tag_of(node);
    const int ordinal = s.ordinal[node];
    std::string label = s.totals[tag] > 1 ? tag + "[" + std::to_string(ordinal) + "]" : tag;
    path_.push_back({node, std::move(label), {}});
}

bool Finder::wanted(velk_handle node) const {
    return attr_name_.empty() || xmlAttribExists(node, make_string(attr_name_));
}

void Finder::step_past_last() {
    // Its subtree first, then what follows it.
    cursor_ = xmlChild(last_);
    if (!cursor_) {
        cursor_ = xmlNextSibling(last_);
        path_.pop_back();
    }
    last_ = 0;
}

velk_handle Finder::next() {
    if (last_) step_past_last();
    for (;;) {
        if (!cursor_) {
            // This sibling chain is done: on after its parent.
            if (path_.empty()) return 0;
            cursor_ = xmlNextSibling(path_.back().node);
            path_.pop_back();
            continue;
        }
        // The library treats an empty attribute name as no condition, and a
        // value "" as also met by an element without the attribute; wanted()
        // asks for the attribute itself.
        velk_handle match = xmlFindNodeRecursive(cursor_, depth_, make_string(tag_),
                                                 make_string(has_value_ ? attr_name_ : ""),
                                                 make_string(has_value_ ? attr_value_ : ""));
        if (!match) {
            cursor_ = 0;
            continue;
        }
        velk_handle chain_parent = path_.empty() ? 0 : path_.back().node;
        std::vector<velk_handle> between;
        for (velk_handle x = xmlParent(match); x && x != chain_parent; x = xmlParent(x))
            between.push_back(x);
        for (auto it = between.rbegin(); it != between.rend(); ++it)
            push(*it);
        push(match);
        last_ = match;
        if (wanted(match)) return match;
        step_past_last();
    }
}

std::string Finder::path() const {
    std::string out;
    for (const Step &s : path_)
        out += "/" + s.label;
    return out;
}

std::string compact_subtree(velk_handle node) {
    std::string out;
    // Elements entered, each with whether it has an end tag still to come.
    std::vector<std::pair<velk_handle, bool>> open;
    velk_handle n = node;
    for (;;) {
        std::string text = take_string(xmlNodeToString(n, 0));
        std::int32_t type = xmlNodeType(n);
        append_tree_text(out, text, type == VELK_NODE_COMMENT && text.size() >= 7);
        // An element written without " />" has an end tag.
        bool has_end =
            type == VELK_NODE_ELEMENT && !(text.size() >= 3 && text.compare(text.size() - 3, 3, " />") == 0);
        if (velk_handle child = xmlChild(n)) {
            open.emplace_back(n, has_end);
            n = child;
            continue;
        }
        if (has_end) out += "</" + tag_of(n) + ">";
        for (;;) {
            if (n == node) return out;
            if (velk_handle sibling = xmlNextSibling(n)) {
                n = sibling;
                break;
            }
            n = open.back().first;
            if (open.back().second) out += "</" + tag_of(n) + ">";
            open.pop_back();
        }
    }
}

std::string one_line_text(velk_handle node) {
    std::string text = take_string(xmlChildData(node));
    const char *blank = " \t\r\n";
    std::size_t first = text.find_first_not_of(blank);
    if (first == std::string::npos) return "";
    std::size_t last = text.find_last_not_of(blank);
    return on_one_line(std::string_view(text).substr(first, last + 1 - first));
}

std::string one_line_attribute(velk_handle node, const std::string &name) {
    return on_one_line(take_string(xmlAttribValue(node, make_string(name))));
}

} // namespace velkxml
