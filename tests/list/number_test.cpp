#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "list/number.h"

using velk::list::numeric_value;

namespace {
const double kInf = std::numeric_limits<double>::infinity();
double value(const std::string &text) { return numeric_value(text); }
} // namespace

TEST(NumericValue, DecimalNumbers) {
    EXPECT_EQ(value("42"), 42.0);
    EXPECT_EQ(value("-17"), -17.0);
    EXPECT_EQ(value("+3"), 3.0);
    EXPECT_EQ(value("2.5"), 2.5);
    EXPECT_EQ(value(".5"), 0.5);
    EXPECT_EQ(value("-.25"), -0.25);
    EXPECT_EQ(value("5."), 5.0);
    EXPECT_EQ(value("0.1"), 0.1);
    EXPECT_EQ(value("123456789012345678901234567890"), 123456789012345678901234567890.0);
    EXPECT_EQ(value("0.000001234"), 0.000001234);
}

TEST(NumericValue, ExponentWithEOrD) {
    EXPECT_EQ(value("1.5E2"), 150.0);
    EXPECT_EQ(value("1.5e+2"), 150.0);
    EXPECT_EQ(value("15D-1"), 1.5);
    EXPECT_EQ(value("15d1"), 150.0);
    EXPECT_EQ(value("+.5e1"), 5.0);
    // A marker without digits is not part of the number.
    EXPECT_EQ(value("7e"), 7.0);
    EXPECT_EQ(value("7e+"), 7.0);
    EXPECT_EQ(value("7dx"), 7.0);
    EXPECT_EQ(value("7E-z"), 7.0);
}

TEST(NumericValue, SkipsBlanksTabsAndLineFeedsOnlyBeforeTheNumber) {
    EXPECT_EQ(value(" \t\n 8"), 8.0);
    EXPECT_EQ(value("\r8"), 0.0); // a carriage return is not skipped
    EXPECT_EQ(value("1 2"), 1.0); // reading stops at the blank
    EXPECT_EQ(value("- 5"), 0.0); // nor is a blank skipped after the sign
    EXPECT_EQ(value("12abc"), 12.0);
    EXPECT_EQ(value("3.4.5"), 3.4);
}

TEST(NumericValue, TextWithoutANumberIsZero) {
    for (const char *text : {"", "abc", "-", "+", ".", "-.", "e5", " ", "$1", "&", "&8", "&H", "&hg", "&B2",
                             "&O9", "-&H10", "\n"})
        EXPECT_EQ(value(text), 0.0) << '"' << text << '"';
}

TEST(NumericValue, AmpersandRadixForms) {
    EXPECT_EQ(value("&H1F"), 31.0);
    EXPECT_EQ(value("&hff"), 255.0);
    EXPECT_EQ(value("&HFFFF"), 65535.0);
    EXPECT_EQ(value("&O17"), 15.0);
    EXPECT_EQ(value("&o17"), 15.0);
    EXPECT_EQ(value("&Q17"), 15.0);
    EXPECT_EQ(value("&q17"), 15.0);
    EXPECT_EQ(value("&B101"), 5.0);
    EXPECT_EQ(value("&b101"), 5.0);
    EXPECT_EQ(value("&17"), 15.0); // octal digits directly after the ampersand
    EXPECT_EQ(value(" \t&H10"), 16.0);
    // Reading stops at the first digit that does not belong to the radix.
    EXPECT_EQ(value("&H1G"), 1.0);
    EXPECT_EQ(value("&B1021"), 2.0);
    EXPECT_EQ(value("&O18"), 1.0);
    EXPECT_EQ(value("&78"), 7.0);
    EXPECT_EQ(value("&HB"), 11.0); // B after H is a hexadecimal digit
    EXPECT_EQ(value("&H1.5"), 1.0);
}

TEST(NumericValue, LongDigitStringsRoundCorrectly) {
    // 2^53 + 1 lies halfway between two doubles and rounds to even...
    const std::string halfway = "9007199254740993";
    EXPECT_EQ(value(halfway), 9007199254740992.0);
    EXPECT_EQ(value(halfway + "." + std::string(1000, '0')), 9007199254740992.0);
    // ...unless a digit far behind makes it larger.
    EXPECT_EQ(value(halfway + std::string(1000, '0') + "1e-1001"), 9007199254740994.0);
    EXPECT_EQ(value(halfway + "." + std::string(2000, '0') + "1"), 9007199254740994.0);
    EXPECT_EQ(value(std::string(3000, '0') + "1"), 1.0);
    EXPECT_EQ(value("0." + std::string(1999, '0') + "1e2000"), 1.0);
    EXPECT_EQ(value("1" + std::string(1000, '0') + "e-1000"), 1.0);
    // The same in hexadecimal: 2^85 + 2^32 is halfway between 2^85 and 2^85 + 2^33.
    EXPECT_EQ(value("&H2000000000000100000000"), std::ldexp(1.0, 85));
    EXPECT_EQ(value("&H2000000000000100000001"), std::ldexp(1.0, 85) + std::ldexp(1.0, 33));
    EXPECT_EQ(value("&B1" + std::string(70, '0')), std::ldexp(1.0, 70));
    EXPECT_EQ(value("&H" + std::string(100, 'F')), std::ldexp(1.0, 400));
}

TEST(NumericValue, OutOfRangeGivesInfinityOrZero) {
    EXPECT_EQ(value("1e400"), kInf);
    EXPECT_EQ(value("-1e400"), -kInf);
    EXPECT_EQ(value(std::string(400, '9')), kInf);
    EXPECT_EQ(value("1e-400"), 0.0);
    EXPECT_EQ(value("1e99999999999999999999999999"), kInf);
    EXPECT_EQ(value("1e-99999999999999999999999999"), 0.0);
    EXPECT_EQ(value("0e99999999999999999999999999"), 0.0);
    EXPECT_EQ(value("1.7976931348623157e308"), 1.7976931348623157e308);
    EXPECT_EQ(value("4.9406564584124654e-324"), 4.9406564584124654e-324);
    EXPECT_EQ(value("&H" + std::string(300, 'F')), kInf);
    EXPECT_EQ(value("&1" + std::string(100000, '7')), kInf);
    EXPECT_EQ(value(std::string(100000, '1') + "e-99990"), 1111111111.111111111111111111);
}
