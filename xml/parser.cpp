// A state machine over bytes. Tag names, attribute names and values, character
// data and comment bodies are each a contiguous run of the input, so the
// parser keeps them as views and takes each run whole (memchr for data,
// values and comments) instead of appending byte by byte. Line and column are
// only needed for a message, so they are counted from the start when one is
// made.
#include "xml/parser.h"

#include <cstring>
#include <string>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "frame/errors.h"
#include "frame/messages.h"
#include "frame/text.h"
#include "xml/lexing.h"
#include "xml/position.h"
#include "xml/tree.h"
#include "xml/unescape.h"

namespace velk::xml {

namespace {

using lex::byte_at;
using lex::is_blank;
using lex::is_quote;

// The first byte from i on that equals c, or null. Runs between tags and
// attribute values are mostly short: the first 64 bytes are searched here,
// 16 at a time where the processor compares 16 bytes at once, so that a
// short run costs no call; longer runs go to memchr.
inline const char *find_byte(const char *s, std::size_t i, std::size_t n, char c) {
    std::size_t short_end = i + 64 < n ? i + 64 : n;
#if defined(__SSE2__)
    const __m128i needle = _mm_set1_epi8(c);
    for (; i + 16 <= short_end; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
        if (const int hits = _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, needle)))
            return s + i + __builtin_ctz(hits);
    }
#endif
    for (; i < short_end; ++i)
        if (s[i] == c) return s + i;
    return i < n ? static_cast<const char *>(std::memchr(s + i, c, n - i)) : nullptr;
}

// Where the machine stopped, and why.
struct Failure {
    bool failed = false;
    bool out_of_memory = false;
    std::size_t at = 0;  // the byte the message is about
    std::string message; // without its position; empty for memory
};

class Parser {
  public:
    Parser(std::string_view text, std::size_t origin) : s_(text.data()), n_(text.size()), origin_(origin) {}
    ~Parser() {
        // Whatever is still held here was not handed to the caller.
        free_chain(root_);
        free_attribs(pending_);
    }
    Parser(const Parser &) = delete;
    Parser &operator=(const Parser &) = delete;

    // Runs the machine. Returns the root and gives up ownership of the tree;
    // null with failure() told on failure.
    XmlNode *run();
    const Failure &failure() const { return failure_; }

  private:
    std::string_view slice(std::size_t from, std::size_t to) const { return {s_ + from, to - from}; }
    // Notes the message, placed at the byte at; false, which stops the
    // machine.
    bool fail(std::size_t at, std::string_view message) {
        failure_ = {true, false, at, std::string(message)};
        return false;
    }
    // Memory ran out: the message is made once the tree is released.
    bool out_of_memory(std::size_t at) {
        failure_ = {true, true, at, {}};
        return false;
    }

    // A stored text of the bytes, a run of the input, with the entities
    // unescaped when unescape is set. Null for the empty text; *out_of_memory
    // tells a refused block from an empty text.
    char *store(std::string_view bytes, bool unescape, bool *out_of_memory);
    XmlNode *new_node(std::int32_t type, std::int32_t closed);
    // The handlers of finished tokens; each answers false when it failed,
    // with the failure noted.
    bool close_tag(std::size_t at);
    bool end_tag(std::size_t at);
    bool text_node(std::size_t at, std::string_view data);
    bool comment_node(std::size_t at, std::string_view body);
    bool store_attrib(std::size_t at, char quote, std::string_view value);

    const char *s_;
    std::size_t n_;
    std::size_t origin_; // index of the first "<"

    XmlNode *root_ = nullptr;
    XmlNode *last_ = nullptr; // the node made last, or the element an end tag closed
    XmlNode *tail_ = nullptr; // end of the creation chain
    std::int32_t depth_ = 0;  // elements open here
    XmlAttrib *pending_ = nullptr, *pending_tail_ = nullptr;
    bool closed_mark_ = false;
    std::string_view tag_;  // tag text of the token in hand
    std::string_view name_; // attribute name in hand
    Failure failure_;
};

