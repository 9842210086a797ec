#include "tests/cabinet/com/vexacb_support.hpp"

#include <cstdint>

namespace vexa::test {

std::string VexaCBTest::WriteNoise(const std::string& name, std::size_t size) const {
    std::string bytes(size, '\0');
    std::uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 24);
    }
    testing::WriteFile(Path(name), bytes);
    return Path(name);
}

}  // namespace vexa::test
