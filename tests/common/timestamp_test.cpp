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
