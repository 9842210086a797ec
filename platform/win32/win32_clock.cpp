#include <windows.h>

#include "platform/win32/win32_clock.hpp"

namespace vexa {

std::uint32_t Win32Clock::TickCount() { return ::GetTickCount(); }

TimeStamp Win32Clock::LocalNow() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

void Win32Clock::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace vexa
