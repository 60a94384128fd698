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
#include "xml/tree.h"
#include "xml/unescape.h"

namespace velk::xml {

namespace {

// The machine's states. Each step of the loop and each handler of a finished
// token answers the state the machine goes on in; failed stops it, with the
// message set.
enum class State { tag_name, between_attribs, attrib_name, before_value, value, data, comment, failed };

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

// A stored text of the bytes with the entities unescaped. Null for the empty
// text; *out_of_memory tells a refused block from an empty text.
char *store_unclean(std::string_view bytes, bool *out_of_memory) {
    if (bytes.empty()) return nullptr;
    auto *block = static_cast<char *>(mem_get(bytes.size() + 1));
    if (!block) {
        *out_of_memory = true;
        return nullptr;
    }
    // The zero fill supplies the NUL behind a text that unescaping shortened.
    const bool entities = bytes.size() <= 16 ? copy_short(block, bytes.data(), bytes.size(), '&')
                                             : std::memchr(bytes.data(), '&', bytes.size()) != nullptr;
    if (entities) {
        std::memset(block, 0, bytes.size());
        unclean_into(block, bytes);
    } else if (bytes.size() > 16) {
        std::memcpy(block, bytes.data(), bytes.size());
    }
    return block;
}

char *store_raw(std::string_view bytes, bool *out_of_memory) {
    char *block = text_store(bytes);
    if (!block && !bytes.empty()) *out_of_memory = true;
    return block;
}

// Where the machine stopped, and why.
struct Failure {
    bool failed = false;
    bool out_of_memory = false;
    std::size_t at = 0;  // the byte the message is about
    std::string message; // without its position; empty for memory
};

// The message's position of the byte at. Line: one more for every carriage
// return; a line feed is an ordinary byte. Column: distance from the first
// "<" (origin) on the first line, from the last carriage return (which is
// column 1) after that.
void position(std::string_view text, std::size_t origin, std::size_t at, long *line, std::size_t *column) {
    const char *s = text.data();
    *line = 1;
    std::size_t line_start = origin;
    std::size_t column_base = 0;
    const char *p = s + origin + 1;
    const char *end = s + at + 1;
    while (const auto *cr =
               static_cast<const char *>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)))) {
        ++*line;
        line_start = static_cast<std::size_t>(cr - s);
        column_base = 1;
        p = cr + 1;
    }
    *column = at - line_start + column_base;
}

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
    // Notes the message, placed at the byte at, and stops the machine.
    State fail(std::size_t at, std::string_view message) {
        failure_ = {true, false, at, std::string(message)};
        return State::failed;
    }
    // Memory ran out: the message is made once the tree is released.
    State out_of_memory(std::size_t at) {
        failure_ = {true, true, at, {}};
        return State::failed;
    }

    XmlNode *new_node(std::int32_t type, std::int32_t closed);
    // The handlers of finished tokens; each answers the next state.
    State close_tag(std::size_t at);
    State end_tag(std::size_t at);
    State text_node(std::size_t at, std::string_view data);
    State comment_node(std::size_t at, std::string_view body);
    State store_attrib(std::size_t at, char quote, std::string_view value);

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

XmlNode *Parser::new_node(std::int32_t type, std::int32_t closed) {
    auto *node = make_record<XmlNode>();
    if (!node) return nullptr;
    node->nodeType = type;
    node->closed = closed;
    // Placement: beside the last node when at its depth, else its first child
    // (the last node is then an open element).
    if (!root_) {
        root_ = node;
    } else {
        tail_->docNext = node;
        node->depth = depth_;
        if (depth_ == last_->depth) {
            last_->nextSibling = node;
            node->prevSibling = last_;
            node->parent = last_->parent;
        } else {
            last_->firstChild = node;
            node->parent = last_;
        }
    }
    tail_ = last_ = node;
    return node;
}

// ">" ends the token in hand: an end tag, an element, a processing
// instruction, or (for "<>") an empty text.
State Parser::close_tag(std::size_t at) {
    if (!tag_.empty() && tag_[0] == '/') return end_tag(at);
    // "<>" is the one ">" after which the machine does not read data: it ends
    // an empty text as "<" does, so what follows is read as a tag name. In
    // "<a><>b>x</a>" the "b" is an element's name, and "x" its text.
    if (tag_.empty()) return text_node(at, {});
    bool instruction = tag_[0] == '?';
    XmlNode *node = new_node(instruction ? kInstruction : kElement, instruction || closed_mark_ ? 1 : 0);
    if (!node) return out_of_memory(at);
    node->attribs = pending_;
    pending_ = pending_tail_ = nullptr;
    bool oom = false;
    node->tag = store_raw(tag_, &oom);
    if (oom) return out_of_memory(at);
    if (!node->closed) ++depth_;
    closed_mark_ = false;
    return State::data;
}

State Parser::end_tag(std::size_t at) {
    XmlNode *parent = last_ ? last_->parent : nullptr;
    last_ = parent;
    --depth_;
    free_attribs(pending_);
    pending_ = pending_tail_ = nullptr;
    closed_mark_ = false;
    std::string_view name = tag_.substr(1);
    if (!parent) return fail(at, messages::too_many_end_tags(tag_));
    // The stored tag is the name when it holds the name's bytes and ends
    // there: no need to measure it first. (A name holds no NUL: it is a blank.)
    const char *open = parent->tag;
    if (name.empty() ? open != nullptr
                     : !open || std::strncmp(open, name.data(), name.size()) != 0 || open[name.size()] != 0)
        return fail(at, messages::nesting_error(tag_of(parent), name));
    return State::data;
}

