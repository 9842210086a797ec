#include "common/registry_path.hpp"

namespace vexa {

std::vector<std::string> SplitRegistryPath(std::string_view path) {
    std::vector<std::string> levels;
    while (true) {
        std::size_t cut = path.find(kRegistryLevelSeparator);
        std::string_view level = path.substr(0, cut);
        if (!level.empty()) levels.emplace_back(level);
        if (cut == std::string_view::npos) return levels;
        path.remove_prefix(cut + kRegistryLevelSeparator.size());
    }
}

}  // namespace vexa
