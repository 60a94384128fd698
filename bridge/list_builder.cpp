#include "bridge/list_builder.h"

#include "list/core.h"
#include "list/lookup.h"

namespace velk::bridge {

using list::DataForm;
using list::ListNode;

ListBuilder::~ListBuilder() { list::free_chain(head_); }

bool ListBuilder::put(std::string_view name, std::string_view data) {
    // Empty names are never stored and never match, so they are not indexed.
    std::string key = list::normalise_name(name);
    if (!key.empty()) {
        auto found = by_name_.find(key);
        if (found != by_name_.end()) {
            list::update(found->second, data, DataForm::text);
            return found->second->data != nullptr;
        }
    }
    ListNode *node = list::add(tail_, name, data, DataForm::text);
    if (!node) return false;
    if (!head_) head_ = node;
    tail_ = node;
    if (key.empty()) return true;
    if (!node->name) return false; // the entry would have lost its name
    by_name_.emplace(std::move(key), node);
    return true;
}

ListNode *ListBuilder::release() {
    ListNode *list = head_;
    head_ = tail_ = nullptr;
    by_name_.clear();
    return list;
}

} // namespace velk::bridge
