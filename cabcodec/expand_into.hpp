#pragma once
// The plain expansion that installers need: every member of a cabinet into a folder, along
// the folders of its stored name, replacing what is there, with its stored time and
// attributes. A member cut short leaves no file behind.

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "cabcodec/expander.hpp"
#include "platform/files.hpp"

namespace vexa::cab {

// A member being written to its file. Unless completed, the file is removed again. A file
// that could not be created fails its first write, or its completion if the member is empty.
class MemberFile final : public MemberSink {
public:
    explicit MemberFile(std::filesystem::path path);
    ~MemberFile() override;
    MemberFile(const MemberFile&) = delete;
    MemberFile& operator=(const MemberFile&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    bool Write(const unsigned char* data, std::size_t n) override;
    bool Complete();

private:
    std::filesystem::path path_;
    std::ofstream stream_;
    bool completed_ = false;
};

// Gives a completed member file its stored time and attributes; a file without them is
// still the right file, so failures are ignored.
void StampMember(Files& files, const std::string& path, const MemberInfo& member);

ExpandStatus ExpandInto(Files& files, const std::string& cabinetPath, const std::filesystem::path& folder);

}  // namespace vexa::cab
