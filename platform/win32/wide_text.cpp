#include <windows.h>

#include "platform/win32/wide_text.hpp"

namespace vexa {

std::wstring WideFromAnsi(const std::string& text) {
    if (text.empty()) return {};
    int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

}  // namespace vexa
