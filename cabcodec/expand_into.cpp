#include "cabcodec/expand_into.hpp"

#include <cerrno>
#include <fstream>
#include <memory>
#include <system_error>

#include "cabcodec/cabinet_source.hpp"
#include "common/file_beside.hpp"
#include "common/format_path.hpp"
#include "common/timestamp.hpp"

namespace vexa::cab {
namespace {

namespace fs = std::filesystem;


std::string LastSystemError() { return std::error_code(errno, std::generic_category()).message(); }

// A member being written to a temporary file beside its place, which goes again unless
// the member is put in place. Failures leave their reason in `cause`; a file that could
// not be made fails the first write, or the completion of an empty member.
class MemberFile final : public MemberSink {
public:
    MemberFile(std::unique_ptr<FileBeside> file, std::string& cause) : file_(std::move(file)), cause_(cause) {
        if (file_) stream_.open(file_->Path(), std::ios::binary | std::ios::trunc);
        if (file_ && !stream_.is_open()) cause_ = "could not write " + file_->Path() + ": " + LastSystemError();
    }

    const std::filesystem::path& Target() const { return file_->Target(); }

    bool Write(const unsigned char* data, std::size_t n) override {
        if (!stream_.is_open()) return false;
        if (stream_.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n))) return true;
        cause_ = "could not write " + Target().string() + ": " + LastSystemError();
        return false;
    }

    // Closes the temporary file and renames it over whatever stands in the member's place.
    bool PutInPlace() {
        if (!stream_.is_open()) return false;
        stream_.close();
        if (stream_.fail()) {
            cause_ = "could not write " + Target().string() + ": " + LastSystemError();
            return false;
        }
        if (std::error_code error = file_->Commit()) {
            cause_ = "could not put " + Target().string() + " in place: " + error.message();
            return false;
        }
        return true;
    }

private:
    std::unique_ptr<FileBeside> file_;
    std::string& cause_;
    std::ofstream stream_;
};

// Reads fail once the expansion is stopped, which ends the pass even inside a member.
class StoppableSource final : public CabinetSource {
public:
    StoppableSource(CabinetSource& whole, const bool& stopped, const FolderExpansionCalls& calls)
        : whole_(whole), stopped_(stopped), calls_(calls) {}
    std::uint64_t Size() const override { return whole_.Size(); }
    std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) override {
        if (stopped_ || calls_.Cancelled()) return std::nullopt;
        return whole_.ReadAt(offset, into, n);
    }

private:
    CabinetSource& whole_;
    const bool& stopped_;
    const FolderExpansionCalls& calls_;
};

class FolderHandler final : public ExpandHandler {
public:
    FolderHandler(Files& files, fs::path folder, std::span<const std::string> entries, FolderExpansionCalls& calls)
        : files_(files), folder_(std::move(folder)), entries_(entries), calls_(calls) {}

    const bool& Stopped() const { return stopped_; }
    FolderExpansion& Result() { return result_; }

    // After a cancel nothing more is created: the members left are skipped.
    std::unique_ptr<MemberSink> CopyFile(const MemberInfo& member) override {
        if (stopped_ || calls_.Cancelled()) return nullptr;
        fs::path relative = NativePath(member.name);
        std::string linkCause = MakeFolders(relative.parent_path());
        fs::path target = folder_ / relative;
        if (Marked()) return Skip();
        calls_.Expanding(position_, target);
        if (!MayReplace(target)) return Skip();
        Advance();
        if (!linkCause.empty()) {
            result_.cause = linkCause;
            return std::make_unique<MemberFile>(nullptr, result_.cause);
        }
        std::string folder = FileBeside::FolderOf(target);
        auto temporary = files_.CreateTempFileIn(folder, FileBeside::kPrefix);
        if (!temporary) {
            result_.cause = "could not write in " + folder + ": " + LastSystemError();
            return std::make_unique<MemberFile>(nullptr, result_.cause);
        }
        return std::make_unique<MemberFile>(std::make_unique<FileBeside>(target, std::move(temporary)), result_.cause);
    }

