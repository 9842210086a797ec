// Lists arbitrary bytes as a cabinet, and searches them for embedded cabinets.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cabcodec/expander.hpp"
#include "tests/support/memory_cabinet.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vexa::test::MemorySource source(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<vexa::cab::MemberInfo> members;
    vexa::cab::ListMembers(source, 0, members);
    if (auto found = vexa::cab::FindCabinets(source)) {
        for (const auto& cabinet : *found) vexa::cab::ListMembers(source, cabinet.offset, members);
    }
    return 0;
}
