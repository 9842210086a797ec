#pragma once
// The 14-digit time stamp: year, month, day, hour, minute, second in local time,
// "19981106042436" for 4:24:36 AM on 6 November 1998.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexa {

struct TimeStamp {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool operator==(const TimeStamp&) const = default;
};

// Year with four digits, the other fields with two, zero-padded. The fields must be valid.
std::string FormatTimeStamp14(const TimeStamp& stamp);
// Exactly 14 digits naming a real date and time (leap years counted); nullopt otherwise.
std::optional<TimeStamp> ParseTimeStamp14(std::string_view text);

// Seconds since 1 January 1970 on the stamp's own clock (no time zone is applied), for
// ages and for stepping a stamp back or forth by whole seconds.
std::int64_t TimeStampSeconds(const TimeStamp& stamp);
TimeStamp TimeStampFromSeconds(std::int64_t seconds);

// MS-DOS date and time, as cabinets store them: years from 1980, seconds in steps of two.
struct DosDateTime {
    std::uint16_t date = 0;
    std::uint16_t time = 0;
};
TimeStamp FromDosDateTime(DosDateTime dos);
// Times before 1980 or after 2107 are clamped to the ends of the range.
DosDateTime ToDosDateTime(const TimeStamp& stamp);

}  // namespace vexa
