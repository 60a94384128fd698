#include "path_query.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace velkxml {

namespace {

using NameTest = PathQuery::NameTest;
using Condition = PathQuery::Condition;
using Predicate = PathQuery::Predicate;
using Step = PathQuery::Step;

constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";

// ---- The path's text

bool is_name_start(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u >= 0x80;
}

bool is_name_char(char c) { return is_name_start(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Tokens of XPath that the subset leaves out, longest first.
constexpr std::string_view kOperators[] = {"!=", "<=", ">=", "=", "<", ">", "+", "-", "|", "*", ","};

class Parser {
  public:
    Parser(std::string_view text, const std::map<std::string, std::string> &namespaces)
        : s_(text), namespaces_(namespaces) {}

    bool expression(bool *counts, std::vector<Step> *steps, bool *uses_namespaces);
    const std::string &error() const { return error_; }

  private:
    bool path();
    bool step();
    bool predicates(Step *step);
    bool predicate(Predicate *p);
    bool position_alone(std::size_t at);
    bool condition(Condition *c);
    bool node_test(Step *step, bool in_predicate);
    bool name_test(NameTest *test);
    bool literal(std::string *value);

    void blanks() {
        while (i_ < s_.size() && is_blank(s_[i_]))
            ++i_;
    }
    bool at(std::string_view token) const { return s_.substr(i_, token.size()) == token; }
    bool at_end() const { return i_ == s_.size(); }
    std::string_view name_at(std::size_t from) const {
        std::size_t end = from;
        if (end < s_.size() && is_name_start(s_[end]))
            while (end < s_.size() && is_name_char(s_[end]))
                ++end;
        return s_.substr(from, end - from);
    }
    // Past the blanks from `from`: whether `token` is there.
    bool followed_by(std::size_t from, std::string_view token) const {
        while (from < s_.size() && is_blank(s_[from]))
            ++from;
        return s_.substr(from, token.size()) == token;
    }
    bool fail(std::size_t at, const std::string &message);
    bool refuse(std::size_t at, const std::string &expected);

    std::string_view s_;
    const std::map<std::string, std::string> &namespaces_;
    std::size_t i_ = 0;
    std::vector<Step> *steps_ = nullptr;
    bool uses_namespaces_ = false;
    std::string error_;
};

bool Parser::fail(std::size_t at, const std::string &message) {
    // Characters, not bytes: UTF-8 continuation bytes do not count.
    std::size_t position = 1;
    for (std::size_t k = 0; k < at; ++k)
        position += (static_cast<unsigned char>(s_[k]) & 0xC0) != 0x80;
    error_ = "position " + std::to_string(position) + ": " + message;
    return false;
}

// What stands at `at` where `expected` was wanted: the constructs of XPath
// that the subset leaves out are named as such.
bool Parser::refuse(std::size_t at, const std::string &expected) {
    if (at == s_.size()) return fail(at, expected);
    const char c = s_[at];
    if (c == '(') return fail(at, "parentheses are not supported");
    if (c == '$') return fail(at, "variables are not supported");
    if (c == '\'' || c == '"') return fail(at, "a string is not supported here");
    if (is_digit(c)) return fail(at, "a number is not supported here");
    for (std::string_view op : kOperators)
        if (s_.substr(at, op.size()) == op) return fail(at, "'" + std::string(op) + "' is not supported");
    std::string_view word = name_at(at);
    if (word == "and" || word == "or" || word == "div" || word == "mod")
        return fail(at, "'" + std::string(word) + "' is not supported here");
    if (word.empty()) {
        // One character, all of its UTF-8 bytes.
        std::size_t end = at + 1;
        while (end < s_.size() && (static_cast<unsigned char>(s_[end]) & 0xC0) == 0x80)
            ++end;
        word = s_.substr(at, end - at);
    }
    return fail(at, "unexpected '" + std::string(word) + "': " + expected);
}

bool Parser::expression(bool *counts, std::vector<Step> *steps, bool *uses_namespaces) {
    steps_ = steps;
    blanks();
    if (at_end()) return fail(i_, "the path is empty");
    *counts = name_at(i_) == "count" && followed_by(i_ + 5, "(");
    if (*counts) {
        i_ = s_.find('(', i_) + 1;
        if (!path()) return false;
        blanks();
        if (!at(")")) return refuse(i_, "')' is expected");
        ++i_;
    } else if (!path()) {
        return false;
    }
    blanks();
    // After count(...) nothing may follow; after a path, a "/" would have
    // begun another step, so what stands here ends none.
    if (!at_end())
        return refuse(i_, *counts || at("/") ? "the end of the path is expected"
                                             : "'/' or the end of the path is expected");
    *uses_namespaces = uses_namespaces_;
    return true;
}

bool Parser::path() {
    blanks();
    if (at("//")) {
        i_ += 2;
        steps_->push_back({Step::Axis::descendant_or_self, false, {}, {}});
    } else if (at("/")) {
        ++i_;
        blanks();
        // "/" alone: the document root.
        if (at_end() || !(is_name_start(s_[i_]) || s_[i_] == '*' || s_[i_] == '@' || s_[i_] == '.'))
            return true;
    }
    for (;;) {
        if (!step()) return false;
        blanks();
        if (at("//")) {
            i_ += 2;
            steps_->push_back({Step::Axis::descendant_or_self, false, {}, {}});
        } else if (at("/")) {
            ++i_;
        } else {
            return true;
        }
    }
}

bool Parser::step() {
    blanks();
    Step step;
    if (at("..") || (at(".") && !(i_ + 1 < s_.size() && is_digit(s_[i_ + 1])))) {
        step.axis = at("..") ? Step::Axis::parent : Step::Axis::self;
        i_ += step.axis == Step::Axis::parent ? 2 : 1;
        blanks();
        if (at("["))
            return fail(i_, step.axis == Step::Axis::parent ? "a predicate cannot follow '..'"
                                                            : "a predicate cannot follow '.'");
    } else if (at("@")) {
        ++i_;
        blanks();
        step.axis = Step::Axis::attribute;
        if (!name_test(&step.name)) return false;
    } else if (!node_test(&step, false)) {
        return false;
    }
    if (!predicates(&step)) return false;
    steps_->push_back(std::move(step));
    return true;
}

// A child test: text() or a name test, with the axes and functions of XPath
// refused by name.
bool Parser::node_test(Step *step, bool in_predicate) {
    const std::size_t start = i_;
    const std::string_view word = name_at(i_);
    if (!word.empty() && followed_by(i_ + word.size(), "::"))
        return fail(start, "'" + std::string(word) + "::' is not supported");
    if (!word.empty() && followed_by(i_ + word.size(), "(")) {
        if (word == "count" && !in_predicate) return fail(start, "count() must hold the whole path");
        if (word == "last" && in_predicate) return fail(start, "last() must stand alone: [last()]");
        if (word != "text") return fail(start, "'" + std::string(word) + "()' is not supported");
        i_ = s_.find('(', i_) + 1;
        blanks();
        if (!at(")")) return refuse(i_, "')' is expected");
        ++i_;
        step->text = true;
        return true;
    }
    if (word.empty() && !at("*"))
        return refuse(i_, in_predicate ? "a condition is expected" : "a step is expected");
    return name_test(&step->name);
}

bool Parser::name_test(NameTest *test) {
    const std::size_t start = i_;
    if (at("*")) {
        ++i_;
        test->kind = NameTest::Kind::any;
        return true;
    }
    const std::string_view first = name_at(i_);
    if (first.empty()) return refuse(i_, "a name or '*' is expected");
    i_ += first.size();
    uses_namespaces_ = true;
    if (!at(":") || at("::")) {
        if (followed_by(i_, "(")) return fail(start, "'" + std::string(first) + "()' is not supported");
        test->kind = NameTest::Kind::name;
        test->local = std::string(first);
        return true;
    }
    ++i_;
    const std::string prefix(first);
    if (at("*")) {
        ++i_;
        test->kind = NameTest::Kind::any_in_namespace;
    } else {
        const std::string_view local = name_at(i_);
        if (local.empty()) return refuse(i_, "a name or '*' is expected after '" + prefix + ":'");
        i_ += local.size();
        test->kind = NameTest::Kind::name;
        test->local = std::string(local);
    }
    if (prefix == "xml") {
        test->uri = std::string(kXmlNamespace);
    } else {
        auto bound = namespaces_.find(prefix);
        if (bound == namespaces_.end()) return fail(start, "prefix '" + prefix + "' is not bound");
        if (bound->second.empty()) return fail(start, "prefix '" + prefix + "' is bound to an empty URI");
        test->uri = bound->second;
    }
    return true;
}

bool Parser::predicates(Step *step) {
    for (;;) {
        blanks();
        if (!at("[")) return true;
        ++i_;
        step->predicates.emplace_back();
        if (!predicate(&step->predicates.back())) return false;
    }
}

bool Parser::predicate(Predicate *p) {
    blanks();
    const std::size_t start = i_;
    if (at_end() || !is_digit(s_[i_])) {
        if (name_at(i_) == "last" && followed_by(i_ + 4, "(")) {
            i_ = s_.find('(', i_) + 1;
            blanks();
            if (!at(")")) return refuse(i_, "')' is expected");
            ++i_;
            p->kind = Predicate::Kind::last;
            return position_alone(start);
        }
        p->kind = Predicate::Kind::conditions;
        p->any_of.emplace_back();
        for (;;) {
            p->any_of.back().emplace_back();
            if (!condition(&p->any_of.back().back())) return false;
            blanks();
            const std::string_view word = name_at(i_);
            if (word == "or") p->any_of.emplace_back();
            if (word != "and" && word != "or") break;
            i_ += word.size();
        }
        blanks();
        if (!at("]")) return refuse(i_, "']', 'and' or 'or' is expected");
        ++i_;
        return true;
    }
    std::size_t n = 0;
    for (; i_ < s_.size() && is_digit(s_[i_]); ++i_)
        n = n > (static_cast<std::size_t>(-1) - 9) / 10 ? static_cast<std::size_t>(-1)
                                                        : n * 10 + (s_[i_] - '0');
    if (at(".")) return fail(start, "a position is a whole number");
    if (n == 0) return fail(start, "positions count from 1");
    p->kind = Predicate::Kind::position;
    p->position = n;
    return position_alone(start);
}

// After [N] or [last()]: the closing bracket.
bool Parser::position_alone(std::size_t start) {
    blanks();
    if (at_end()) return fail(i_, "']' is expected");
    if (!at("]")) return fail(start, "a position must stand alone in its predicate");
    ++i_;
    return true;
}

bool Parser::condition(Condition *c) {
    blanks();
    const std::size_t start = i_;
    if (at("@")) {
        ++i_;
        blanks();
        c->term = Condition::Term::attribute;
        if (!name_test(&c->name)) return false;
    } else if (at("..")) {
        return fail(start, "'..' is not supported in a predicate");
    } else if (at(".") && !(i_ + 1 < s_.size() && is_digit(s_[i_ + 1]))) {
        ++i_;
        c->term = Condition::Term::self;
    } else if (!at_end() && (is_digit(s_[i_]) || s_[i_] == '.')) {
        return fail(start, "a position must stand alone in its predicate");
    } else if (at("'") || at("\"")) {
        return fail(start, "a string may only follow '=' or '!='");
    } else {
        Step test;
        if (!node_test(&test, true)) return false;
        c->term = test.text ? Condition::Term::text : Condition::Term::child;
        c->name = std::move(test.name);
    }
    blanks();
    if (at("/")) return fail(i_, "paths are not supported in predicates");
    if (at("[")) return fail(i_, "predicates are not supported in predicates");
    if (at("!=") || at("=")) {
        c->compare = at("=") ? Condition::Compare::equal : Condition::Compare::not_equal;
        i_ += c->compare == Condition::Compare::equal ? 1 : 2;
        blanks();
        return literal(&c->literal);
    }
    return true;
}

bool Parser::literal(std::string *value) {
    if (!at("'") && !at("\"")) return fail(i_, "a quoted string is expected");
    const std::size_t close = s_.find(s_[i_], i_ + 1);
    if (close == std::string_view::npos) return fail(i_, "the string is not closed");
    *value = std::string(s_.substr(i_ + 1, close - i_ - 1));
    i_ = close + 1;
    return true;
}

// ---- The tree as XPath sees it

bool is_element(const XmlNode *n) { return n->nodeType == VELK_NODE_ELEMENT; }

// A text node that XPath has: not empty, inside an element.
bool is_text(const XmlNode *n) { return n->nodeType == VELK_NODE_TEXT && n->tag && n->parent; }

// A node that XPath has: all but the parser's other text nodes.
bool is_node(const XmlNode *n) { return n->nodeType != VELK_NODE_TEXT || is_text(n); }

std::string_view text_of(const char *text) { return text ? std::string_view(text) : std::string_view(); }

// Text as an XML processor passes it on, which the library's parser does not
// do: each CR LF, and each CR alone, is one LF.
void append_text(std::string &out, const char *text) {
    for (const char *p = text; p && *p; ++p) {
        if (*p != '\r') {
            out += *p;
        } else {
            out += '\n';
            if (p[1] == '\n') ++p;
        }
    }
}

// A text node's text, and an attribute's value, as an XML processor passes
// them on (a value's line ends and tabs are blanks, a CR LF one blank); the
// bytes themselves where nothing changes, else a copy in scratch.
std::string_view text_value(const char *text, std::string &scratch) {
    const std::string_view t = text_of(text);
    if (t.find('\r') == std::string_view::npos) return t;
    scratch.clear();
    append_text(scratch, text);
    return scratch;
}
std::string_view attribute_value(const char *value, std::string &scratch) {
    const std::string_view v = text_of(value);
    if (v.find_first_of("\t\r\n") == std::string_view::npos) return v;
    scratch.clear();
    append_text(scratch, value);
    for (char &c : scratch)
        if (c == '\t' || c == '\n') c = ' ';
    return scratch;
}

bool is_declaration(std::string_view name) { return name == "xmlns" || name.substr(0, 6) == "xmlns:"; }

// The length of a name's prefix ("p" of "p:name"); npos without one.
std::size_t prefix_length(std::string_view name) {
    const std::size_t colon = name.find(':');
    return colon == 0 || colon + 1 >= name.size() ? std::string_view::npos : colon;
}

// Visits `top` and its subtree in document order (with `following`, the
// siblings after it and theirs too): enter(node) before a node's children,
// leave(node) after them. enter returning false ends the walk. The records'
// links stand in for a stack.
template <typename Enter, typename Leave>
void walk(const XmlNode *top, bool following, Enter &&enter, Leave &&leave) {
    const XmlNode *n = top;
    while (n) {
        if (!enter(n)) return;
        if (n->firstChild) {
            n = n->firstChild;
            continue;
        }
        for (;;) {
            leave(n);
            if (n == top && !following) return;
            if (n->nextSibling) {
                n = n->nextSibling;
                break;
            }
            n = n->parent;
            if (!n) return;
        }
    }
}

void append_text(const XmlNode *top, bool following, std::string &out) {
    walk(
        top, following,
        [&](const XmlNode *n) {
            if (is_text(n)) append_text(out, n->tag);
            return true;
        },
        [](const XmlNode *) {});
}

// The namespaces of a document's elements and prefixed attributes, found in
// one walk that keeps the declarations in scope.
class Namespaces {
  public:
    explicit Namespaces(const XmlNode *first);
    std::string_view of(const XmlNode *element) const { return find(elements_, element); }
    std::string_view of(const XmlAttrib *attrib) const { return find(attribs_, attrib); }

  private:
    template <typename Map, typename Key> static std::string_view find(const Map &map, Key key) {
        auto found = map.find(key);
        return found == map.end() ? std::string_view() : std::string_view(*found->second);
    }
    // The URI bound to the prefix where the walk is; null or "" for none.
    const std::string *in_scope(std::string_view prefix) const;

    std::unordered_set<std::string> uris_;
    const std::string *xml_ = &*uris_.emplace(kXmlNamespace).first;
    // Prefix ("" for the default) -> the URIs declared for it in scope,
    // innermost last; "" undeclares.
    std::unordered_map<std::string, std::vector<const std::string *>> scope_;
    // Only the namespaced ones.
    std::unordered_map<const XmlNode *, const std::string *> elements_;
    std::unordered_map<const XmlAttrib *, const std::string *> attribs_;
};

const std::string *Namespaces::in_scope(std::string_view prefix) const {
    if (prefix == "xml") return xml_;
    auto found = scope_.find(std::string(prefix));
    return found == scope_.end() || found->second.empty() ? nullptr : found->second.back();
}

Namespaces::Namespaces(const XmlNode *first) {
    // The prefixes pushed to scope_, in order, and for each element that
    // declares any, where its own begin.
    std::vector<std::string> declared;
    std::vector<std::pair<const XmlNode *, std::size_t>> frames;
    auto enter = [&](const XmlNode *n) {
        if (!is_element(n)) return true;
        const std::size_t mark = declared.size();
        bool prefixed_attribs = false;
        for (const XmlAttrib *a = n->attribs; a; a = a->next) {
            const std::string_view name = text_of(a->name);
            prefixed_attribs = prefixed_attribs || prefix_length(name) != std::string_view::npos;
            if (!is_declaration(name) || name == "xmlns:") continue;
            declared.emplace_back(name.substr(name == "xmlns" ? 5 : 6));
            scope_[declared.back()].push_back(&*uris_.emplace(text_of(a->value)).first);
        }
        if (declared.size() > mark) frames.emplace_back(n, mark);
        const std::string_view tag = text_of(n->tag);
        const std::size_t length = prefix_length(tag);
        // Outside every declaration, only a prefix ("xml") can name a namespace.
        if (declared.empty() && length == std::string_view::npos && !prefixed_attribs) return true;
        auto remember = [](auto &map, auto key, const std::string *uri) {
            if (uri && !uri->empty()) map.emplace(key, uri);
        };
        remember(elements_, n, in_scope(length == std::string_view::npos ? "" : tag.substr(0, length)));
        for (const XmlAttrib *a = n->attribs; a; a = a->next) {
            const std::string_view name = text_of(a->name);
            const std::size_t p = prefix_length(name);
            if (p != std::string_view::npos && !is_declaration(name))
                remember(attribs_, a, in_scope(name.substr(0, p)));
        }
        return true;
    };
    auto leave = [&](const XmlNode *n) {
        if (frames.empty() || frames.back().first != n) return;
        for (std::size_t k = frames.back().second; k < declared.size(); ++k)
            scope_[declared[k]].pop_back();
        declared.resize(frames.back().second);
        frames.pop_back();
    };
    walk(first, true, enter, leave);
}

// The string values of chosen elements, taken in one walk: the text of the
// document's text nodes that lie in any of them, and each element's range.
class ElementTexts {
  public:
    void want(const XmlNode *element) { ranges_.emplace(element, std::pair<std::size_t, std::size_t>()); }
    void gather(const XmlNode *first);
    std::string_view of(const XmlNode *element) const {
        const auto &range = ranges_.at(element);
        return std::string_view(text_).substr(range.first, range.second - range.first);
    }

  private:
    std::string text_;
    std::unordered_map<const XmlNode *, std::pair<std::size_t, std::size_t>> ranges_;
};

void ElementTexts::gather(const XmlNode *first) {
    if (ranges_.empty()) return;
    std::size_t open = 0; // wanted elements the walk is in
    walk(
        first, true,
        [&](const XmlNode *n) {
            if (open && is_text(n)) append_text(text_, n->tag);
            auto wanted = ranges_.find(n);
            if (wanted != ranges_.end()) {
                wanted->second.first = text_.size();
                ++open;
            }
            return true;
        },
        [&](const XmlNode *n) {
            auto wanted = ranges_.find(n);
            if (wanted == ranges_.end()) return;
            wanted->second.second = text_.size();
            --open;
        });
}

// ---- Evaluation

class Evaluation {
  public:
    Evaluation(const XmlNode *first, bool uses_namespaces) : first_(first) {
        if (uses_namespaces) namespaces_ = std::make_unique<Namespaces>(first);
    }
    // The step from the context nodes (in document order, each once; nested:
    // some may be in the subtree of another), in document order, each once.
    std::vector<Selected> apply(const Step &step, const std::vector<Selected> &context, bool &nested) const;
    // "//" and then a child step whose predicates ask for no position: the
    // step's nodes among the context nodes' descendants, taken in one walk
    // in document order, with no sets to put them in order.
    std::vector<Selected> descendants(const Step &step, const std::vector<Selected> &context) const;

  private:
    // The nodes a step gives each context node, one run after another.
    struct Runs {
        std::vector<Selected> nodes;
        std::vector<std::size_t> ends;
    };

    bool matches(const NameTest &test, const XmlNode *element) const;
    bool matches(const NameTest &test, const XmlAttrib *attrib) const;
    void filter(Runs &runs, const Predicate &p) const;
    bool holds(const Condition &c, const Selected &s, const ElementTexts &texts) const;
    std::vector<Selected> descendants_or_self(const std::vector<Selected> &context) const;
    std::vector<Selected> in_document_order(const std::unordered_set<const XmlNode *> &nodes,
                                            bool root) const;

    const XmlNode *first_;
    std::unique_ptr<Namespaces> namespaces_;
};

bool Evaluation::matches(const NameTest &test, const XmlNode *element) const {
    if (test.kind == NameTest::Kind::any) return true;
    const std::string_view uri = namespaces_->of(element);
    if (uri != test.uri) return false;
    if (test.kind == NameTest::Kind::any_in_namespace) return true;
    std::string_view tag = text_of(element->tag);
    // An element with a prefix that nothing declares is in no namespace,
    // and its whole name is its local name.
    const std::size_t p = prefix_length(tag);
    if (!uri.empty() && p != std::string_view::npos) tag.remove_prefix(p + 1);
    return tag == test.local;
}

bool Evaluation::matches(const NameTest &test, const XmlAttrib *attrib) const {
    std::string_view name = text_of(attrib->name);
    if (is_declaration(name)) return false;
    if (test.kind == NameTest::Kind::any) return true;
    if (test.uri.empty()) return name == test.local;
    if (namespaces_->of(attrib) != test.uri) return false;
    name.remove_prefix(prefix_length(name) + 1);
    return test.kind == NameTest::Kind::any_in_namespace || name == test.local;
}

bool Evaluation::holds(const Condition &c, const Selected &s, const ElementTexts &texts) const {
    std::string scratch;
    auto accepts = [&](std::string_view value) {
        return c.compare == Condition::Compare::none ||
               (value == c.literal) == (c.compare == Condition::Compare::equal);
    };
    if (c.term == Condition::Term::self) {
        if (c.compare == Condition::Compare::none) return true;
        if (s.attrib) return accepts(attribute_value(s.attrib->value, scratch));
        return accepts(is_element(s.node) ? texts.of(s.node) : text_value(s.node->tag, scratch));
    }
    if (s.attrib || !is_element(s.node)) return false;
    if (c.term == Condition::Term::attribute) {
        for (const XmlAttrib *a = s.node->attribs; a; a = a->next)
            if (matches(c.name, a) && accepts(attribute_value(a->value, scratch))) return true;
        return false;
    }
    for (const XmlNode *child = s.node->firstChild; child; child = child->nextSibling) {
        if (c.term == Condition::Term::text
                ? is_text(child) && accepts(text_value(child->tag, scratch))
                : is_element(child) && matches(c.name, child) &&
                      (c.compare == Condition::Compare::none || accepts(texts.of(child))))
            return true;
    }
    return false;
}

void Evaluation::filter(Runs &runs, const Predicate &p) const {
    // Conditions do not depend on positions: the string values they compare
    // are taken for all the nodes at once.
    ElementTexts texts;
    if (p.kind == Predicate::Kind::conditions) {
        for (const auto &all_of : p.any_of)
            for (const Condition &c : all_of) {
                if (c.compare == Condition::Compare::none) continue;
                for (const Selected &s : runs.nodes) {
                    if (s.attrib || !is_element(s.node)) continue;
                    if (c.term == Condition::Term::self) texts.want(s.node);
                    if (c.term != Condition::Term::child) continue;
                    for (const XmlNode *child = s.node->firstChild; child; child = child->nextSibling)
                        if (is_element(child) && matches(c.name, child)) texts.want(child);
                }
            }
        texts.gather(first_);
    }
    Runs kept;
    std::size_t begin = 0;
    for (const std::size_t end : runs.ends) {
        const std::size_t size = end - begin;
        if (p.kind == Predicate::Kind::position) {
            if (p.position <= size) kept.nodes.push_back(runs.nodes[begin + p.position - 1]);
        } else if (p.kind == Predicate::Kind::last) {
            if (size) kept.nodes.push_back(runs.nodes[end - 1]);
        } else {
            for (std::size_t k = begin; k < end; ++k) {
                for (const auto &all_of : p.any_of) {
                    bool all = true;
                    for (const Condition &c : all_of)
                        if (!(all = holds(c, runs.nodes[k], texts))) break;
                    if (all) {
                        kept.nodes.push_back(runs.nodes[k]);
                        break;
                    }
                }
            }
        }
        kept.ends.push_back(kept.nodes.size());
        begin = end;
    }
    runs = std::move(kept);
}

std::vector<Selected> Evaluation::in_document_order(const std::unordered_set<const XmlNode *> &nodes,
                                                    bool root) const {
    std::vector<Selected> out;
    if (root) out.push_back({first_, nullptr, true});
    std::size_t left = nodes.size();
    if (left == 0) return out;
    walk(
        first_, true,
        [&](const XmlNode *n) {
            if (!nodes.count(n)) return true;
            out.push_back({n, nullptr, false});
            return --left > 0;
        },
        [](const XmlNode *) {});
    return out;
}

std::vector<Selected> Evaluation::descendants(const Step &step, const std::vector<Selected> &context) const {
    Runs runs;
    std::size_t next = 0;
    const XmlNode *top = nullptr; // the context node whose subtree the walk is in
    // Context nodes inside that subtree are passed: their descendants are
    // the walk's too.
    auto enter = [&](const XmlNode *n) {
        for (; next < context.size() && !context[next].root && context[next].node == n; ++next) {
        }
        if (n != top && (step.text ? is_text(n) : is_element(n) && matches(step.name, n)))
            runs.nodes.push_back({n, nullptr, false});
        return true;
    };
    while (next < context.size()) {
        const Selected c = context[next];
        if (c.attrib) {
            ++next;
        } else if (c.root) {
            ++next;
            top = nullptr;
            walk(first_, true, enter, [](const XmlNode *) {});
        } else {
            top = c.node;
            walk(c.node, false, enter, [](const XmlNode *) {});
        }
    }
    runs.ends.push_back(runs.nodes.size());
    for (const Predicate &p : step.predicates)
        filter(runs, p);
    return std::move(runs.nodes);
}

std::vector<Selected> Evaluation::descendants_or_self(const std::vector<Selected> &context) const {
    std::vector<Selected> out;
    std::size_t next = 0;
    // After a node: the context nodes that the walk has now reached (that
    // node itself, and its attributes, which are their own descendants-or-self).
    auto enter = [&](const XmlNode *n) {
        if (is_node(n)) out.push_back({n, nullptr, false});
        for (; next < context.size() && !context[next].root && context[next].node == n; ++next)
            if (context[next].attrib) out.push_back(context[next]);
        return true;
    };
    while (next < context.size()) {
        const Selected c = context[next++];
        if (c.attrib) {
            out.push_back(c);
        } else if (c.root) {
            out.push_back(c);
            walk(first_, true, enter, [](const XmlNode *) {});
        } else {
            --next;
            walk(c.node, false, enter, [](const XmlNode *) {});
        }
    }
    return out;
}

std::vector<Selected> Evaluation::apply(const Step &step, const std::vector<Selected> &context,
                                        bool &nested) const {
    switch (step.axis) {
    case Step::Axis::self: {
        std::vector<Selected> out;
        for (const Selected &s : context)
            if (s.root || s.attrib || is_element(s.node) || is_text(s.node)) out.push_back(s);
        return out;
    }
    case Step::Axis::parent: {
        std::unordered_set<const XmlNode *> parents;
        bool root = false;
        for (const Selected &s : context) {
            if (s.root) continue;
            if (s.attrib)
                parents.insert(s.node);
            else if (s.node->parent)
                parents.insert(s.node->parent);
            else
                root = true;
        }
        nested = parents.size() + root > 1;
        return in_document_order(parents, root);
    }
    case Step::Axis::descendant_or_self:
        nested = true;
        return descendants_or_self(context);
    case Step::Axis::child:
    case Step::Axis::attribute:
        break;
    }
    Runs runs;
    for (const Selected &s : context) {
        if (step.axis == Step::Axis::attribute) {
            if (!s.root && !s.attrib && is_element(s.node))
                for (const XmlAttrib *a = s.node->attribs; a; a = a->next)
                    if (matches(step.name, a)) runs.nodes.push_back({s.node, a, false});
        } else if (!s.attrib) {
            for (const XmlNode *c = s.root ? first_ : s.node->firstChild; c; c = c->nextSibling)
                if (step.text ? is_text(c) : is_element(c) && matches(step.name, c))
                    runs.nodes.push_back({c, nullptr, false});
        }
        runs.ends.push_back(runs.nodes.size());
    }
    for (const Predicate &p : step.predicates)
        filter(runs, p);
    if (step.axis == Step::Axis::attribute) {
        nested = false;
        return std::move(runs.nodes);
    }
    // Children of nested context nodes interleave in the document.
    if (!nested || context.size() < 2) return std::move(runs.nodes);
    std::unordered_set<const XmlNode *> children;
    for (const Selected &s : runs.nodes)
        children.insert(s.node);
    return in_document_order(children, false);
}

} // namespace

bool PathQuery::compile(std::string_view text, const std::map<std::string, std::string> &namespaces,
                        std::string *error) {
    Parser parser(text, namespaces);
    std::vector<Step> steps;
    bool counts = false, uses_namespaces = false;
    if (!parser.expression(&counts, &steps, &uses_namespaces)) {
        *error = parser.error();
        return false;
    }
    steps_ = std::move(steps);
    counts_ = counts;
    uses_namespaces_ = uses_namespaces;
    return true;
}

std::vector<Selected> PathQuery::select(velk_handle document) const {
    const XmlNode *first = VELK_XML_NODE(document);
    const Evaluation evaluation(first, uses_namespaces_);
    std::vector<Selected> nodes{{first, nullptr, true}};
    bool nested = false;
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        const Step &step = steps_[i];
        if (step.axis == Step::Axis::descendant_or_self && i + 1 < steps_.size() &&
            steps_[i + 1].axis == Step::Axis::child &&
            std::none_of(steps_[i + 1].predicates.begin(), steps_[i + 1].predicates.end(),
                         [](const Predicate &p) { return p.kind != Predicate::Kind::conditions; })) {
            nodes = evaluation.descendants(steps_[++i], nodes);
            nested = true;
            continue;
        }
        nodes = evaluation.apply(step, nodes, nested);
    }
    return nodes;
}

std::string string_value(const Selected &selected) {
    std::string out, scratch;
    if (selected.attrib) return std::string(attribute_value(selected.attrib->value, scratch));
    if (!selected.root && !is_element(selected.node))
        return std::string(text_value(selected.node->tag, scratch));
    append_text(selected.node, selected.root, out);
    return out;
}

std::vector<std::string> string_values(velk_handle document, const std::vector<Selected> &selected) {
    // The elements' values from one walk, however they nest.
    ElementTexts texts;
    for (const Selected &s : selected)
        if (!s.root && !s.attrib && is_element(s.node)) texts.want(s.node);
    texts.gather(VELK_XML_NODE(document));
    std::vector<std::string> values;
    values.reserve(selected.size());
    for (const Selected &s : selected)
        values.push_back(!s.root && !s.attrib && is_element(s.node) ? std::string(texts.of(s.node))
                                                                    : string_value(s));
    return values;
}

} // namespace velkxml