VELK_ALWAYS_INLINE char *Parser::store(std::string_view bytes, bool unescape, bool *out_of_memory) {
    const std::size_t size = bytes.size();
    if (size == 0) return nullptr;
    char *block;
#if defined(VELK_SHORT_TEXTS_AT_ONCE)
    // Most names, values and texts between tags are this short: the block of
    // up to 15 bytes and its NUL is 16 bytes, and the input holds 16 bytes
    // from the text on, so the text is copied and its end cleared at once,
    // with no branch on its length.
    if (size < 16 && bytes.data() + 16 <= s_ + n_) {
        block = static_cast<char *>(mem_get_written(16)); // the 16 bytes are stored below
        if (!block) {
            *out_of_memory = true;
            return nullptr;
        }
        const __m128i text = first_bytes(bytes.data(), size);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(block), text);
        if (!unescape || !_mm_movemask_epi8(_mm_cmpeq_epi8(text, _mm_set1_epi8('&')))) return block;
        std::memset(block, 0, size);
        unclean_into(block, bytes);
        return block;
    }
#endif
    // Each of the block's bytes is written below.
    block = static_cast<char *>(mem_get_written(size + 1));
    if (!block) {
        *out_of_memory = true;
        return nullptr;
    }
    block[size] = 0;
    // The zeros behind a text that unescaping shortened are its NUL.
    const bool entities = size <= 16 ? copy_short(block, bytes.data(), size, '&') && unescape
                                     : unescape && std::memchr(bytes.data(), '&', size) != nullptr;
    if (entities) {
        std::memset(block, 0, size);
        unclean_into(block, bytes);
    } else if (size > 16) {
        std::memcpy(block, bytes.data(), size);
    }
    return block;
}

// Inlined where it is called: every node of the tree is made here.
VELK_ALWAYS_INLINE XmlNode *Parser::new_node(std::int32_t type, std::int32_t closed) {
    // Every field is written here, so the block need not be zero-filled.
    auto *node = static_cast<XmlNode *>(mem_get_written(sizeof(XmlNode)));
    if (!node) return nullptr;
    *node = XmlNode{};
    node->nodeType = type;
    node->closed = closed;
    // Placement: beside the last node when at its depth, else its first child
    // (the last node is then an open element).
    if (!root_) {
        root_ = node;
    } else {
        tail_->docNext = node;
        node->depth = depth_;
        // Chosen without a branch: the two alternate with no pattern that
        // the processor could learn.
        const bool beside = depth_ == last_->depth;
        node->parent = beside ? last_->parent : last_;
        node->prevSibling = beside ? last_ : nullptr;
        *(beside ? &last_->nextSibling : &last_->firstChild) = node;
    }
    tail_ = last_ = node;
    return node;
}

// ">" ends the tag in hand, whose name is not empty: an end tag, an
// element or a processing instruction. Data follows.
VELK_ALWAYS_INLINE bool Parser::close_tag(std::size_t at) {
    if (tag_[0] == '/') return end_tag(at);
    bool instruction = tag_[0] == '?';
    XmlNode *node = new_node(instruction ? kInstruction : kElement, instruction || closed_mark_ ? 1 : 0);
    if (!node) return out_of_memory(at);
    node->attribs = pending_;
    pending_ = pending_tail_ = nullptr;
    bool oom = false;
    node->tag = store(tag_, false, &oom);
    if (oom) return out_of_memory(at);
    if (!node->closed) ++depth_;
    closed_mark_ = false;
    return true;
}

bool Parser::end_tag(std::size_t at) {
    XmlNode *parent = last_ ? last_->parent : nullptr;
    last_ = parent;
    --depth_;
    if (pending_) { // an end tag's attributes are not kept
        free_attribs(pending_);
        pending_ = pending_tail_ = nullptr;
    }
    closed_mark_ = false;
    std::string_view name = tag_.substr(1);
    if (!parent) return fail(at, messages::too_many_end_tags(tag_));
    // The stored tag is the name when it holds the name's bytes and ends
    // there: no need to measure it first. (A name holds no NUL: it is a blank.)
    const char *open = parent->tag;
    if (name.empty() ? open != nullptr
                     : !open || std::strncmp(open, name.data(), name.size()) != 0 || open[name.size()] != 0)
        return fail(at, messages::nesting_error(tag_of(parent), name));
    return true;
}