State Parser::text_node(std::size_t at, std::string_view data) {
    XmlNode *node = new_node(kText, 1);
    if (!node) return out_of_memory(at);
    bool oom = false;
    node->tag = store_unclean(data, &oom);
    if (oom) return out_of_memory(at);
    closed_mark_ = false;
    return State::tag_name;
}

State Parser::comment_node(std::size_t at, std::string_view body) {
    XmlNode *node = new_node(kComment, 1);
    if (!node) return out_of_memory(at);
    // The body runs up to the ">", so its last two bytes are the "--".
    if (body.size() >= 2) body.remove_suffix(2);
    bool oom = false;
    node->tag = store_raw("!--", &oom);
    node->comment = store_raw(body, &oom);
    if (oom) return out_of_memory(at);
    closed_mark_ = false;
    return State::data;
}

State Parser::store_attrib(std::size_t at, char quote, std::string_view value) {
    auto *attrib = make_record<XmlAttrib>();
    if (!attrib) return out_of_memory(at);
    if (pending_tail_)
        pending_tail_->next = attrib;
    else
        pending_ = attrib;
    pending_tail_ = attrib;
    attrib->quote = quote;
    bool oom = false;
    attrib->name = store_unclean(name_, &oom);
    attrib->value = store_unclean(value, &oom);
    return oom ? out_of_memory(at) : State::between_attribs;
}

XmlNode *Parser::run() {
    State state = State::tag_name;
    std::size_t i = origin_ + 1;
    std::size_t start = i; // where the tag name, attribute name, value or body in hand began
    bool equals = false;   // an "=" was met after the attribute name
    char quote = 0;

    while (i < n_) {
        switch (state) {
        case State::failed:
            return nullptr; // the destructor releases what was made
        case State::tag_name: {
            const lex::TagName t = lex::tag_name(s_, n_, start);
            i = t.at + 1;
            switch (t.end) {
            case lex::NameEnd::unfinished: // the input ends the loop
                break;
            case lex::NameEnd::blank:
                tag_ = slice(start, t.name_end);
                state = t.name_end == start ? fail(t.at, messages::kEmptyTagName) : State::between_attribs;
                break;
            case lex::NameEnd::comment:
                tag_ = slice(start, t.name_end);
                state = State::comment;
                start = i;
                break;
            case lex::NameEnd::invalid:
                state = fail(t.at, messages::kInvalidTagNameCharacter);
                break;
            case lex::NameEnd::gt:
                tag_ = slice(start, t.name_end);
                state = close_tag(t.at);
                start = i;
                break;
            case lex::NameEnd::slash_blank: // "<b/ >" closes the element as "<b / >" does
                closed_mark_ = true;
                tag_ = slice(start, t.name_end);
                state = State::between_attribs;
                break;
            case lex::NameEnd::slash_gt: // "<b/>" closes it as "<b />" does
                closed_mark_ = true;
                [[fallthrough]];
            case lex::NameEnd::question_gt:
                tag_ = slice(start, t.name_end);
                state = close_tag(t.at);
                start = i;
                break;
            }
            break;
        }
        case State::between_attribs: {
            unsigned char c = byte_at(s_, i);
            if (is_blank(c)) {
                ++i;
            } else if (is_quote(c) || c == '<' || c == '=') {
                state = fail(i, messages::invalid_attribute_name_character(char(c)));
            } else if (c == '>') {
                state = close_tag(i);
                start = ++i;
            } else if (c == '/') {
                closed_mark_ = true;
                ++i;
            } else {
                closed_mark_ = false;
                start = i++;
                state = State::attrib_name;
            }
            break;
        }
        case State::attrib_name: {
            std::size_t j = lex::run_end<lex::AttribNameStops>(s_, i, n_);
            i = j + 1;
            if (j == n_) break; // an unfinished name: the input ends the loop
            unsigned char c = byte_at(s_, j);
            if (is_blank(c) || c == '=') {
                equals = c == '=';
                name_ = slice(start, j);
                state = State::before_value;
            } else if (c == '>') { // a name without a value, last in its tag, is dropped
                state = close_tag(j);
                start = i;
            } else {
                state = fail(j, messages::invalid_attribute_name_character_2(char(c)));
            }
            break;
        }
        case State::before_value: {
            unsigned char c = byte_at(s_, i);
            if (c == '=') {
                if (equals) state = fail(i, messages::kDoubleEquals);
                equals = true;
            } else if (is_quote(c)) {
                quote = static_cast<char>(c);
                start = i + 1;
                state = equals ? State::value : fail(i, messages::kNoEquals);
            } else if (c == '>' || c == '/') {
                state = fail(i, messages::no_attribute_value(name_));
            } else if (!is_blank(c)) {
                state = fail(i, messages::invalid_before_attribute_value(name_, c));
            }
            ++i;
            break;
        }
        case State::value: {
            const char *q = find_byte(s_, i, n_, quote);
            if (!q) {
                i = n_;
                break;
            }
            std::size_t j = static_cast<std::size_t>(q - s_);
            state = store_attrib(j, quote, slice(start, j));
            i = j + 1;
            break;
        }
        case State::data: {
            const char *lt = find_byte(s_, i, n_, '<');
            if (!lt) { // text after the last tag is not kept
                i = n_;
                break;
            }
            std::size_t j = static_cast<std::size_t>(lt - s_);
            state = text_node(j, slice(start, j));
            start = i = j + 1;
            break;
        }
        case State::comment: {
            const std::size_t j = lex::comment_end(s_, n_, i);
            i = j + 1;
            if (j < n_) {
                state = comment_node(j, slice(start, j));
                start = i;
            }
            break;
        }
        }
    }
    if (state == State::failed) return nullptr; // failed at the last byte
    // A token left unfinished is dropped; open elements stay as they are.
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
    long line;
    std::size_t column;
    position(text, origin, failure.at, &line, &column);
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
