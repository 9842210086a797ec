#include <windows.h>
#include <shellapi.h>

#include "platform/win32/win32_shell.hpp"

namespace vexa {

// The shell reports success with a value above 32.
bool Win32Shell::Open(const std::string& target) {
    HINSTANCE result = ::ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace vexa
