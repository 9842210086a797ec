#include "common/timestamp.hpp"

#include <algorithm>
#include <cstdio>

namespace vexa {
namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool IsValid(const TimeStamp& t) {
    return t.year >= 1 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= DaysInMonth(t.year, t.month) &&
           t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

int Digits(std::string_view text, std::size_t at, std::size_t count) {
    int value = 0;
    for (char c : text.substr(at, count)) value = value * 10 + (c - '0');
    return value;
}

// Days from 1 January 1970 in the proleptic Gregorian calendar, and back, counted in eras
// of 400 years, which repeat exactly.
std::int64_t DaysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, TimeStamp& t) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    t.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    t.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    t.year = static_cast<int>(yearOfEra + era * 400 + (t.month <= 2));
}

}  // namespace

std::int64_t TimeStampSeconds(const TimeStamp& t) {
    return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

TimeStamp TimeStampFromSeconds(std::int64_t seconds) {
    std::int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    std::int64_t rest = seconds - days * 86400;
    TimeStamp t;
    CivilFromDays(days, t);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

std::string FormatTimeStamp14(const TimeStamp& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return text;
}

std::optional<TimeStamp> ParseTimeStamp14(std::string_view text) {
    if (text.size() != 14 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    TimeStamp t{Digits(text, 0, 4), Digits(text, 4, 2), Digits(text, 6, 2),
                Digits(text, 8, 2), Digits(text, 10, 2), Digits(text, 12, 2)};
    if (!IsValid(t)) return std::nullopt;
    return t;
}

TimeStamp FromDosDateTime(DosDateTime dos) {
    return {1980 + (dos.date >> 9), (dos.date >> 5) & 0x0F, dos.date & 0x1F,
            dos.time >> 11,         (dos.time >> 5) & 0x3F, (dos.time & 0x1F) * 2};
}

DosDateTime ToDosDateTime(const TimeStamp& t) {
    if (t.year < 1980) return {(1 << 5) | 1, 0};
    if (t.year > 2107) return {static_cast<std::uint16_t>((127 << 9) | (12 << 5) | 31), (23 << 11) | (59 << 5) | 29};
    return {static_cast<std::uint16_t>(((t.year - 1980) << 9) | (t.month << 5) | t.day),
            static_cast<std::uint16_t>((t.hour << 11) | (t.minute << 5) | (t.second / 2))};
}

}  // namespace vexa
