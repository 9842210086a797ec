// Splits arbitrary text at a separator from the input and checks that the lines join
// back into the text.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "download/line_list.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string separator = input.ConsumeRandomLengthString(8);
    const std::string text = input.ConsumeRemainingBytesAsString();

    vexa::download::LineList list;
    const std::int32_t count = list.TextToLines(text, separator);
    if (count < 1 || (separator.empty() && count != 1)) __builtin_trap();
    std::string joined;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::string line = list.GetTextFileLine(i);
        if (!separator.empty() && line.find(separator) != std::string::npos) __builtin_trap();
        joined += (i > 0 ? separator : "") + line;
    }
    if (joined != text || !list.GetTextFileLine(count).empty()) __builtin_trap();
    return 0;
}
