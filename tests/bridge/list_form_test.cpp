#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "sweep/sweep.h"
#include "xml/xml_support.h"

using namespace velk_test;

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries entries(velk_handle list) {
    Entries out;
    for (velk_handle n = list; n; n = llNext(n))
        out.emplace_back(take(llName(n)), take(llData(n)));
    return out;
}

velk_handle make_list(const Entries &items) {
    velk_handle list = 0;
    for (const auto &[name, data] : items) {
        velk_handle node = llAdd(list, bs(name), bs(data));
        if (!list) list = node;
    }
    return list;
}

std::string from_list(velk_handle list, std::string_view name) { return take(xmlFromList(list, bs(name))); }

// Reads the list form back as a caller does: parse, then xmlToList.
Entries round_trip(const std::string &text) {
    velk_handle doc = parse(text);
    velk_handle list = xmlToList(doc);
    Entries out = entries(list);
    llFree(list);
    xmlFree(doc);
    return out;
}

const char kOptions[] = "<list name=\"options\">\r\n"
                        "<listitem name=\"a\">1</listitem>\r\n"
                        "<listitem name=\"b\">x&lt;y</listitem>\r\n"
                        "</list>";

} // namespace

TEST(ListForm, NullHandles) {
    EXPECT_EQ(xmlToList(0), 0u);
    EXPECT_EQ(XMLATTRIBTOLIST(0), 0u);
}

TEST(ListForm, WrittenByteForByte) {
    velk_handle list = make_list({{"a", "1"}, {"b", "x<y"}});
    EXPECT_EQ(from_list(list, "options"), kOptions);
    EXPECT_STREQ(xmlzFromList(list, "options"), kOptions);
    llFree(list);
    EXPECT_EQ(from_list(0, ""), "<list name=\"\">\r\n</list>");
    EXPECT_STREQ(xmlzFromList(0, nullptr), "<list name=\"\">\r\n</list>");
    // The list name as given; entry names as the list stores them.
    list = make_list({{" Q\"&<'> ", " a&b "}});
    EXPECT_EQ(from_list(list, " My \"L\" & <x> "),
              "<list name=\" My &quot;L&quot; &amp; &lt;x&gt; \">\r\n"
              "<listitem name=\"q&quot;&amp;&lt;&apos;&gt;\"> a&amp;b </listitem>\r\n</list>");
    EXPECT_EQ(round_trip(from_list(list, "n")), (Entries{{"q\"&<'>", " a&b "}}));
    llFree(list);
}

TEST(ListForm, ReadBack) {
    EXPECT_EQ(round_trip(kOptions), (Entries{{"a", "1"}, {"b", "x<y"}}));
    // Later items with a matching name replace the data of the first; empty
    // names never match.
    EXPECT_EQ(round_trip("<list><listitem name='K'>1</listitem><listitem name=''>e1</listitem>"
                         "<listitem>e2</listitem><listitem name=' k '>2</listitem></list>"),
              (Entries{{"k", "2"}, {"", "e1"}, {"", "e2"}}));
    // Nested, among other children; only the tag makes an item.
    EXPECT_EQ(round_trip("<doc><x/><list name='n'><!--c--><other name='o'>o</other>\r\n"
                         "<listitem name=\"a\"/><ListItem name='b'>b</ListItem>"
                         "<listitem name='c'><i>i</i>after</listitem></list></doc>"),
              (Entries{{"a", ""}, {"c", ""}}));
}

TEST(ListForm, ListElementMissingOrEmpty) {
    xmlzParse(""); // a known error text
    const std::string known = xml_error();
    velk_handle doc = parse("<list name='x'> just text </list>");
    EXPECT_EQ(xmlToList(doc), 0u);
    EXPECT_EQ(xml_error(), known);
    xmlFree(doc);
    doc = parse("<List><listitem name='a'>1</listitem></List>");
    EXPECT_EQ(xmlToList(doc), 0u);
    EXPECT_EQ(xml_error(), "List node not found in xml");
    xmlFree(doc);
}

TEST(ListForm, AttributesAsList) {
    velk_handle doc = parse("<n b='2' a=' 1 ' B='3' e=''/>");
    velk_handle list = XMLATTRIBTOLIST(doc);
    // b and B are one list name: the later value wins, at b's place.
    EXPECT_EQ(entries(list), (Entries{{"b", "3"}, {"a", " 1 "}, {"e", ""}}));
    llFree(list);
    velk_handle bare = parse("<n>t</n>");
    EXPECT_EQ(XMLATTRIBTOLIST(bare), 0u);
    EXPECT_EQ(XMLATTRIBTOLIST(xmlChild(bare)), 0u);
    xmlFree(doc);
    xmlFree(bare);
}

