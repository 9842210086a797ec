#include "cabinet/file_selection.hpp"

#include <algorithm>
#include <filesystem>

#include "common/file_name.hpp"
#include "common/format_path.hpp"
#include "common/text.hpp"
#include "common/wildcard.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;


}  // namespace

void FileSelection::Clear() {
    filter_.clear();
    files_.clear();
    directories_.clear();
    skipped_.clear();
    position_ = 0;
}

bool FileSelection::Select(const std::string& filter, bool recurse, std::int32_t maxDirectories) {
    maxDirectories = std::max(maxDirectories, std::int32_t{1});
    if (!EqualsIgnoreCase(filter, filter_)) position_ = 0;
    filter_ = filter;
    std::string pattern(FileNamePart(filter));
    if (position_ == 0) {
        files_.clear();
        skipped_.clear();
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

// Every entry counts, hidden ones too. Links are not followed, to files or directories: the
// walk stays inside its start directory, and a link back up the tree cannot make it endless.
// What is not a regular file (a link, a pipe, a device) is left out, as nothing could be made
// of it, and a pipe would stall whoever opened it.
void FileSelection::Scan(const std::string& directory, const std::string& pattern) {
    std::error_code error;
    fs::directory_iterator entries(directory.empty() ? fs::path(".") : fs::path(directory), error);
    if (error) skipped_.push_back(directory);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        std::string name = entries->path().filename().string();
        std::error_code unknown;
        fs::file_type type = entries->symlink_status(unknown).type();
        if (type == fs::file_type::directory) {
            directories_.push_back(directory + name + kNativeSeparator);
        } else if (MatchesWildcard(pattern, name)) {
            (type == fs::file_type::regular ? files_ : skipped_).push_back(directory + name);
        }
    }
}

}  // namespace vexa
