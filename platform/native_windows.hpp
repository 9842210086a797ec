#pragma once
// This system's window port alone, for programs that need nothing else of the machine: a
// started web page program that sends its page an event starts without loading the rest.

#include <memory>

#include "platform/clock.hpp"
#include "platform/message_windows.hpp"

namespace vexa {

class NativeWindows {
public:
    NativeWindows();
    ~NativeWindows();
    NativeWindows(const NativeWindows&) = delete;
    NativeWindows& operator=(const NativeWindows&) = delete;

    Windows& Get() { return *windows_; }

private:
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<Windows> windows_;
};

}  // namespace vexa
