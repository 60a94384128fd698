// Well-formed XML documents made from fuzz bytes, for comparing verdicts:
// an optional byte order mark and XML declaration, comments, instructions
// and blanks around one top-level element, nested elements (kept on a stack,
// not by recursion) with attributes, texts with the five entities, line ends
// of every kind and non-ASCII UTF-8. Non-ASCII name characters are only
// ones that every edition of XML allows in names (é, α, 中, ·), so that a
// checker with older name tables accepts the names too. Prefixes are used
// only where declared, as the rules of namespaces have it.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

namespace velk_fuzz {

class DocumentMaker {
  public:
    explicit DocumentMaker(FuzzedDataProvider &in) : in_(in) {}
    // A new well-formed document, as long as the bytes last.
    std::string document();

  private:
    std::string name();
    // A name, or one with the prefix "p" where that is declared.
    std::string qualified();
    void blanks(bool at_least_one);
    void equals();
    void non_ascii(); // one character of any length that XML allows in text
    // Character data (quote 0), or an attribute value in that quote, without
    // the quotes.
    void characters(char quote);
    void comment();
    void instruction();
    void declaration();
    void misc(); // what may come before and after the top-level element
    // Writes a start tag; returns its name when the element stays open.
    bool start_tag(std::string *name, bool top);

    FuzzedDataProvider &in_;
    std::string out_;
    bool prefix_declared_ = false;
};

// Changes the document in a few places, chosen by the bytes: drops,
// duplicates or inserts a byte, or puts one markup delimiter for another.
void mutate(FuzzedDataProvider &in, std::string *document, int changes);

} // namespace velk_fuzz
