#include "cabcodec/expand_into.hpp"

#include <fstream>

#include "cabcodec/cabinet_source.hpp"
#include "common/format_path.hpp"
#include "common/timestamp.hpp"

namespace vexa::cab {
namespace {

namespace fs = std::filesystem;

class FolderHandler final : public ExpandHandler {
public:
    FolderHandler(Files& files, fs::path folder) : files_(files), folder_(std::move(folder)) {}

    std::unique_ptr<MemberSink> CopyFile(const MemberInfo& member) override {
        fs::path target = folder_ / NativePath(member.name);
        std::error_code ignored;  // a folder that cannot be made fails the file's creation
        fs::create_directories(target.parent_path(), ignored);
        // A link is replaced, never written through.
        fs::remove(target, ignored);
        return std::make_unique<MemberFile>(std::move(target));
    }

    bool FileComplete(std::unique_ptr<MemberSink> sink, const MemberInfo& member) override {
        auto& file = static_cast<MemberFile&>(*sink);
        if (!file.Complete()) return false;
        StampMember(files_, file.Path().string(), member);
        return true;
    }

private:
    Files& files_;
    fs::path folder_;
};

}  // namespace

MemberFile::MemberFile(fs::path path)
    : path_(std::move(path)), stream_(path_, std::ios::binary | std::ios::trunc) {}

MemberFile::~MemberFile() {
    if (completed_ || !stream_.is_open()) return;
    stream_.close();
    std::error_code ignored;
    fs::remove(path_, ignored);
}

bool MemberFile::Write(const unsigned char* data, std::size_t n) {
    return stream_.is_open() &&
           stream_.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n));
}

bool MemberFile::Complete() {
    if (!stream_.is_open()) return false;
    stream_.close();
    return completed_ = !stream_.fail();
}

void StampMember(Files& files, const std::string& path, const MemberInfo& member) {
    files.SetFileTime(path, FromDosDateTime({member.dosDate, member.dosTime}), true);
    files.SetAttributes(path, member.attributes & kStoredAttributes);
}

ExpandStatus ExpandInto(Files& files, const std::string& cabinetPath, const fs::path& folder) {
    auto file = files.OpenShared(cabinetPath);
    if (!file) return ExpandStatus::ReadFailed;
    FileCabinetSource source(std::move(file));
    FolderHandler handler(files, folder);
    return Expand(source, 0, handler);
}

}  // namespace vexa::cab
