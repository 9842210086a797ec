#include "common/format_path.hpp"

#include <algorithm>
#include <string>

namespace vexa {

std::filesystem::path NativePath(std::string_view formatPath) {
    std::string native(formatPath);
    constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
    std::replace_if(native.begin(), native.end(), [](char c) { return c == '\\' || c == '/'; }, kSeparator);
    return native;
}

}  // namespace vexa
