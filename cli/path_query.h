// The path language of the select command: a subset of XPath 1.0, compiled
// once and evaluated over parsed documents, read straight from the records
// (api/velk_records.h).
//
// Paths. Absolute ("/a/b") or relative ("a/b"); a relative path starts at the
// document root, as the whole document is its context. "/" alone is the
// document root. Steps, joined by "/", or by "//" (which, also before the
// first step, stands for descendant-or-self):
//   name  p:name  *  p:*        child elements
//   text()                      child text nodes
//   @name  @p:name  @*  @p:*    attributes
//   .  ..                       the node itself, its parent
// count(PATH) as the whole expression gives the number of nodes instead.
//
// Predicates. A step other than "." and ".." takes any number, applied in
// turn to the nodes the step gives each context node, counted from 1 in
// document order:
//   [N]           the Nth node (N a whole number from 1)
//   [last()]      the last node
//   [T]           T gives at least one node
//   [T='v']       T gives a node whose string value is v ("v" also)
//   [T!='v']      T gives a node whose string value is not v
// where T is an attribute test (@name, @p:name, @*, @p:*), a child element
// test (name, p:name, *, p:*), "." or text(). Conditions join with "and" and
// "or" ("and" binds first; no parentheses); a position stands alone. Blanks
// may stand between tokens.
//
// Namespaces as XPath sees them. An element's namespace comes from the
// xmlns and xmlns:p attributes in scope (the "xml" prefix is always bound);
// the caller binds the prefixes of the path to URIs. A name test without a
// prefix matches the elements in no namespace only (never those under a
// default xmlns="..."); p:name matches the elements whose namespace is the
// URI bound to p and whose local name is name. An attribute without a prefix
// is in no namespace. xmlns attributes declare namespaces and are never
// selected.
//
// The tree. The document root's children are the top-level nodes. The
// string value of an element (and of the root) is its descendant text in
// document order; of an attribute its value; of a text node its text; with
// line ends (and in values tabs) as an XML processor passes them on. The
// parser's text nodes that XPath does not have (empty ones, and the blanks
// between top-level markup) are left out. Comments and instructions stay in
// the tree (".." of "//" reaches their parents), but no step selects them,
// "." after "//" included.
//
// Cost. Each step walks the document at most a few times, with explicit
// stacks or the records' links (never recursion), so that documents of any
// depth are evaluated in time linear in their size per step.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "velk_records.h"
#include "velk_xml.h"

namespace velkxml {

// One node that a path selects.
struct Selected {
    // The element or text node; the element of a selected attribute; the
    // document's first node for the document root (null for no document).
    const XmlNode *node = nullptr;
    // The attribute, when one is selected.
    const XmlAttrib *attrib = nullptr;
    // The document root: the parent of the top-level nodes.
    bool root = false;
};

class PathQuery {
  public:
    // Compiles the path. namespaces: the caller's bindings, prefix -> URI.
    // False, with *error set to "position N: message" (N counting the
    // characters of text from 1), for a path outside the subset, a malformed
    // one, and a prefix that is not bound (or bound to "").
    bool compile(std::string_view text, const std::map<std::string, std::string> &namespaces,
                 std::string *error);
    // The path is count(PATH): count() is its result.
    bool counts() const { return counts_; }
    // The nodes that the path selects in the document (a parse's handle), in
    // document order, each once.
    std::vector<Selected> select(velk_handle document) const;
    std::size_t count(velk_handle document) const { return select(document).size(); }

    // The compiled form.
    struct NameTest {
        enum class Kind { any, any_in_namespace, name };
        Kind kind = Kind::any;
        std::string uri; // "" for no namespace
        std::string local;
    };
    struct Condition {
        enum class Term { attribute, child, self, text };
        enum class Compare { none, equal, not_equal };
        Term term = Term::self;
        NameTest name; // attribute and child
        Compare compare = Compare::none;
        std::string literal;
    };
    struct Predicate {
        enum class Kind { position, last, conditions };
        Kind kind = Kind::conditions;
        std::size_t position = 0;
        std::vector<std::vector<Condition>> any_of; // each all of its conditions
    };
    struct Step {
        enum class Axis { child, attribute, self, parent, descendant_or_self };
        Axis axis = Axis::child;
        bool text = false; // child: text() rather than a name test
        NameTest name;
        std::vector<Predicate> predicates;
    };

  private:
    std::vector<Step> steps_;
    bool counts_ = false;
    bool uses_namespaces_ = false; // a name test other than * looks at namespaces
};

// The string value of a selected node. Text is passed on as an XML
// processor passes it (each CR LF or lone CR one LF), an attribute's value
// normalized as XML does (line ends and tabs one blank each).
std::string string_value(const Selected &selected);
// The string values of the nodes selected in the document, in one walk of
// it however the elements among them nest.
std::vector<std::string> string_values(velk_handle document, const std::vector<Selected> &selected);

} // namespace velkxml
