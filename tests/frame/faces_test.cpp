#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "frame/errors.h"
#include "frame/faces.h"
#include "list/node.h"
#include "support.h"

using namespace velk_test;
using velk::Family;

TEST(Faces, ZArgumentsAreReadToTheirNulWithoutALengthCap) {
    // Longer than the 16,777,216 bytes that older callers were cut at.
    std::string big(16777216 + 5, 'x');
    velk_handle node = llzAdd(0, "n", big.c_str());
    ASSERT_NE(node, 0u);
    EXPECT_EQ(llCapacity(node), 16777216 + 5);
    llFree(node);
}

TEST(Faces, AThreadsReturnBuffersGoWithIt) {
    velk_handle node = llzAdd(0, "name", "data");
    BlockWatch watch;
    run_on_own_thread([node] {
        llzData(node);
        xmlzClean("a<b");
    });
    EXPECT_EQ(watch.leaked(), 0);
    llFree(node);
}

TEST(Faces, NullZTextIsTheEmptyText) {
    velk_handle a = llzAdd(0, nullptr, nullptr);
    velk_handle b = llAdd(0, nullptr, nullptr);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    auto *na = velk::list::as_node(a), *nb = velk::list::as_node(b);
    EXPECT_EQ(na->name, nullptr);
    EXPECT_EQ(nb->name, nullptr);
    EXPECT_EQ(na->capacity, 0);
    EXPECT_EQ(nb->capacity, 0);
    llFree(a);
    llFree(b);
}

TEST(Faces, PlainResultOfEmptyTextIsNull) {
    EXPECT_EQ(velk::plain_result(""), nullptr);
    EXPECT_EQ(take(velk::plain_result(std::string_view("a\0b", 3))), std::string("a\0b", 3));
}

TEST(Faces, ZResultIsNeverNullAndEndsAtTheBuffersNul) {
    const char *empty = velk::z_result(Family::list, "");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], '\0');
    const char *cut = velk::z_result(Family::list, std::string_view("ab\0c", 4));
    EXPECT_STREQ(cut, "ab");
}

TEST(Faces, FamiliesHaveSeparateReturnBuffers) {
    const char *list = velk::z_result(Family::list, "list text");
    velk::z_result(Family::xml, "an xml text that is longer than the list one");
    EXPECT_STREQ(list, "list text");
}

TEST(Faces, EachThreadHasItsOwnReturnBuffers) {
    const char *mine = velk::z_result(Family::list, "main thread");
    std::thread other([] {
        for (int i = 0; i < 1000; ++i)
            ASSERT_STREQ(velk::z_result(Family::list, "other thread"), "other thread");
    });
    other.join();
    EXPECT_STREQ(mine, "main thread");
}

TEST(Faces, ZResultSurvivesExhaustedMemoryAsEmptyText) {
    FailureReset reset;
    std::string longer(100000, 'y'); // larger than any buffer so far: must grow
    velk::testing::fail_allocation(1);
    const char *result = velk::z_result(Family::xml, longer);
    ASSERT_NE(result, nullptr);
    EXPECT_STREQ(result, "");
}

TEST(Faces, ShieldTurnsExceptionsIntoTheFailureResult) {
    EXPECT_EQ(velk::shield<int>(7, []() -> int { throw std::bad_alloc(); }), 7);
    EXPECT_EQ(velk::shield<int>(7, [] { return 3; }), 3);
}
