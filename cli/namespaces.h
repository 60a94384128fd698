// The namespace rules that XML documents are held to beside XML 1.0's own:
// qualified names, prefixes declared before use and in scope, the reserved
// prefixes "xml" and "xmlns", and attributes unique by namespace and local
// name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velkxml {

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
    // Drops the declarations made after size() was `bindings`.
    void leave(std::size_t bindings) { bindings_.resize(bindings); }
    std::size_t size() const { return bindings_.size(); }

  private:
    struct Binding {
        std::string_view prefix; // empty for the default namespace
        std::string_view uri;
    };
    // The namespace a prefix is bound to; false when none is.
    bool lookup(std::string_view prefix, std::string_view *uri) const;
    bool declare(const Attribute &a, std::string *fault);

    std::vector<Binding> bindings_;
};

} // namespace velkxml
