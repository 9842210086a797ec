// Reads arbitrary bytes as a Windows program for its version resource.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/pe_version.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vexa::PeFileVersion(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
