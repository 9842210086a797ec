#pragma once
// Split sets: a file F cut into raw pieces named F1, F2, ... FN. The one rule for the names
// of the pieces, for the tools that cut and join them and for the download that fetches them.

#include <cstdint>
#include <string>

namespace vexa {

inline std::string SplitPieceName(const std::string& filename, std::int64_t k) {
    return filename + std::to_string(k);
}

}  // namespace vexa
