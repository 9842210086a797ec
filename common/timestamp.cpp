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

}  // namespace

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
