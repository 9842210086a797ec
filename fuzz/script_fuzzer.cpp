// Reads arbitrary bytes as a script and runs every reader over it.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "loader/script.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    vexa::ScriptLines lines = vexa::SplitScriptText(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        vexa::GetCommandWord(lines, i);
        int count = vexa::CountArguments(lines, i);
        for (int k = 0; k <= count + 1; ++k) vexa::GetArgument(lines, i, k);
    }
    vexa::GetScriptVar(lines, "ProductDirectory");
    // The first line doubles as the default URL, so rewrites meet odd bases too.
    vexa::PrepareScript(lines, lines.front(), "http://host/dir/");
    return 0;
}
