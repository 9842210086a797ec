#pragma once
// The file selection walk: files matching a pattern under a start directory, breadth
// first, in slices of a given number of directories so that a host stays responsive
// while it selects a large tree.

#include <cstdint>
#include <string>
#include <vector>

namespace vexa {

class FileSelection {
public:
    // `filter` is the start directory followed by a pattern ("C:\Data\*.txt"). True when
    // the walk is complete; false after `maxDirectories` directories when it is not.
    // The same filter (in any letter case) continues a walk; another starts afresh.
    bool Select(const std::string& filter, bool recurse, std::int32_t maxDirectories);
    void Clear();

    // Full paths in discovery order; directories end with a separator. Only regular files
    // are selected, and links are never followed.
    const std::vector<std::string>& Files() const { return files_; }
    const std::vector<std::string>& Directories() const { return directories_; }
    // What the walk left out: entries that are neither regular files nor directories (links
    // among them), and directories that could not be read.
    const std::vector<std::string>& Skipped() const { return skipped_; }

private:
    void Scan(const std::string& directory, const std::string& pattern);

    std::string filter_;
    std::vector<std::string> files_;
    std::vector<std::string> directories_;
    std::vector<std::string> skipped_;
    std::size_t position_ = 0;  // the next directory to scan
};

}  // namespace vexa
