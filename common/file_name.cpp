#include "common/file_name.hpp"

namespace vexa {
namespace {

std::size_t AfterLastSeparator(std::string_view path) {
    std::size_t last = path.find_last_of("\\/");
    return last == std::string_view::npos ? 0 : last + 1;
}

}  // namespace

std::string_view FileNamePart(std::string_view path) { return path.substr(AfterLastSeparator(path)); }

std::string_view DirectoryPart(std::string_view path) { return path.substr(0, AfterLastSeparator(path)); }

std::string_view WithoutExtension(std::string_view name) { return name.substr(0, name.rfind('.')); }

}  // namespace vexa
