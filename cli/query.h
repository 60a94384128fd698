// The searches of the find command over a parsed document, through the
// library's exports: matches in document order, each with its path from the
// top, and a match written out in the compact form.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "velk_xml.h"

namespace velkxml {

// Elements with a tag (and, when asked, an attribute and a depth) in
// document order. Each search of the library runs from where the last one
// stopped, so a document is searched once however many elements match.
class Finder {
  public:
    // depth -1: any depth. attr_name "": no attribute asked for; an
    // attribute asked for must be there, with attr_value when has_value.
    Finder(velk_handle root, std::string tag, std::int32_t depth, std::string attr_name, bool has_value,
           std::string attr_value);

    // The next match; 0 after the last.
    velk_handle next();
    // The path of the last match from the top: "/catalog/book[2]/title",
    // with a position among the element's siblings of the same tag where it
    // has any.
    std::string path() const;

  private:
    // The element children of one parent (or the top level), counted once
    // by tag, and a place among them that only moves forward.
    struct Siblings {
        bool counted = false;
        std::unordered_map<std::string, int> totals;  // elements of each tag among the siblings
        std::unordered_map<velk_handle, int> ordinal; // an element's place among those of its tag, from 1
    };
    struct Step {
        velk_handle node;
        std::string label;
        Siblings children;
    };

    void push(velk_handle node);
    void step_past_last();
    bool wanted(velk_handle node) const;

    velk_handle root_;
    std::string tag_;
    std::int32_t depth_;
    std::string attr_name_;
    bool has_value_;
    std::string attr_value_;

    Siblings top_;
    std::vector<Step> path_; // the last match and its ancestors; the parents of the chain at cursor_
    velk_handle cursor_;     // where the next search starts: a node, its subtree and its next siblings
    velk_handle last_ = 0;   // the last match, still on path_
};

// The element with its subtree in the compact form the library writes for a
// tree (line ends as CR LF).
std::string compact_subtree(velk_handle node);

// An element's text (the library's child data) on one line: blanks at both
// ends left out, and each line end or tab inside written as a space.
std::string one_line_text(velk_handle node);

// The value of an element's first attribute of that name on one line: each
// line end or tab written as a space, nothing trimmed.
std::string one_line_attribute(velk_handle node, const std::string &name);

} // namespace velkxml
