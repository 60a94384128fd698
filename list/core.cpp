#include "list/core.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "frame/compiler.h"
#include "frame/memory.h"
#include "frame/text.h"

namespace velk::list {

namespace {

constexpr std::array<unsigned char, 256> make_lower_table() {
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<unsigned char>(i);
    for (int c = 'A'; c <= 'Z'; ++c)
        table[c] = static_cast<unsigned char>(c + 32);
    // The capitals of code page 437 that have a small letter there.
    table[0x80] = 0x87;
    table[0x8E] = 0x84;
    table[0x8F] = 0x86;
    table[0x90] = 0x82;
    table[0x99] = 0x94;
    table[0x9A] = 0x81;
    table[0xA5] = 0xA4;
    return table;
}

constexpr std::array<unsigned char, 256> kLower = make_lower_table();

// Names are mostly ASCII: eight bytes below 0x80 are lowered at once (a
// byte from 'A' to 'Z' gains 0x20). From the first eight that hold a higher
// byte on, the table does it, as it knows the code page 437 capitals.
void lower_into(char *out, std::string_view s) {
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    std::size_t i = 0;
    for (; i + 8 <= s.size(); i += 8) {
        std::uint64_t x;
        std::memcpy(&x, s.data() + i, 8);
        if (x & kHigh) break;
        // With every byte below 0x80, no sum carries into the next byte:
        // its top bit says byte >= 'A', and byte > 'Z'.
        std::uint64_t from_a = x + 0x3F3F3F3F3F3F3F3Fu, past_z = x + 0x2525252525252525u;
        x |= (from_a & ~past_z & kHigh) >> 2;
        std::memcpy(out + i, &x, 8);
    }
    for (; i < s.size(); ++i)
        out[i] = static_cast<char>(kLower[static_cast<unsigned char>(s[i])]);
}

} // namespace

bool equals_lowered(std::string_view text, std::string_view key) noexcept {
    if (text.size() != key.size()) return false;
    for (std::size_t i = 0; i < key.size(); ++i)
        if (static_cast<unsigned char>(text[i]) != kLower[static_cast<unsigned char>(key[i])]) return false;
    return true;
}

// Lowering never makes or removes a blank, so trimming first gives the same
// result and lets the lowering write straight into the destination.
std::string normalise_name(std::string_view name) {
    std::string_view trimmed = trim_blanks(name);
    std::string out(trimmed.size(), '\0');
    lower_into(out.data(), trimmed);
    return out;
}

namespace {

// The blocks below are written whole where they are made, so they need not
// come zero-filled. Inlined into the appends, which make most of them.
// Padded: 16 bytes may be read from where the name and the data begin (the
// file loader's buffers), so a short one is stored 16 bytes at once.

VELK_ALWAYS_INLINE char *name_block(std::string_view name, bool padded) noexcept {
#if defined(VELK_SHORT_TEXTS_AT_ONCE)
    // A short name without outer blanks and with every byte below 0x80: A to
    // Z gain 0x20, found as the bytes that 0x80 - 'A' carries below -102.
    if (padded && !name.empty() && name.size() < 16 && name.front() != ' ' && name.back() != ' ') {
        const __m128i bytes = first_bytes(name.data(), name.size());
        if (_mm_movemask_epi8(bytes) == 0) {
            auto *block = static_cast<char *>(mem_get_written(16));
            if (!block) return nullptr;
            const __m128i shifted = _mm_add_epi8(bytes, _mm_set1_epi8(static_cast<char>(0x80 - 'A')));
            const __m128i capitals = _mm_cmplt_epi8(shifted, _mm_set1_epi8(-128 + 26));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(block),
                             _mm_add_epi8(bytes, _mm_and_si128(capitals, _mm_set1_epi8(0x20))));
            return block;
        }
    }
#endif
    (void)padded;
    std::string_view trimmed = trim_blanks(name);
    if (trimmed.empty()) return nullptr;
    auto *block = static_cast<char *>(mem_get_written(trimmed.size() + 1));
    if (!block) return nullptr;
    lower_into(block, trimmed);
    block[trimmed.size()] = 0;
    return block;
}

VELK_ALWAYS_INLINE char *data_block(std::string_view data, DataForm form, bool padded) noexcept {
    if (data.empty()) return static_cast<char *>(mem_get(form == DataForm::text ? 1 : 0));
#if defined(VELK_SHORT_TEXTS_AT_ONCE)
    if (padded && form == DataForm::text && data.size() < 16) {
        auto *block = static_cast<char *>(mem_get_written(16));
        if (block)
            _mm_storeu_si128(reinterpret_cast<__m128i *>(block), first_bytes(data.data(), data.size()));
        return block;
    }
#endif
    (void)padded;
    auto *block = static_cast<char *>(mem_get_written(data.size() + (form == DataForm::text ? 1 : 0)));
    if (!block) return nullptr;
    copy_bytes(block, data.data(), data.size());
    if (form == DataForm::text) block[data.size()] = 0;
    return block;
}

// A new node behind last (which may be null), or null when memory ran out.
VELK_ALWAYS_INLINE ListNode *add_behind(ListNode *last, std::string_view name, std::string_view data,
                                        DataForm form, bool padded) noexcept {
    if (data.size() > INT32_MAX) return nullptr;
    auto *node = static_cast<ListNode *>(mem_get_written(sizeof(ListNode)));
    if (!node) return nullptr;
    *node = ListNode{};
    node->data = data_block(data, form, padded);
    if (!node->data) {
        mem_free(node);
        return nullptr;
    }
    node->capacity = static_cast<std::int32_t>(data.size());
    node->name = name_block(name, padded); // a node without its name block is still added
    if (last) last->next = node;
    return node;
}

} // namespace

