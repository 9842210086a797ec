#include "common/timestamp.hpp"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(TimeStamp, FormatsAndParsesFourteenDigits) {
    TimeStamp stamp{1998, 11, 6, 4, 24, 36};
    EXPECT_EQ(FormatTimeStamp14(stamp), "19981106042436");
    EXPECT_EQ(ParseTimeStamp14("19981106042436"), stamp);
    EXPECT_EQ(FormatTimeStamp14({2000, 2, 29, 23, 59, 59}), "20000229235959");
    EXPECT_EQ(ParseTimeStamp14("00010101000000"), (TimeStamp{1, 1, 1, 0, 0, 0}));
}

TEST(TimeStamp, RefusesInvalidTexts) {
    for (const char* text : {"", "1998110604243", "199811060424360", "1998110604243x", "-9981106042436",
                             "19981306042436", "19981100042436", "19981131042436", "19990229000000",
                             "21000229000000", "19981106242436", "19981106046036", "19981106042460",
                             "00001106042436", " 19981106042436"}) {
        EXPECT_EQ(ParseTimeStamp14(text), std::nullopt) << text;
    }
    EXPECT_NE(ParseTimeStamp14("20000229000000"), std::nullopt);  // divisible by 400: a leap year
}

TEST(TimeStamp, CountsSecondsAcrossMonthsLeapDaysAndTheEpoch) {
    struct Case {
        TimeStamp stamp;
        std::int64_t seconds;
    };
    for (const Case& c : {Case{{1970, 1, 1, 0, 0, 0}, 0}, Case{{1969, 12, 31, 23, 59, 59}, -1},
                          Case{{2000, 2, 29, 12, 0, 0}, 951825600}, Case{{2000, 3, 1, 0, 0, 0}, 951868800},
                          Case{{2038, 1, 19, 3, 14, 8}, 2147483648}, Case{{1601, 1, 1, 0, 0, 0}, -11644473600}}) {
        EXPECT_EQ(TimeStampSeconds(c.stamp), c.seconds) << FormatTimeStamp14(c.stamp);
        EXPECT_EQ(TimeStampFromSeconds(c.seconds), c.stamp) << c.seconds;
    }
}

TEST(TimeStamp, ConvertsToAndFromMsDosDateAndTime) {
    // 12.03.1997 11:13:52, as a cabinet stores it.
    DosDateTime dos{0x226C, 0x59BA};
    EXPECT_EQ(FromDosDateTime(dos), (TimeStamp{1997, 3, 12, 11, 13, 52}));
    EXPECT_EQ(ToDosDateTime({1997, 3, 12, 11, 13, 52}).date, dos.date);
    EXPECT_EQ(ToDosDateTime({1997, 3, 12, 11, 13, 52}).time, dos.time);
    EXPECT_EQ(FromDosDateTime(ToDosDateTime({2026, 12, 9, 23, 59, 59})), (TimeStamp{2026, 12, 9, 23, 59, 58}));
    EXPECT_EQ(FromDosDateTime(ToDosDateTime({1970, 1, 1, 0, 0, 0})), (TimeStamp{1980, 1, 1, 0, 0, 0}));
    EXPECT_EQ(FromDosDateTime(ToDosDateTime({2200, 1, 1, 0, 0, 0})), (TimeStamp{2107, 12, 31, 23, 59, 58}));
}

}  // namespace
}  // namespace vexa
