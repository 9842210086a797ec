#include "common/replace_file.hpp"

namespace vexa {

namespace fs = std::filesystem;

// copy_file cannot overwrite on every system (some tell files apart by an inode number
// that Windows does not have), so the copy always goes to a fresh name first.
bool ReplaceFileWith(const fs::path& source, const fs::path& target) {
    fs::path part = target;
    part += ".~part";
    std::error_code error;
    fs::remove(part, error);
    if (fs::copy_file(source, part, error) && (fs::rename(part, target, error), !error)) return true;
    fs::remove(part, error);
    return false;
}

}  // namespace vexa
