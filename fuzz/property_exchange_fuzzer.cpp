// Reads arbitrary bytes as a control's saved properties, as a stream hands them over.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/property_exchange.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vexa::DecodeProperties(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
