// The places the parser's messages give, and the bytes the tool finds again
// from them: one rule read both ways.
#include <string>

#include <gtest/gtest.h>

#include "xml/position.h"

namespace {

using velk::xml::message_offset;
using velk::xml::message_position;

TEST(MessagePosition, CountsCarriageReturnsFromTheFirstTag) {
    const std::string text = "  <a>\r\n<b>\n\r\r<c/>";
    const auto first = message_position(text, 2, 2);
    EXPECT_EQ(first.line, 1);
    EXPECT_EQ(first.column, 0u);
    const auto cr = message_position(text, 2, 5); // a carriage return is column 1 of its line
    EXPECT_EQ(cr.line, 2);
    EXPECT_EQ(cr.column, 1u);
    const auto c = message_position(text, 2, 14); // a line feed is an ordinary byte
    EXPECT_EQ(c.line, 4);
    EXPECT_EQ(c.column, 3u);
}

TEST(MessagePosition, EveryPlaceLeadsBackToItsByte) {
    const std::string text = "\r\n <r>\r<a>x\n</a>\r\n\r<!-- \r -->\r";
    const std::size_t origin = text.find('<');
    for (std::size_t at = origin; at < text.size(); ++at) {
        std::size_t back = 0;
        ASSERT_TRUE(message_offset(text, origin, message_position(text, origin, at), &back)) << at;
        EXPECT_EQ(back, at);
    }
    std::size_t back = 0;
    EXPECT_FALSE(message_offset(text, origin, {7, 0}, &back)); // past the last line
    EXPECT_FALSE(message_offset(text, origin, {2, 0}, &back)); // column 0 is on line 1 only
    EXPECT_FALSE(message_offset(text, origin, {1, 99}, &back));
}

} // namespace
