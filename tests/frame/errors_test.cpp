#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "frame/errors.h"
#include "frame/platform.h"
#include "support.h"

using namespace velk_test;
using velk::Family;

TEST(Errors, FamiliesKeepTheirOwnTextAndReadingDoesNotClear) {
    velk::set_error(Family::list, "list failure");
    velk::set_error(Family::xml, "xml failure");
    EXPECT_EQ(take(llLastError()), "list failure");
    EXPECT_EQ(take(llLastError()), "list failure");
    EXPECT_STREQ(llzLastError(), "list failure");
    EXPECT_EQ(take(xmlLastError()), "xml failure");
    EXPECT_STREQ(xmlzLastError(), "xml failure");
    velk::set_error(Family::xml, "second xml failure");
    EXPECT_STREQ(llzLastError(), "list failure");
}

TEST(Errors, ConcurrentFailuresNeverTearAText) {
    const std::vector<std::string> messages = {std::string(300, 'a'), std::string(5, 'b'),
                                               std::string(70000, 'c'), "d"};
    std::vector<std::thread> threads;
    std::atomic<int> torn{0};
    for (std::size_t t = 0; t < messages.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                velk::set_error(Family::xml, messages[t]);
                std::string seen = take(xmlLastError());
                bool known = false;
                for (const auto &m : messages)
                    known = known || seen == m;
                if (!known) ++torn;
            }
        });
    }
    for (auto &t : threads)
        t.join();
    EXPECT_EQ(torn.load(), 0);
}

TEST(Errors, FileErrorNumbersEachRowOfTheTable) {
    struct Row {
        std::vector<unsigned> codes;
        int number;
    };
    const std::vector<Row> rows = {
        {{2, 18}, 53},
        {{3}, 76},
        {{4}, 67},
        {{5, 19, 32, 33, 36}, 70},
        {{8, 14}, 7},
        {{15, 20}, 68},
        {{17}, 74},
        {{21}, 71},
        {{23, 25, 26, 27, 28, 29, 30, 31, 34}, 72},
        {{6, 11, 12, 13, 22, 24}, 51},
        {{7, 9, 10}, 241},
        {{38}, 62},
        {{39, 112}, 61},
        {{0, 1, 16, 35, 37, 40, 80, 111, 113, 1117, 0xFFFFFFFFu}, 75},
    };
    EXPECT_EQ(velk::kNoMemoryNumber, velk::file_error_number(8));
    EXPECT_EQ(velk::kEndOfFileNumber, velk::file_error_number(38));
    for (const auto &row : rows)
        for (unsigned code : row.codes)
            EXPECT_EQ(velk::file_error_number(code), row.number) << code;
}

#if !defined(_WIN32)
#include <cerrno>
TEST(Errors, FileErrorNumbersPosixErrorsMeanWhatWindowsCodesMean) {
    using velk::platform::windows_code_from_errno;
    auto number = [](int err, bool folder = true) {
        return velk::file_error_number(windows_code_from_errno(err, folder));
    };
    EXPECT_EQ(number(ENOENT), 53);        // file not found
    EXPECT_EQ(number(ENOENT, false), 76); // a folder on the way is missing
    EXPECT_EQ(number(ENOTDIR), 76);
    EXPECT_EQ(number(EMFILE), 67);
    EXPECT_EQ(number(EACCES), 70);
    EXPECT_EQ(number(EPERM), 70);
    EXPECT_EQ(number(EROFS), 70);
    EXPECT_EQ(number(EWOULDBLOCK), 70); // a lock held by another opener
    EXPECT_EQ(number(ENOMEM), 7);
    EXPECT_EQ(number(ENOSPC), 61);
    EXPECT_EQ(number(EEXIST), 75);
    EXPECT_EQ(number(EIO), 75);
}
#endif
