// Reads arbitrary bytes as an uninstall program with its record and checks that writing the
// lines read back gives the same lines.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "installer/uninstall_record.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto lines = vexa::installer::RecordLinesOf(bytes);
    std::string record;
    for (const std::string& line : lines) {
        if (line.find_first_of("\r\n") != std::string::npos) __builtin_trap();
        record += line + "\r\n";
    }
    std::string again = record + std::string(vexa::installer::kRecordMarker) + "             0";
    if (vexa::installer::RecordLinesOf(again) != lines) __builtin_trap();
    return 0;
}
