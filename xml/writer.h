// XML text from a tree: one node alone, or a node with its subtree and its
// following siblings. Compact (one line) or indented (a line per node,
// indented by the node's depth).
#pragma once

#include "xml/escape.h"
#include "xml/node.h"

namespace velk::xml {

// The markup of the node alone: start tag, instruction, comment or text.
// Nothing for a node without a tag. Texts are written as stored.
void write_node(TextBuffer &out, const XmlNode *node, bool indent);

// The node, its subtree with end tags, then each following sibling the same
// way, with every line end written as CR LF and lone CRs dropped. Throws
// std::bad_alloc when the text would not fit a counted string.
void write_tree(TextBuffer &out, const XmlNode *node, bool indent);

// The attribute part of a start tag: for every named attribute a blank, the
// name, "=", and the escaped value between the attribute's quote marks.
void append_attribs(TextBuffer &out, const XmlNode *node, LineEnds ends);

} // namespace velk::xml
