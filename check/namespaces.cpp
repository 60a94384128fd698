#include "check/namespaces.h"

#include <algorithm>

#include "check/xml_chars.h"

namespace velk::check {

namespace {

constexpr std::string_view kXmlUri = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kXmlnsUri = "http://www.w3.org/2000/xmlns/";

// Splits a qualified name at its colon; false when the name has more than
// one, one at either end, or a part after it that cannot begin a name.
bool split(std::string_view name, std::string_view *prefix, std::string_view *local) {
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos) {
        *prefix = {};
        *local = name;
        return true;
    }
    *prefix = name.substr(0, colon);
    *local = name.substr(colon + 1);
    return !prefix->empty() && chars::is_name(*local) && local->find(':') == std::string_view::npos;
}

} // namespace

bool Namespaces::lookup(std::string_view prefix, std::string_view *uri) const {
    if (prefix == "xml") {
        *uri = kXmlUri;
        return true;
    }
    const auto holding = holding_.find(prefix);
    if (holding == holding_.end()) return false;
    *uri = bindings_[holding->second].uri;
    return !uri->empty();
}

void Namespaces::leave(std::size_t bindings) {
    while (bindings_.size() > bindings) {
        const Binding &b = bindings_.back();
        if (b.hidden == kNone)
            holding_.erase(b.prefix);
        else
            holding_[b.prefix] = b.hidden;
        bindings_.pop_back();
    }
}

bool Namespaces::declare(const Attribute &a, std::string *fault) {
    const std::string_view prefix = a.name.size() > 5 ? a.name.substr(6) : std::string_view{};
    if (prefix == "xmlns") {
        *fault = "the prefix 'xmlns' cannot be declared";
        return false;
    }
    if ((prefix == "xml") != (a.value == kXmlUri)) {
        *fault = prefix == "xml" ? "the prefix 'xml' cannot be bound to another namespace"
                                 : "only the prefix 'xml' is bound to " + quoted(kXmlUri);
        return false;
    }
    if (a.value == kXmlnsUri) {
        *fault = "no prefix is bound to " + quoted(kXmlnsUri);
        return false;
    }
    if (!prefix.empty() && a.value.empty()) {
        *fault = "prefix " + quoted(prefix) + " cannot be undeclared";
        return false;
    }
    auto [holding, first] = holding_.try_emplace(prefix, bindings_.size());
    bindings_.push_back({prefix, a.value, first ? kNone : holding->second});
    holding->second = bindings_.size() - 1;
    return true;
}

bool Namespaces::enter(std::string_view element, const std::vector<Attribute> &attribs, std::string *fault) {
    std::string_view prefix, local, uri;
    for (const Attribute &a : attribs) {
        if (!split(a.name, &prefix, &local)) {
            *fault = "attribute name " + quoted(a.name) + " is not a qualified name";
            return false;
        }
        if ((prefix.empty() && local == "xmlns") || prefix == "xmlns")
            if (!declare(a, fault)) return false;
    }
    if (!split(element, &prefix, &local)) {
        *fault = "element name " + quoted(element) + " is not a qualified name";
        return false;
    }
    if (!prefix.empty() && !lookup(prefix, &uri)) {
        *fault = "prefix " + quoted(prefix) + " of element " + quoted(element) + " is not declared";
        return false;
    }
    // Prefixed attributes are unique by namespace and local name.
    std::vector<std::pair<std::string_view, std::string_view>> expanded;
    for (const Attribute &a : attribs) {
        split(a.name, &prefix, &local);
        if (prefix.empty() || prefix == "xmlns") continue;
        if (!lookup(prefix, &uri)) {
            *fault = "prefix " + quoted(prefix) + " of attribute " + quoted(a.name) + " is not declared";
            return false;
        }
        expanded.emplace_back(uri, local);
    }
    std::sort(expanded.begin(), expanded.end());
    if (std::adjacent_find(expanded.begin(), expanded.end()) != expanded.end()) {
        *fault = "two attributes of element " + quoted(element) + " share a namespace and a local name";
        return false;
    }
    return true;
}

} // namespace velk::check
