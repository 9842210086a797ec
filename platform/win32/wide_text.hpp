#pragma once
// The system's wide-character calls take UTF-16; our texts are in the system's 8-bit code page.

#include <string>

namespace vexa {

std::wstring WideFromAnsi(const std::string& text);

}  // namespace vexa
