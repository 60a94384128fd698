#include "element_paths.h"

#include <functional>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

#include "velk_records.h"

namespace velkxml {

namespace {

// A path as the path of its parent (kTop for the top level) and one more tag.
struct Step {
    std::size_t parent;
    std::string_view tag;
    bool operator==(const Step &other) const { return parent == other.parent && tag == other.tag; }
};

struct StepHash {
    std::size_t operator()(const Step &s) const {
        return std::hash<std::string_view>()(s.tag) ^
               (std::hash<std::size_t>()(s.parent) * 0x9E3779B97F4A7C15u);
    }
};

constexpr std::size_t kTop = static_cast<std::size_t>(-1);

} // namespace

std::vector<std::pair<std::string, std::size_t>> element_paths(velk_handle document) {
    // Each path gets a number when it first occurs, its place in the result;
    // an element's path is found from its parent's number and its tag. The
    // paths are spelled out at the end, each once, when their size is known.
    struct Found {
        Step step;
        std::size_t count;
        std::uint64_t size; // of the path spelled out
    };
    std::vector<Found> found;
    std::unordered_map<Step, std::size_t, StepHash> numbers;
    std::uint64_t bytes = 0;
    // The elements entered, each with its path's number.
    std::vector<std::pair<const XmlNode *, std::size_t>> open;
    for (const XmlNode *n = VELK_XML_NODE(document);;) {
        if (!n) {
            if (open.empty()) break;
            n = open.back().first->nextSibling;
            open.pop_back();
            continue;
        }
        if (n->nodeType != VELK_NODE_ELEMENT) {
            n = n->nextSibling;
            continue;
        }
        const std::size_t parent = open.empty() ? kTop : open.back().second;
        const Step step{parent, n->tag ? std::string_view(n->tag) : std::string_view()};
        const auto entry = numbers.try_emplace(step, found.size());
        if (entry.second) {
            const std::uint64_t size = (parent == kTop ? 0 : found[parent].size) + 1 + step.tag.size();
            bytes += size;
            if (bytes > kMaxPathBytes)
                throw std::length_error("the element paths would pass " + std::to_string(kMaxPathBytes) +
                                        " bytes");
            found.push_back({step, 0, size});
        }
        const std::size_t number = entry.first->second;
        ++found[number].count;
        if (n->firstChild) {
            open.emplace_back(n, number);
            n = n->firstChild;
        } else {
            n = n->nextSibling;
        }
    }
    std::vector<std::pair<std::string, std::size_t>> paths;
    paths.reserve(found.size());
    for (const Found &f : found) {
        std::string path = f.step.parent == kTop ? std::string() : paths[f.step.parent].first;
        path += '/';
        path += f.step.tag;
        paths.emplace_back(std::move(path), f.count);
    }
    return paths;
}

} // namespace velkxml