char *store_name(std::string_view name) noexcept { return name_block(name, false); }

char *make_data_block(std::string_view data, DataForm form) noexcept { return data_block(data, form, false); }

ListNode *add(ListNode *list, std::string_view name, std::string_view data, DataForm form) noexcept {
    return add_behind(find_last(list), name, data, form, false);
}

std::int32_t count(const ListNode *node) noexcept {
    std::int32_t n = 0;
    for (; node; node = node->next)
        ++n;
    return n;
}

ListNode *find_last(ListNode *node) noexcept {
    if (!node) return nullptr;
    while (node->next)
        node = node->next;
    return node;
}

ListNode *get_by_number(ListNode *node, std::int32_t position) noexcept {
    if (position < 1) return nullptr;
    for (std::int32_t n = 1; node; node = node->next, ++n)
        if (n == position) return node;
    return nullptr;
}

ListNode *find_prev(ListNode *list, const ListNode *node) noexcept {
    if (!list || node == list) return nullptr;
    ListNode *candidate = list;
    // The comparison comes before the end test, so the node 0 answers the
    // list's last node.
    for (ListNode *current = list->next;; current = current->next) {
        if (current == node) return candidate;
        if (!current) return nullptr;
        candidate = current;
    }
}

void move_first(ListNode *list, ListNode *node, ListNode *before) noexcept {
    // Moving the first node to the front would link it to itself.
    if (!node || node == list) return;
    if (before && before != node) before->next = node->next;
    node->next = list;
}

ListBuilder::~ListBuilder() { free_chain(head_); }

void ListBuilder::clear() noexcept {
    free_chain(head_);
    head_ = tail_ = nullptr;
}

bool ListBuilder::add(std::string_view name, std::string_view data, DataForm form, bool padded) noexcept {
    ListNode *node = add_behind(tail_, name, data, form, padded);
    if (!node) return false;
    if (!head_) head_ = node;
    tail_ = node;
    return node->name || trim_blanks(name).empty();
}

ListNode *ListBuilder::release() noexcept {
    ListNode *list = head_;
    head_ = tail_ = nullptr;
    return list;
}

void free_chain(ListNode *node) noexcept {
    // Nodes appended one after another lie side by side: the ones a few
    // places further on are asked for early, so that memory waits overlap.
    constexpr int kAhead = 8;
    ChainRelease release;
    while (node) {
        prefetch_ahead(node, kAhead);
        ListNode *next = node->next;
        release(node->data);
        release(node->name);
        release(node);
        node = next;
    }
}

} // namespace velk::list
