#pragma once
// The system's wide-character calls take UTF-16; our texts are in the system's 8-bit code page.

#include <string>
#include <string_view>

namespace vexa {

std::wstring WideFromAnsi(const std::string& text);
std::string AnsiFromWide(std::wstring_view text);

}  // namespace vexa
