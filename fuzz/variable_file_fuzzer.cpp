// Reads arbitrary bytes as a variable file, with a name and a value from the input, and
// checks that what a write makes reads back as written.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "download/variable_file.hpp"

using namespace vexa::download;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string name = input.ConsumeRandomLengthString(64);
    const std::string value = input.ConsumeRandomLengthString(64);
    const std::string file = input.ConsumeRemainingBytesAsString();

    VariableValue(file, name);
    WithoutVariable(file, name);
    auto written = WithVariable(file, name, value);
    if (!written) {
        const bool storable = name.find_first_of("=\r\n") == std::string::npos &&
                              value.find_first_of("\r\n") == std::string::npos;
        if (storable && file.starts_with(kVariableFileHeader)) __builtin_trap();
        return 0;
    }
    if (VariableValue(*written, name) != value) __builtin_trap();
    // A written file reads back line for line, so writing it again changes nothing.
    if (WithVariable(*written, name, value) != written) __builtin_trap();
    auto removed = WithoutVariable(*written, name);
    if (!removed || !removed->starts_with(kVariableFileHeader)) __builtin_trap();
    return 0;
}