VELK_ALWAYS_INLINE bool Parser::text_node(std::size_t at, std::string_view data) {
    XmlNode *node = new_node(kText, 1);
    if (!node) return out_of_memory(at);
    bool oom = false;
    node->tag = store(data, true, &oom);
    if (oom) return out_of_memory(at);
    closed_mark_ = false;
    return true;
}

bool Parser::comment_node(std::size_t at, std::string_view body) {
    XmlNode *node = new_node(kComment, 1);
    if (!node) return out_of_memory(at);
    // The body runs up to the ">", so its last two bytes are the "--".
    if (body.size() >= 2) body.remove_suffix(2);
    bool oom = false;
    node->tag = text_store("!--");
    node->comment = store(body, false, &oom);
    if (!node->tag) oom = true;
    if (oom) return out_of_memory(at);
    closed_mark_ = false;
    return true;
}

bool Parser::store_attrib(std::size_t at, char quote, std::string_view value) {
    auto *attrib = static_cast<XmlAttrib *>(mem_get_written(sizeof(XmlAttrib)));
    if (!attrib) return out_of_memory(at);
    *attrib = XmlAttrib{};
    if (pending_tail_)
        pending_tail_->next = attrib;
    else
        pending_ = attrib;
    pending_tail_ = attrib;
    attrib->quote = quote;
    bool oom = false;
    attrib->name = store(name_, true, &oom);
    attrib->value = store(value, true, &oom);
    return oom ? out_of_memory(at) : true;
}

