/*
 * VELK_XML for C++ (C++17): documents and lists that own what they hold,
 * node views, std::string results and exceptions, header-only over the
 * exports (velk_xml.h), the editing functions (velk_edit.h) and the strict
 * parse (velk_check.h; a program that calls parse_strict or
 * parse_file_strict links libvelk_check too).
 *
 *     velk::Document doc = velk::Document::parse_file_strict("config.xml");
 *     velk::Node server = doc.root().child("server");
 *     server.child("timeout").set_text("30");
 *     server.set_attribute("port", "8443");
 *     doc.save("config.xml");
 *
 * A Document or a List is move-only and releases its records when it goes.
 * A Node is a view: a handle that lives as long as its document (and until
 * it is removed). Results are std::string copies, never a z return buffer.
 * Failures throw velk::Error with the library's message (and, for a strict
 * parse, the check's line and column); memory running out throws
 * std::bad_alloc. Costs are those of the calls underneath, stated in
 * velk_xml.h and velk_edit.h: child() and attribute() walk the children or
 * attributes, find() the document; List::append is constant time, lookups
 * walk the list.
 */
#ifndef VELK_XML_HPP
#define VELK_XML_HPP

#include <cstdint>
#include <iterator>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "velk_check.h"
#include "velk_edit.h"
#include "velk_strings.h"

namespace velk {

class Error : public std::runtime_error {
  public:
    explicit Error(const std::string &message, int line = 0, int column = 0)
        : std::runtime_error(message), line_(line), column_(column) {}
    // Where a strict parse found the fault, as editors count; 0 otherwise.
    int line() const noexcept { return line_; }
    int column() const noexcept { return column_; }

  private:
    int line_, column_;
};

enum class NodeType {
    element = VELK_NODE_ELEMENT,
    text = VELK_NODE_TEXT,
    comment = VELK_NODE_COMMENT,
    instruction = VELK_NODE_INSTRUCTION
};

namespace detail {

inline velk_bstr arg(std::string_view bytes) {
    velk_bstr s = velk_strings::make_string(bytes);
    if (!s && !bytes.empty()) throw std::bad_alloc();
    return s;
}
inline std::string_view view(const char *stored) {
    return stored ? std::string_view(stored) : std::string_view();
}

} // namespace detail

// An attribute of an element, as stored: its name and its raw value.
class Attribute {
  public:
    explicit Attribute(const XmlAttrib *record) : record_(record) {}
    std::string_view name() const { return detail::view(record_->name); }
    std::string_view value() const { return detail::view(record_->value); }

  private:
    const XmlAttrib *record_;
};

class Node;

namespace detail {
// The next record of a chain: a node's next sibling, an attribute's next.
inline const XmlNode *next_of(const XmlNode *n) { return n->nextSibling; }
inline const XmlAttrib *next_of(const XmlAttrib *a) { return a->next; }
inline const ListNode *next_of(const ListNode *e) { return e->next; }
} // namespace detail

// A forward range over a chain of records: children, or attributes.
template <class Record, class View> class Range {
  public:
    class iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = View;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = View;
        explicit iterator(const Record *at = nullptr) : at_(at) {}
        View operator*() const { return View(at_); }
        iterator &operator++() {
            at_ = detail::next_of(at_);
            return *this;
        }
        iterator operator++(int) {
            iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const iterator &other) const { return at_ == other.at_; }
        bool operator!=(const iterator &other) const { return at_ != other.at_; }

      private:
        const Record *at_;
    };
    explicit Range(const Record *first) : first_(first) {}
    iterator begin() const { return iterator(first_); }
    iterator end() const { return iterator(); }

  private:
    const Record *first_;
};

// A node of a document: a view that is valid while the node is in its
// document. A default Node is none (false); the navigation calls give none
// where there is no such node, and the calls that read or change a node
// throw Error on none.
class Node {
  public:
    Node() = default;
    explicit Node(velk_handle handle) : handle_(handle) {}
    explicit Node(const XmlNode *record) : handle_(reinterpret_cast<velk_handle>(record)) {}
    explicit operator bool() const { return handle_ != 0; }
    bool operator==(const Node &other) const { return handle_ == other.handle_; }
    bool operator!=(const Node &other) const { return handle_ != other.handle_; }
    velk_handle handle() const { return handle_; }

    NodeType type() const { return static_cast<NodeType>(record()->nodeType); }
    // An element's or instruction's name ("?xml"), a text's text, "!--" for a comment.
    std::string_view name() const { return detail::view(record()->tag); }
    // An element's data: the text of its first text descendant (xmlChildData).
    std::string text() const { return velk_strings::take_string(xmlChildData(handle())); }
    // A comment's body.
    std::string_view comment() const { return detail::view(record()->comment); }

