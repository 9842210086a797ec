#include "sfxstub/expansion.hpp"

#include <fstream>
#include <memory>

#include "cabcodec/cabinet_source.hpp"
#include "cabcodec/expander.hpp"
#include "common/format_path.hpp"
#include "sfxstub/stub_texts.hpp"

namespace vexa::sfx {
namespace {

namespace fs = std::filesystem;

// Reads fail once the expansion is stopped, which ends the pass even inside a member.
class CancellableSource final : public cab::CabinetSource {
public:
    CancellableSource(cab::CabinetSource& inner, const ExpansionFlags& flags) : inner_(inner), flags_(flags) {}
    std::uint64_t Size() const override { return inner_.Size(); }
    std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) override {
        if (flags_.Stopped()) return std::nullopt;
        return inner_.ReadAt(offset, into, n);
    }

private:
    cab::CabinetSource& inner_;
    const ExpansionFlags& flags_;
};

class FileSink final : public cab::MemberSink {
public:
    explicit FileSink(fs::path path) : path_(std::move(path)), out_(path_, std::ios::binary | std::ios::trunc) {}
    bool Write(const unsigned char* data, std::size_t n) override {
        return static_cast<bool>(out_.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n)));
    }
    // False also when the file could not be created.
    bool Close() {
        out_.close();
        return !out_.fail();
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
    std::ofstream out_;
};

class StubExpandHandler final : public cab::ExpandHandler {
public:
    StubExpandHandler(Files& files, StubUi& ui, fs::path folder, const std::vector<std::string>& entries,
                      ExpansionFlags& flags)
        : files_(files), ui_(ui), folder_(std::move(folder)), entries_(entries), flags_(flags) {}

    bool Created() const { return created_; }

    std::unique_ptr<cab::MemberSink> CopyFile(const cab::MemberInfo& member) override {
        // The codec does not read between members, so a cancelled pass ends here.
        if (flags_.Stopped()) return nullptr;
        fs::path target = folder_ / NativePath(member.name);
        std::error_code ignored;  // a folder that cannot be made fails its file's creation
        fs::create_directories(target.parent_path(), ignored);

        const std::string* entry = position_ < entries_.size() ? &entries_[position_] : nullptr;
        bool skip = entry && entry->starts_with('*');
        if (!skip && entry) ui_.ShowStatus(kNowExtracting + *entry);
        if (!skip) skip = !MayReplace(target);
        ++position_;
        if (skip) return nullptr;
        created_ = true;
        return std::make_unique<FileSink>(std::move(target));
    }

    bool FileComplete(std::unique_ptr<cab::MemberSink> sink, const cab::MemberInfo& member) override {
        auto& file = static_cast<FileSink&>(*sink);
        if (!file.Close()) return false;
        // A file without its stored time or attributes is still the right file.
        const std::string path = file.Path().string();
        files_.SetFileTime(path, FromDosDateTime({member.dosDate, member.dosTime}), true);
        files_.SetAttributes(path, member.attributes & kStoredAttributes);
        return true;
    }

private:
    // Asks before an existing file is replaced, unless the user said "Yes to All" before.
    bool MayReplace(const fs::path& target) {
        std::error_code ignored;
        // A link counts as existing even when it points nowhere: it is replaced, never followed.
        if (!fs::exists(fs::symlink_status(target, ignored))) return true;
        if (answer_ != OverwriteAnswer::YesToAll) answer_ = ui_.AskOverwrite(target.string());
        if (answer_ == OverwriteAnswer::No) return false;
        if (answer_ == OverwriteAnswer::Cancel) {
            flags_.cancel = true;
            return false;
        }
        fs::remove(target, ignored);
        return true;
    }

    Files& files_;
    StubUi& ui_;
    fs::path folder_;
    const std::vector<std::string>& entries_;
    ExpansionFlags& flags_;
    std::size_t position_ = 0;
    bool created_ = false;
    OverwriteAnswer answer_ = OverwriteAnswer::Cancel;
};

}  // namespace

std::optional<EndMessage> EndMessageOf(const ExpansionResult& result) {
    if (result.closing) return std::nullopt;
    switch (result.outcome) {
    case ExpansionOutcome::Cancelled:
        return EndMessage{result.created ? kCancelledSome : kCancelledNone, kCancelledCaption};
    case ExpansionOutcome::Failed:
        return EndMessage{kFailed, kErrorCaption};
    case ExpansionOutcome::Done:
        break;
    }
    return result.created ? EndMessage{kSucceeded, kSuccessCaption} : EndMessage{kNothingExtracted, kNothingCaption};
}

ExpansionResult ExpandCabinet(Files& files, StubUi& ui, const std::string& cabinetPath, const fs::path& folder,
                              const std::vector<std::string>& entries, ExpansionFlags& flags) {
    StubExpandHandler handler(files, ui, folder, entries, flags);
    auto status = cab::ExpandStatus::ReadFailed;
    if (auto file = files.OpenShared(cabinetPath)) {
        cab::FileCabinetSource source(std::move(file));
        CancellableSource cancellable(source, flags);
        status = cab::Expand(cancellable, 0, handler);
    }
    ExpansionResult result;
    result.outcome = flags.Stopped()                     ? ExpansionOutcome::Cancelled
                     : status != cab::ExpandStatus::Done ? ExpansionOutcome::Failed
                                                         : ExpansionOutcome::Done;
    result.created = handler.Created();
    result.closing = flags.closing;
    flags.cancel = false;
    return result;
}

}  // namespace vexa::sfx
