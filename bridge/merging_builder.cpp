#include "bridge/merging_builder.h"

#include "list/lookup.h"

namespace velk::bridge {

using list::DataForm;

bool MergingBuilder::put(std::string_view name, std::string_view data) {
    // Empty names are never stored and never match, so they are not indexed.
    std::string key = list::normalise_name(name);
    if (!key.empty()) {
        auto found = by_name_.find(key);
        if (found != by_name_.end()) {
            list::update(found->second, data, DataForm::text);
            return found->second->data != nullptr;
        }
    }
    if (!list_.add(name, data, DataForm::text)) return false;
    if (!key.empty()) by_name_.emplace(std::move(key), list_.last());
    return true;
}

list::ListNode *MergingBuilder::release() {
    by_name_.clear();
    return list_.release();
}

} // namespace velk::bridge