    Node parent() const { return Node(record()->parent); }
    Node first_child() const { return Node(record()->firstChild); }
    Node next_sibling() const { return Node(record()->nextSibling); }
    Node previous_sibling() const { return Node(record()->prevSibling); }
    // The first child element named tag (outer blanks of tag ignored); none when there is none.
    Node child(std::string_view tag) const { return Node(xmlFindChild(handle(), detail::arg(tag))); }
    Range<XmlNode, Node> children() const { return Range<XmlNode, Node>(record()->firstChild); }
    Range<XmlAttrib, Attribute> attributes() const { return Range<XmlAttrib, Attribute>(record()->attribs); }
    std::optional<std::string> attribute(std::string_view name) const {
        if (!xmlAttribExists(handle(), detail::arg(name))) return std::nullopt;
        return velk_strings::take_string(xmlAttribValue(handle(), detail::arg(name)));
    }

    void set_attribute(std::string_view name, std::string_view value) {
        if (!xmlSetAttrib(handle(), detail::arg(name), detail::arg(value)))
            throw Error("the attribute '" + std::string(name) + "' could not be set");
    }
    // Sets an element's text (velk_set_text): that of its first text child.
    void set_text(std::string_view text) {
        if (!velk_set_text(handle(), std::string(text).c_str())) throw Error("the text could not be set");
    }
    // A new element (with text when not empty) as this node's last or first
    // child, or as its sibling before or after it.
    Node append_child(std::string_view tag, std::string_view text = {}) {
        return add(VELK_LAST_CHILD, tag, text);
    }
    Node prepend_child(std::string_view tag, std::string_view text = {}) {
        return add(VELK_FIRST_CHILD, tag, text);
    }
    Node insert_before(std::string_view tag, std::string_view text = {}) {
        return add(VELK_BEFORE, tag, text);
    }
    Node insert_after(std::string_view tag, std::string_view text = {}) { return add(VELK_AFTER, tag, text); }
    // Takes the node out of its document and releases it with its subtree;
    // this view (and those of its descendants) is none afterwards.
    void remove() {
        if (!velk_remove(handle())) throw Error("the node could not be removed");
        handle_ = 0;
    }

  private:
    const XmlNode *record() const {
        if (!handle_) throw Error("no such node");
        return VELK_XML_NODE(handle_);
    }
    Node add(int where, std::string_view tag, std::string_view text) {
        velk_handle made =
            velk_new_element(handle(), where, std::string(tag).c_str(), std::string(text).c_str());
        if (!made) throw Error("the element '" + std::string(tag) + "' could not be added here");
        return Node(made);
    }
    velk_handle handle_ = 0;
};

// A parsed document, released when it goes.
class Document {
  public:
    Document() = default;
    ~Document() { xmlFree(doc_); }
    Document(Document &&other) noexcept : doc_(std::exchange(other.doc_, 0)) {}
    Document &operator=(Document &&other) noexcept {
        if (this != &other) {
            xmlFree(doc_);
            doc_ = std::exchange(other.doc_, 0);
        }
        return *this;
    }
    Document(const Document &) = delete;
    Document &operator=(const Document &) = delete;

    // The lenient parse of velk_xml.h: Error with the parser's message.
    static Document parse(std::string_view text) {
        velk_bstr s = detail::arg(text);
        Document doc(xmlParse(&s));
        velk_strings::free_string(s);
        return doc.or_error();
    }
    static Document parse_file(const std::string &path) {
        velk_bstr s = detail::arg(path);
        Document doc(xmlParseFile(&s));
        velk_strings::free_string(s);
        return doc.or_error();
    }
    // The strict parse of velk_check.h: Error with the check's first finding
    // and its line and column.
    static Document parse_strict(std::string_view text) {
        VelkCheckResult found;
        Document doc(velk_parse_strict(text.data(), text.size(), &found));
        return doc.or_error(found);
    }
    static Document parse_file_strict(const std::string &path) {
        VelkCheckResult found;
        Document doc(velk_parse_file_strict(path.c_str(), &found));
        return doc.or_error(found);
    }

    explicit operator bool() const { return doc_ != 0; }
    velk_handle handle() const { return doc_; }
    // Gives up the document: the caller releases it with xmlFree.
    velk_handle release() { return std::exchange(doc_, 0); }

    // The first node (the handle of the document), the top-level element.
    Node first() const { return Node(doc_); }
    Node root() const { return Node(velk_root_element(doc_)); }
    // The first element named tag (with attribute attr_name of attr_value
    // when a name is given) in document order.
    Node find(std::string_view tag, std::string_view attr_name = {}, std::string_view attr_value = {}) const {
        return Node(xmlFindNode(doc_, VELK_ANY_DEPTH, detail::arg(tag), detail::arg(attr_name),
                                detail::arg(attr_value)));
    }

