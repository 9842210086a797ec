#include "common/format_path.hpp"

#include <algorithm>
#include <string>

namespace vexa {

std::filesystem::path NativePath(std::string_view formatPath) {
    std::string native(formatPath);
    std::replace_if(native.begin(), native.end(), [](char c) { return c == '\\' || c == '/'; }, kNativeSeparator);
    return native;
}

std::string FormatPath(std::string_view nativePath) {
    std::string format(nativePath);
    std::replace(format.begin(), format.end(), kNativeSeparator, '\\');
    return format;
}

}  // namespace vexa
