#pragma once
// A new file written beside its target and renamed over it once whole, so that the target
// is always either the old file or the new one, and a writer that fails or is cancelled
// leaves nothing of its own behind. The rename replaces a file, or a link without
// following it, and never a directory.

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace vexa {

class FileBeside {
public:
    // What the names of the temporary files begin with.
    static constexpr const char* kPrefix = "~vx";
    // The folder in which to make the temporary file for `target` (Files::CreateTempFileIn
    // makes it anew: never an existing file or a link).
    static std::string FolderOf(const std::filesystem::path& target);

    // Takes charge of `temporary`, the file made for `target`; nullopt: it could not be made.
    FileBeside(std::filesystem::path target, std::optional<std::string> temporary);
    // Removes the temporary file unless it was committed.
    ~FileBeside();
    FileBeside(const FileBeside&) = delete;
    FileBeside& operator=(const FileBeside&) = delete;

    bool Made() const { return !temporary_.empty(); }
    // The file to write; close it before Commit.
    const std::string& Path() const { return temporary_; }
    const std::filesystem::path& Target() const { return target_; }

    // Removes the made file and keeps its name, for what cannot write over a file: a copy
    // on some systems, a hard link, a file made only where nothing stands.
    bool FreeName();
    // Fills the file with a copy of `source`.
    bool CopyFrom(const std::filesystem::path& source);

    // Renames the written file to the target. It takes the permissions of the file it
    // replaces, or the read permissions of its folder, and `extra` besides. A read-only
    // target is not replaced.
    std::error_code Commit(std::filesystem::perms extra = std::filesystem::perms::none);
    // The file written is another's too (a hard link to it): Commit leaves its permissions.
    void KeepPermissions() { keepPermissions_ = true; }

private:
    std::filesystem::path target_;
    std::string temporary_;
    bool committed_ = false;
    bool keepPermissions_ = false;
};

// Whether two paths name one existing file, whatever the spelling or the links between
// them. A writer refuses a target that is one of its inputs.
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace vexa
