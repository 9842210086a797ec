#include "common/file_beside.hpp"

namespace vexa {

namespace fs = std::filesystem;

std::string FileBeside::FolderOf(const fs::path& target) {
    fs::path folder = target.parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

FileBeside::FileBeside(fs::path target, std::optional<std::string> temporary)
    : target_(std::move(target)), temporary_(temporary.value_or(std::string())) {}

FileBeside::~FileBeside() {
    if (committed_ || !Made()) return;
    std::error_code ignored;
    fs::remove(temporary_, ignored);
}

// A temporary file is private to its owner; the new file is as readable as the one it
// replaces, or as its folder.
std::error_code FileBeside::Commit(fs::perms extra) {
    if (!Made()) return std::make_error_code(std::errc::no_such_file_or_directory);
    std::error_code ignored;  // a file with other permissions is still the right file
    fs::file_status old = fs::status(target_, ignored);
    fs::perms perms = fs::perms::owner_read | fs::perms::owner_write;
    if (fs::is_regular_file(old)) {
        // A read-only file stays: a rename would replace it where no write could, and
        // Windows refuses both.
        if ((old.permissions() & fs::perms::owner_write) == fs::perms::none)
            return std::make_error_code(std::errc::permission_denied);
        perms = old.permissions();
    } else if (fs::perms folder = fs::status(FolderOf(target_), ignored).permissions(); folder != fs::perms::unknown) {
        perms |= folder & (fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    if (!keepPermissions_) fs::permissions(temporary_, perms | extra, fs::perm_options::replace, ignored);
    std::error_code error;
    fs::rename(temporary_, target_, error);
    committed_ = !error;
    return error;
}

bool FileBeside::FreeName() {
    std::error_code error;
    return Made() && (fs::remove(temporary_, error), !error);
}

// copy_file cannot write over a file on every system (some tell files apart by an inode
// number that Windows does not have).
bool FileBeside::CopyFrom(const fs::path& source) {
    std::error_code error;
    return FreeName() && fs::copy_file(source, temporary_, error) && !error;
}

bool IsSameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;  // a path that does not exist names no file to protect
    return fs::equivalent(a, b, error);
}

}  // namespace vexa