    // A member without its stored time or attributes is still the right file.
    bool FileComplete(std::unique_ptr<MemberSink> sink, const MemberInfo& member) override {
        auto& file = static_cast<MemberFile&>(*sink);
        if (!file.PutInPlace()) return false;
        const std::string path = file.Target().string();
        files_.SetFileTime(path, FromDosDateTime({member.dosDate, member.dosTime}), true);
        files_.SetAttributes(path, member.attributes & kStoredAttributes);
        ++result_.completed;
        calls_.Completed(file.Target());
        return true;
    }

    void MemberFailed(const MemberInfo& member, ExpandStatus why) override {
        failedMember_ = member.name;
        failedStatus_ = why;
    }

    // Why the pass failed: what the handler saw itself, else what the codec said.
    void NoteCause(ExpandStatus status) {
        if (result_.cause.empty()) result_.cause = FailureCause(failedStatus_ == ExpandStatus::Done ? status : failedStatus_, failedMember_);
    }

private:
    // Makes the destination and the folders along `relative` below it, ignoring failures
    // (the member's file then cannot be made). The destination is the caller's; a link below
    // it is not followed: the reason comes back, and the member fails.
    std::string MakeFolders(const fs::path& relative) {
        std::error_code ignored;
        fs::create_directories(folder_, ignored);
        fs::path at = folder_;
        for (const fs::path& part : relative) {
            at /= part;
            std::error_code error;
            fs::file_status status = fs::symlink_status(at, error);
            if (fs::is_symlink(status)) return at.string() + " is a link, which is not followed";
            if (!fs::exists(status)) fs::create_directory(at, error);
        }
        return {};
    }

    bool Marked() const { return position_ < entries_.size() && entries_[position_].starts_with(kSkipMark); }

    std::unique_ptr<MemberSink> Skip() {
        Advance();
        return nullptr;
    }

    void Advance() { calls_.Advanced(++position_); }

    // A link counts as standing there even when it points nowhere.
    bool MayReplace(const fs::path& target) {
        std::error_code error;
        if (!fs::exists(fs::symlink_status(target, error))) return true;
        if (existing_ != Existing::ReplaceAll) existing_ = calls_.AskExisting(target);
        if (existing_ == Existing::Cancel) stopped_ = result_.cancelled = true;
        return existing_ == Existing::Replace || existing_ == Existing::ReplaceAll;
    }

    Files& files_;
    fs::path folder_;
    std::span<const std::string> entries_;
    FolderExpansionCalls& calls_;
    std::size_t position_ = 0;
    Existing existing_ = Existing::Replace;
    bool stopped_ = false;
    FolderExpansion result_;
    std::string failedMember_;
    ExpandStatus failedStatus_ = ExpandStatus::Done;
};

}  // namespace

FolderExpansion ExpandIntoFolder(Files& files, const std::string& cabinetPath, const fs::path& folder,
                                 std::span<const std::string> entries, FolderExpansionCalls& calls) {
    FolderHandler handler(files, folder, entries, calls);
    FolderExpansion& result = handler.Result();
    auto file = files.OpenShared(cabinetPath);
    if (!file) {
        result.status = ExpandStatus::ReadFailed;
        result.cause = cabinetPath + " could not be opened";
        return result;
    }
    FileCabinetSource whole(std::move(file));
    StoppableSource source(whole, handler.Stopped(), calls);
    result.status = Expand(source, 0, handler);
    if (handler.Stopped() || calls.Cancelled()) result.cancelled = true;
    if (result.status != ExpandStatus::Done && !result.cancelled) handler.NoteCause(result.status);
    return result;
}

FolderExpansion ExpandInto(Files& files, const std::string& cabinetPath, const fs::path& folder) {
    FolderExpansionCalls everything;
    return ExpandIntoFolder(files, cabinetPath, folder, {}, everything);
}

}  // namespace vexa::cab