// The machine's states are the labels below, and each goes on to the next
// with a jump of its own, so that the processor learns each state's way on
// apart from the others'. Every state begins where its token's next byte
// is; the input's end, in any state, ends the machine: a token left
// unfinished is dropped, and open elements stay as they are. A handler that
// fails stops it at once.
XmlNode *Parser::run() {
    std::size_t i = origin_ + 1;
    std::size_t start = i; // where the tag name, attribute name, value or body in hand began
    std::size_t j = 0;     // the byte that ends the token in hand
    bool equals = false;   // an "=" was met after the attribute name
    char quote = 0;
    unsigned char c = 0;
    lex::TagName t{};

tag_name: // i == start, the byte after a "<"
    if (i >= n_) goto done;
    t = lex::tag_name(s_, n_, start);
    i = t.at + 1;
    switch (t.end) {
    case lex::NameEnd::unfinished:
        goto done;
    case lex::NameEnd::blank:
        if (t.name_end == start) {
            fail(t.at, messages::kEmptyTagName);
            return nullptr;
        }
        tag_ = slice(start, t.name_end);
        goto between_attribs;
    case lex::NameEnd::comment:
        tag_ = slice(start, t.name_end);
        start = i;
        goto comment;
    case lex::NameEnd::invalid: {
        fail(t.at, messages::kInvalidTagNameCharacter);
        return nullptr;
    }
    case lex::NameEnd::gt:
        if (t.name_end == start) {
            // "<>" is the one ">" after which the machine does not read
            // data: it ends an empty text as "<" does, so what follows is
            // read as a tag name. In "<a><>b>x</a>" the "b" is an element's
            // name, and "x" its text.
            if (!text_node(t.at, {})) return nullptr;
            start = i;
            goto tag_name;
        }
        tag_ = slice(start, t.name_end);
        start = i;
        break;
    case lex::NameEnd::slash_blank: // "<b/ >" closes the element as "<b / >" does
        closed_mark_ = true;
        tag_ = slice(start, t.name_end);
        goto between_attribs;
    case lex::NameEnd::slash_gt: // "<b/>" closes it as "<b />" does
        closed_mark_ = true;
        [[fallthrough]];
    case lex::NameEnd::question_gt:
        tag_ = slice(start, t.name_end);
        start = i;
        break;
    }
    if (!close_tag(t.at)) return nullptr;
    goto data;

between_attribs:
    for (;; ++i) {
        if (i >= n_) goto done;
        c = byte_at(s_, i);
        if (c > '>') break; // a name begins: above every byte with a role here
        if (is_blank(c)) continue;
        if (c == '>') {
            start = i + 1;
            if (!close_tag(i)) return nullptr;
            i = start;
            goto data;
        }
        if (c == '/') {
            closed_mark_ = true;
            continue;
        }
        if (is_quote(c) || c == '<' || c == '=') {
            fail(i, messages::invalid_attribute_name_character(char(c)));
            return nullptr;
        }
        break;
    }
    closed_mark_ = false;
    start = i++;
    goto attrib_name;

attrib_name:
    if (i >= n_) goto done;
    j = lex::run_end<lex::AttribNameStops>(s_, i, n_);
    i = j + 1;
    if (j == n_) goto done; // an unfinished name
    c = byte_at(s_, j);
    if (is_blank(c) || c == '=') {
        equals = c == '=';
        name_ = slice(start, j);
        goto before_value;
    }
    if (c != '>') {
        fail(j, messages::invalid_attribute_name_character_2(char(c)));
        return nullptr;
    }
    // A name without a value, last in its tag, is dropped.
    start = i;
    if (!close_tag(j)) return nullptr;
    goto data;

before_value:
    for (;; ++i) {
        if (i >= n_) goto done;
        c = byte_at(s_, i);
        if (c == '=') {
            if (equals) {
                fail(i, messages::kDoubleEquals);
                return nullptr;
            }
            equals = true;
        } else if (is_quote(c)) {
            if (!equals) {
                fail(i, messages::kNoEquals);
                return nullptr;
            }
            quote = static_cast<char>(c);
            start = ++i;
            goto value;
        } else if (c == '>' || c == '/') {
            fail(i, messages::no_attribute_value(name_));
            return nullptr;
        } else if (!is_blank(c)) {
            fail(i, messages::invalid_before_attribute_value(name_, c));
            return nullptr;
        }
    }

value:
    if (i >= n_) goto done;
    if (const char *q = find_byte(s_, i, n_, quote)) {
        j = static_cast<std::size_t>(q - s_);
        i = j + 1;
        if (!store_attrib(j, quote, slice(start, j))) return nullptr;
        goto between_attribs;
    }
    goto done;

data:
    if (i >= n_) goto done;
    if (const char *lt = find_byte(s_, i, n_, '<')) {
        j = static_cast<std::size_t>(lt - s_);
        if (!text_node(j, slice(start, j))) return nullptr;
        start = i = j + 1;
        goto tag_name;
    }
    goto done; // text after the last tag is not kept

comment:
    if (i >= n_) goto done;
    j = lex::comment_end(s_, n_, i);
    if (j >= n_) goto done;
    if (!comment_node(j, slice(start, j))) return nullptr;
    start = i = j + 1;
    goto data;

done:
    XmlNode *root = root_;
    root_ = nullptr;
    return root;
}

} // namespace

XmlNode *parse(std::string_view text) {
    if (text.empty()) {
        set_error(Family::xml, messages::kEmptyXml);
        return nullptr;
    }
    const void *lt = std::memchr(text.data(), '<', text.size());
    if (!lt) {
        set_error(Family::xml, messages::kNoStartingTag);
        return nullptr;
    }
    const auto origin = static_cast<std::size_t>(static_cast<const char *>(lt) - text.data());
    XmlNode *root;
    Failure failure;
    {
        Parser parser(text, origin);
        root = parser.run();
        if (!root) failure = parser.failure();
    } // a tree left half made is released here, before the message is made
    if (!failure.failed) return root;
    const auto [line, column] = message_position(text, origin, failure.at);
    if (failure.out_of_memory) {
        // Made without a block of memory: memory may still be short.
        char room[64];
        set_error(Family::xml,
                  messages::at_position_in(room, sizeof room, line, column, messages::kOutOfMemory));
    } else {
        set_error(Family::xml, messages::at_position(line, column, failure.message));
    }
    return nullptr;
}

} // namespace velk::xml