// Random lists through the list form and back. The expected list follows
// from how lists store names (lower-cased, outer blanks removed) and how the
// reader merges items (a later non-empty name updates the first entry of
// that name, anything else is appended).
TEST(ListForm, RandomListsComeBackAsTheListModelSays) {
    std::mt19937 rng(11);
    const std::string name_chars = "aAbBzZ  <>&\"'\x8E\x99";
    const std::string data_chars = "xY  <>&\"'1;\t";
    auto random_text = [&](const std::string &chars, int max) {
        std::string s(rng() % (max + 1), ' ');
        for (char &c : s)
            c = chars[rng() % chars.size()];
        return s;
    };
    auto stored_name = [](std::string s) {
        for (char &c : s) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
            if (c == '\x8E') c = '\x84';
            if (c == '\x99') c = '\x94';
        }
        std::size_t b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
        return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
    };
    for (int round = 0; round < 200; ++round) {
        Entries items;
        int count = static_cast<int>(rng() % 12);
        for (int i = 0; i < count; ++i) {
            // Now and then repeat an earlier name with other case and blanks.
            std::string name = !items.empty() && rng() % 4 == 0
                                   ? " " + items[rng() % items.size()].first + " "
                                   : random_text(name_chars, 4);
            if (!name.empty() && rng() % 2)
                name[0] = static_cast<char>(toupper(static_cast<unsigned char>(name[0])));
            items.emplace_back(name, random_text(data_chars, 6));
        }
        Entries expected;
        for (const auto &[name, data] : items) {
            std::string key = stored_name(name);
            auto same = std::find_if(expected.begin(), expected.end(),
                                     [&](const auto &e) { return !key.empty() && e.first == key; });
            if (same != expected.end())
                same->second = data;
            else
                expected.emplace_back(key, data);
        }
        velk_handle list = make_list(items);
        std::string text = from_list(list, random_text(name_chars, 5));
        EXPECT_EQ(round_trip(text), expected) << text;
        llFree(list);
    }
}

TEST(ListForm, ReadersOutOfMemoryGiveAllOrNothing) {
    FailureReset reset;
    velk_handle doc = parse("<list><listitem name='a'>1</listitem><listitem name='b'>2</listitem>"
                            "<listitem name='A'>3</listitem><listitem>4</listitem></list>");
    velk_handle attrs = parse("<n a='1' b='2' A='3'/>");
    const Entries full = {{"a", "3"}, {"b", "2"}, {"", "4"}};
    for (auto read : {xmlToList, XMLATTRIBTOLIST}) {
        velk_handle from = read == xmlToList ? doc : attrs;
        unsigned swept = sweep::sweep_allocations("bridge", [&](sweep::AllocationFault &fault) {
            BlockWatch watch;
            fault.arm();
            velk_handle list = read(from);
            fault.disarm();
            if (!fault.struck()) { // the whole read ran without a refusal
                EXPECT_EQ(entries(list), read == xmlToList ? full : Entries(full.begin(), full.end() - 1));
                llFree(list);
            } else {
                EXPECT_EQ(list, 0u);
                EXPECT_EQ(xml_error(), "Out of memory");
            }
            EXPECT_EQ(watch.leaked(), 0);
        });
        EXPECT_GE(swept, 6u); // every block of the list was refused once
    }
    xmlFree(doc);
    xmlFree(attrs);
}

TEST(ListForm, WriterOutOfMemoryGivesEmptyResult) {
    FailureReset reset;
    velk_handle list = make_list({{"a", "1"}});
    velk_bstr name = bs("n");
    velk::testing::fail_allocation(1); // the result string
    EXPECT_EQ(xmlFromList(list, name), nullptr);
    velk::testing::fail_allocation(0);
    EXPECT_EQ(xml_error(), "Out of memory");
    llFree(list);
}

// A list a thousand times larger than the examples goes both ways; every
// tenth entry repeats the name before it, so the reader merges as it goes.
TEST(ListForm, LargeListBothWays) {
    const int count = 100000;
    velk_handle list = 0, last = 0;
    for (int i = 0; i < count; ++i) {
        std::string name = "N" + std::to_string(i % 10 == 9 ? i - 1 : i);
        last = llzAdd(last, name.c_str(), std::to_string(i).c_str());
        if (!list) list = last;
    }
    velk_bstr text = xmlFromList(list, bs("big"));
    ASSERT_NE(text, nullptr);
    velk_handle doc = xmlParse(&text);
    take(text);
    velk_handle back = xmlToList(doc);
    EXPECT_EQ(llCount(back), count - count / 10);
    EXPECT_STREQ(llzDataByName(back, "n8"), "9"); // item 9 repeats the name of item 8
    EXPECT_EQ(llGetByNumber(back, 9), llzFindByName(back, "n8"));
    EXPECT_STREQ(llzDataByName(back, "n99997"), "99997");
    llFree(back);
    llFree(list);
    xmlFree(doc);
}
