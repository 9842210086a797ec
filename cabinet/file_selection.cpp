#include "cabinet/file_selection.hpp"

#include <algorithm>
#include <filesystem>

#include "common/file_name.hpp"
#include "common/text.hpp"
#include "common/wildcard.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;

constexpr char kSeparator = static_cast<char>(fs::path::preferred_separator);

}  // namespace

void FileSelection::Clear() {
    filter_.clear();
    files_.clear();
    directories_.clear();
    position_ = 0;
}

bool FileSelection::Select(const std::string& filter, bool recurse, std::int32_t maxDirectories) {
    maxDirectories = std::max(maxDirectories, std::int32_t{1});
    if (!EqualsIgnoreCase(filter, filter_)) position_ = 0;
    filter_ = filter;
    std::string pattern(FileNamePart(filter));
    if (position_ == 0) {
        files_.clear();
        directories_.assign(1, std::string(DirectoryPart(filter)));
    }
    for (std::int32_t scanned = 0; position_ < directories_.size();) {
        Scan(std::string(directories_[position_]), pattern);  // a copy: scanning adds directories
        // Without recursion the walk never moves on: each call scans the start afresh.
        if (!recurse) return true;
        ++position_;
        if (++scanned == maxDirectories) return false;
    }
    return true;
}

// Every entry counts, hidden ones too. Links to directories are not followed, so that a
// link back up the tree cannot make the walk endless.
void FileSelection::Scan(const std::string& directory, const std::string& pattern) {
    std::error_code error;
    fs::directory_iterator entries(directory.empty() ? fs::path(".") : fs::path(directory), error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        std::string name = entries->path().filename().string();
        std::error_code unknown;  // an entry whose type cannot be read counts as a file
        if (entries->symlink_status(unknown).type() == fs::file_type::directory) {
            directories_.push_back(directory + name + kSeparator);
        } else if (!entries->is_directory(unknown) && MatchesWildcard(pattern, name)) {
            files_.push_back(directory + name);
        }
    }
}

}  // namespace vexa
