// Reads arbitrary bytes as the web page that embeds the loader control.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "loader/page.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vexa::loader::Page page = vexa::loader::ReadPage(std::string_view(reinterpret_cast<const char*>(data), size));
    // What was read lies inside the page.
    if (page.script.size() > size || page.defaultUrl.size() > size) __builtin_trap();
    return 0;
}
