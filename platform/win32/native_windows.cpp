#include "platform/native_windows.hpp"

#include "platform/win32/win32_clock.hpp"
#include "platform/win32/win32_windows.hpp"

namespace vexa {

NativeWindows::NativeWindows() : clock_(std::make_unique<Win32Clock>()), windows_(std::make_unique<Win32Windows>()) {}
NativeWindows::~NativeWindows() = default;

}  // namespace vexa
