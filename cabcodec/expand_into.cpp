#include "cabcodec/expand_into.hpp"

#include <cerrno>
#include <memory>
#include <optional>
#include <system_error>

#include "cabcodec/cabinet_source.hpp"
#include "common/file_beside.hpp"
#include "common/format_path.hpp"
#include "common/timestamp.hpp"

namespace vexa::cab {
namespace {

namespace fs = std::filesystem;


std::string LastSystemError() { return std::error_code(errno, std::generic_category()).message(); }

// A member being written: into a new file in its place when the place was free, else into
// a temporary file beside it (`beside`) that replaces what stands there once complete.
// Unless the member is put in place, what was written goes again. Failures leave their
// reason in `cause`; a file that could not be made fails the first write, or the
// completion of an empty member.
class MemberFile final : public MemberSink {
public:
    MemberFile(fs::path target, std::unique_ptr<FileBeside> beside, std::unique_ptr<WritableFile> file,
               std::string& cause)
        : target_(std::move(target)), beside_(std::move(beside)), file_(std::move(file)), cause_(cause) {}
    ~MemberFile() override {
        if (placed_ || !file_) return;
        file_.reset();
        std::error_code ignored;
        if (!beside_) fs::remove(target_, ignored);  // the new file, made here
    }
    MemberFile(const MemberFile&) = delete;
    MemberFile& operator=(const MemberFile&) = delete;

    const fs::path& Target() const { return target_; }
    bool Replacing() const { return beside_ != nullptr; }

    bool Write(const unsigned char* data, std::size_t n) override {
        if (!file_) return false;
        if (file_->Write(data, n)) return true;
        cause_ = "could not write " + target_.string() + ": " + LastSystemError();
        return false;
    }

    bool PutInPlace() {
        if (!file_) return false;
        if (!file_->Close()) {
            cause_ = "could not write " + target_.string() + ": " + LastSystemError();
            return false;
        }
        if (std::error_code error = beside_ ? beside_->Commit() : std::error_code()) {
            cause_ = "could not put " + target_.string() + " in place: " + error.message();
            return false;
        }
        return placed_ = true;
    }

private:
    fs::path target_;
    std::unique_ptr<FileBeside> beside_;
    std::unique_ptr<WritableFile> file_;
    std::string& cause_;
    bool placed_ = false;
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
        if (!linkCause.empty()) {
            Advance();
            result_.cause = linkCause;
            return std::make_unique<MemberFile>(target, nullptr, nullptr, result_.cause);
        }
        calls_.Expanding(position_, target);
        std::optional<bool> replacing = MayReplace(target);
        if (!replacing) return Skip();
        Advance();
        return *replacing ? Beside(target) : InPlace(target);
    }

    // A member without its stored time or attributes is still the right file.
    bool FileComplete(std::unique_ptr<MemberSink> sink, const MemberInfo& member) override {
        auto& file = static_cast<MemberFile&>(*sink);
        const std::string path = file.Target().string();
        // A read-only file the caller agreed to replace (often one an earlier expansion
        // stamped) gives up the mark for the rename, and keeps it should the rename fail.
        const std::uint32_t standing = file.Replacing() ? files_.Attributes(path).value_or(0) : 0;
        const bool readOnly = (standing & kAttributeReadOnly) != 0;
        if (readOnly) files_.SetAttributes(path, standing & ~kAttributeReadOnly);
        if (!file.PutInPlace()) {
            if (readOnly) files_.SetAttributes(path, standing);
            return false;
        }
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
        if (!result_.cause.empty()) return;
        result_.cause = FailureCause(failedStatus_ == ExpandStatus::Done ? status : failedStatus_, failedMember_);
    }

private:
    // Makes the destination and the folders along `relative` below it, ignoring failures
    // (the member's file then cannot be made). The destination is the caller's; a link below
    // it is not followed: the reason comes back, and the member fails.
    // Members come folder by folder, so the folders of the last one are not looked at again.
    std::string MakeFolders(const fs::path& relative) {
        if (lastFolders_ == relative) return {};
        std::error_code error;
        if (!lastFolders_) fs::create_directories(folder_, error);
        fs::path at = folder_;
        for (const fs::path& part : relative) {
            at /= part;
            fs::file_status status = fs::symlink_status(at, error);
            if (fs::is_symlink(status)) return at.string() + " is a link, which is not followed";
            if (!fs::exists(status)) fs::create_directory(at, error);
        }
        lastFolders_ = relative;
        return {};
    }

    bool Marked() const { return position_ < entries_.size() && entries_[position_].starts_with(kSkipMark); }

    std::unique_ptr<MemberSink> Skip() {
        Advance();
        return nullptr;
    }

    void Advance() { calls_.Advanced(++position_); }

    // Whether the member may go to `target`: false when the place is free, true when what
    // stands there may be replaced, nullopt when it stays. A link counts as standing there
    // even when it points nowhere.
    std::optional<bool> MayReplace(const fs::path& target) {
        std::error_code error;
        if (!fs::exists(fs::symlink_status(target, error))) return false;
        if (existing_ != Existing::ReplaceAll) existing_ = calls_.AskExisting(target);
        if (existing_ == Existing::Cancel) stopped_ = result_.cancelled = true;
        if (existing_ == Existing::Replace || existing_ == Existing::ReplaceAll) return true;
        return std::nullopt;
    }

    // A free place takes the member at once: the new file is made there exclusively, so
    // nothing that appears meanwhile is followed or replaced.
    std::unique_ptr<MemberSink> InPlace(const fs::path& target) {
        auto file = files_.CreateNewFile(target.string());
        if (!file) result_.cause = "could not create " + target.string() + ": " + LastSystemError();
        return std::make_unique<MemberFile>(target, nullptr, std::move(file), result_.cause);
    }

    // What stands in the place stays until the member is complete beside it.
    std::unique_ptr<MemberSink> Beside(const fs::path& target) {
        auto beside = FileBesideOf(files_, target);
        std::unique_ptr<WritableFile> file;
        if (beside->FreeName()) file = files_.CreateNewFile(beside->Path());
        if (!file) result_.cause = "could not write in " + FileBeside::FolderOf(target) + ": " + LastSystemError();
        return std::make_unique<MemberFile>(target, std::move(beside), std::move(file), result_.cause);
    }

    Files& files_;
    fs::path folder_;
    std::span<const std::string> entries_;
    FolderExpansionCalls& calls_;
    std::size_t position_ = 0;
    Existing existing_ = Existing::Replace;
    bool stopped_ = false;
    std::optional<fs::path> lastFolders_;  // made and checked for the member before
    FolderExpansion result_;
    std::string failedMember_;
    ExpandStatus failedStatus_ = ExpandStatus::Done;
};

}  // namespace

FolderExpansion ExpandIntoFolder(Files& files, const std::string& cabinetPath, const fs::path& folder,
                                 std::span<const std::string> entries, FolderExpansionCalls& calls,
                                 std::uint64_t offset) {
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
    result.status = Expand(source, offset, handler);
    if (handler.Stopped() || calls.Cancelled()) result.cancelled = true;
    if (result.status != ExpandStatus::Done && !result.cancelled) handler.NoteCause(result.status);
    return result;
}

FolderExpansion ExpandInto(Files& files, const std::string& cabinetPath, const fs::path& folder) {
    FolderExpansionCalls everything;
    return ExpandIntoFolder(files, cabinetPath, folder, {}, everything);
}

}  // namespace vexa::cab