    std::string to_string(bool indented = false) const {
        return velk_strings::take_string(xmlTreeToString(doc_, indented ? VELK_INDENTED : VELK_COMPACT));
    }
    // Writes the compact text to a file, replacing it unless told not to.
    void save(const std::string &path, bool replace = true) const {
        if (!xmlTreeToFile(doc_, detail::arg(path), replace ? VELK_OVERWRITE : VELK_KEEP_EXISTING))
            throw Error(xmlzLastError());
    }

  private:
    explicit Document(velk_handle doc) : doc_(doc) {}
    Document or_error() {
        if (!doc_) throw Error(xmlzLastError());
        return std::move(*this);
    }
    Document or_error(const VelkCheckResult &found) {
        if (!doc_) throw Error(found.message, found.line, found.column);
        return std::move(*this);
    }
    velk_handle doc_ = 0;
};

// A named list, released when it goes. Names are kept as the library keeps
// them (lower case, outer blanks removed); data as given.
class List {
  public:
    // An entry: its name and its data.
    class Entry {
      public:
        explicit Entry(const ListNode *record) : record_(record) {}
        std::string_view name() const { return detail::view(record_->name); }
        std::string_view data() const {
            return record_->data
                       ? std::string_view(record_->data, static_cast<std::size_t>(record_->capacity))
                       : std::string_view();
        }

      private:
        const ListNode *record_;
    };
    using Entries = Range<ListNode, Entry>;

    List() = default;
    ~List() { llFree(first_); }
    List(List &&other) noexcept
        : first_(std::exchange(other.first_, 0)), last_(std::exchange(other.last_, 0)) {}
    List &operator=(List &&other) noexcept {
        if (this != &other) {
            llFree(first_);
            first_ = std::exchange(other.first_, 0);
            last_ = std::exchange(other.last_, 0);
        }
        return *this;
    }
    List(const List &) = delete;
    List &operator=(const List &) = delete;

    // Loads a list file: Error with the library's message. A file without
    // entries loads as an empty list.
    static List load(const std::string &path) {
        // A list file without entries loads as no list and leaves the error
        // text alone; a known text set first tells the two apart.
        llzListFromFile("");
        const std::string before = llzLastError();
        List list;
        list.first_ = llListFromFile(detail::arg(path));
        if (!list.first_ && before != llzLastError()) throw Error(llzLastError());
        list.last_ = list.first_ ? llFindLast(list.first_) : 0;
        return list;
    }
    // Saves the list as a new list file (never over an existing one).
    void save(const std::string &path) const {
        if (!llListToFile(first_, detail::arg(path))) throw Error(llzLastError());
    }

    // Appends an entry, in constant time.
    void append(std::string_view name, std::string_view data) {
        velk_handle added = llAdd(last_, detail::arg(name), detail::arg(data));
        if (!added) throw std::bad_alloc();
        if (!first_) first_ = added;
        last_ = added;
    }
    // The data of the first entry of that name.
    std::optional<std::string> find(std::string_view name) const {
        velk_handle found = llFindByName(first_, detail::arg(name));
        if (!found) return std::nullopt;
        return std::string(Entry(VELK_LIST_NODE(found)).data());
    }
    // Sets the data of the first entry of that name, or appends one.
    void set(std::string_view name, std::string_view data) {
        velk_handle entry = llUpdateByName(first_, detail::arg(name), detail::arg(data));
        if (!entry) throw std::bad_alloc();
        if (!first_) first_ = entry;
        if (!llNext(entry)) last_ = entry;
    }
    // Removes the first entry of that name; false when there is none.
    bool erase(std::string_view name) {
        velk_handle found = llFindByName(first_, detail::arg(name));
        if (!found) return false;
        const velk_handle next = llNext(found);
        if (found == last_) last_ = found == first_ ? 0 : llFindPrev(first_, found);
        llDelete(first_, found);
        if (found == first_) first_ = next;
        return true;
    }
    // Orders the entries by their data, as text or as numbers (llSort).
    void sort(bool numeric = false) {
        first_ = llSort(first_, numeric ? VELK_SORT_NUMERIC : VELK_SORT_TEXT);
        last_ = first_ ? llFindLast(first_) : 0;
    }

    std::size_t size() const { return first_ ? static_cast<std::size_t>(llCount(first_)) : 0; }
    bool empty() const { return first_ == 0; }
    Entries::iterator begin() const { return entries().begin(); }
    Entries::iterator end() const { return entries().end(); }
    velk_handle handle() const { return first_; }

  private:
    Entries entries() const { return Entries(VELK_LIST_NODE(first_)); }
    velk_handle first_ = 0, last_ = 0;
};

} // namespace velk

#endif
