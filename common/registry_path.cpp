#include "common/registry_path.hpp"

#include <algorithm>

namespace vexa {

std::vector<std::string> SplitRegistryPath(std::string_view path) {
    std::vector<std::string> levels;
    while (true) {
        std::size_t arrow = path.find(kRegistryLevelSeparator);
        std::size_t cut = std::min(arrow, path.find('\\'));
        std::string_view level = path.substr(0, cut);
        if (!level.empty()) levels.emplace_back(level);
        if (cut == std::string_view::npos) return levels;
        path.remove_prefix(cut + (cut == arrow ? kRegistryLevelSeparator.size() : 1));
    }
}

}  // namespace vexa
