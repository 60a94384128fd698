#include <gtest/gtest.h>

#include <random>
#include <string>

#include "xml_support.h"

using namespace velk_test;

namespace {

// One replacement step: every non-overlapping occurrence, scanning on behind
// each hit.
std::string replace_all(std::string s, std::string_view from, std::string_view to) {
    std::string out;
    std::size_t at = 0;
    for (std::size_t hit; (hit = s.find(from, at)) != std::string::npos; at = hit + from.size())
        out.append(s, at, hit - at).append(to);
    return out.append(s, at, std::string::npos);
}

std::string reference_clean(std::string s) {
    s = replace_all(s, "&", "&amp;");
    s = replace_all(s, "<", "&lt;");
    s = replace_all(s, ">", "&gt;");
    s = replace_all(s, "\"", "&quot;");
    return replace_all(s, "'", "&apos;");
}

std::string reference_unclean(std::string s) {
    s = replace_all(s, "&apos;", "'");
    s = replace_all(s, "&quot;", "\"");
    s = replace_all(s, "&gt;", ">");
    s = replace_all(s, "&lt;", "<");
    return replace_all(s, "&amp;", "&");
}

// Byte strings dense in entity fragments, so that partial, nested and
// adjacent entities all occur.
std::string random_bytes(std::mt19937 &rng) {
    static const char *pieces[] = {
        "&",    ";",     "amp;",  "lt;", "gt;", "quot;", "apos;", "&amp;",
        "<",    ">",     "\"",    "'",   "a",   "&am",   "&lt",   "" /* a NUL byte */,
        "\xff", "&AMP;", "&#60;", " ",   "q"};
    std::string s;
    int n = static_cast<int>(rng() % 24);
    for (int i = 0; i < n; ++i) {
        std::size_t k = rng() % (sizeof pieces / sizeof *pieces);
        if (k == 15)
            s += '\0';
        else
            s += pieces[k];
    }
    return s;
}

std::string clean(std::string_view s) { return take(xmlClean(bs(s))); }
std::string unclean(std::string_view s) { return take(xmlUnClean(bs(s))); }

} // namespace

TEST(Escape, OnePassMatchesTheFiveReplacementsOnRandomBytes) {
    std::mt19937 rng(20261207);
    for (int i = 0; i < 20000; ++i) {
        std::string s = random_bytes(rng);
        ASSERT_EQ(clean(s), reference_clean(s)) << s;
        ASSERT_EQ(unclean(s), reference_unclean(s)) << s;
        ASSERT_EQ(unclean(clean(s)), s);
        ASSERT_EQ(take(ll_xmlClean(bs(s))), reference_clean(s));
        ASSERT_EQ(take(ll_xmlUnClean(bs(s))), reference_unclean(s));
    }
}

TEST(Escape, EachCharacterHasItsEntity) {
    EXPECT_EQ(clean("&<>\"'"), "&amp;&lt;&gt;&quot;&apos;");
    EXPECT_EQ(unclean("&amp;&lt;&gt;&quot;&apos;"), "&<>\"'");
    EXPECT_EQ(clean("&amp;"), "&amp;amp;"); // not idempotent
}

TEST(Escape, UncleanRemovesOneLevelAndOnlyTheFiveEntities) {
    EXPECT_EQ(unclean("&amp;lt;"), "&lt;");
    EXPECT_EQ(unclean(unclean("&amp;lt;")), "<");
    EXPECT_EQ(unclean("&AMP; &#60; &nbsp; & &lt &amp"), "&AMP; &#60; &nbsp; & &lt &amp");
}

TEST(Escape, EmptyTextAndNulBytes) {
    EXPECT_EQ(xmlClean(nullptr), nullptr);
    EXPECT_EQ(xmlUnClean(bs("")), nullptr);
    EXPECT_STREQ(xmlzClean(nullptr), "");
    EXPECT_STREQ(xmlzUnClean(""), "");
    // The plain faces carry NUL bytes; the z faces stop at the first one.
    EXPECT_EQ(clean(std::string_view("<\0>", 3)), std::string("&lt;\0&gt;", 9));
    EXPECT_STREQ(xmlzClean("a<b\0>"), "a&lt;b");
    EXPECT_STREQ(xmlzUnClean("&quot;x&quot;"), "\"x\"");
}

TEST(Escape, ArgumentsAreReleasedAndNothingIsKept) {
    BlockWatch watch;
    for (int i = 0; i < 100; ++i) {
        take(xmlClean(bs("a<b")));
        take(xmlUnClean(bs("a&lt;b")));
    }
    EXPECT_EQ(watch.leaked(), 0);
}
