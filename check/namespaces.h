// The namespace rules that XML documents are held to beside XML 1.0's own:
// qualified names, prefixes declared before use and in scope, the reserved
// prefixes "xml" and "xmlns", and attributes unique by namespace and local
// name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velk::check {

struct Attribute {
    std::string_view name;
    std::string_view value; // as written, references not undone
    std::size_t at;         // offset of its name
};

class Namespaces {
  public:
    // Takes the declarations of a start tag into scope and checks its names;
    // false with *fault set at the first fault.
    bool enter(std::string_view element, const std::vector<Attribute> &attribs, std::string *fault);
    // Drops the declarations made after size() was `bindings`, bringing back
    // those they hid.
    void leave(std::size_t bindings);
    std::size_t size() const { return bindings_.size(); }

  private:
    static constexpr std::size_t kNone = ~std::size_t(0);
    struct Binding {
        std::string_view prefix; // empty for the default namespace
        std::string_view uri;
        std::size_t hidden; // the binding of the same prefix it hides, or kNone
    };
    // The namespace a prefix is bound to; false when none is.
    bool lookup(std::string_view prefix, std::string_view *uri) const;
    bool declare(const Attribute &a, std::string *fault);

    // Every declaration in scope, innermost last, and for each prefix the
    // one that holds now: a lookup and a declaration take constant time
    // however many are in scope.
    std::vector<Binding> bindings_;
    std::unordered_map<std::string_view, std::size_t> holding_;
};

} // namespace velk::check
