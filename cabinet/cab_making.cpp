#include "cabinet/cab_making.hpp"

#include <filesystem>
#include <fstream>

#include "cabcodec/maker.hpp"
#include "cabinet/cab_messages.hpp"
#include "common/file_beside.hpp"
#include "common/file_name.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kMaxCabinetSize = 300'000'000;
constexpr std::uint32_t kFolderThreshold = 900'000;
constexpr std::uint16_t kSetId = 10001;
constexpr const char* kTemporaryPrefix = "xx";

// A source file read from its start. The port reads short only at the end of the file or
// on an error, so a short read before the end is an error.
class SourceOnDisk final : public cab::SourceReader {
public:
    explicit SourceOnDisk(std::unique_ptr<ReadableFile> file) : file_(std::move(file)) {}
    std::optional<std::size_t> Read(unsigned char* into, std::size_t n) override {
        std::size_t got = file_->ReadAt(position_, into, n);
        if (got < n && position_ + got < file_->Size()) return std::nullopt;
        position_ += got;
        return got;
    }

private:
    std::unique_ptr<ReadableFile> file_;
    std::uint64_t position_ = 0;
};

// The cabinet being written or a temporary file of the maker. Writes are refused once the
// make is cancelled: that makes the maker abandon the cabinet.
class FileOnDisk final : public cab::TemporaryFile {
public:
    FileOnDisk(std::string path, bool temporary, const std::atomic<bool>& cancelled)
        : path_(std::move(path)),
          temporary_(temporary),
          cancelled_(cancelled),
          stream_(path_, std::ios::in | std::ios::out | std::ios::binary | std::ios::trunc) {}
    ~FileOnDisk() override {
        stream_.close();
        std::error_code ignored;
        if (temporary_) fs::remove(path_, ignored);
    }
    FileOnDisk(const FileOnDisk&) = delete;
    FileOnDisk& operator=(const FileOnDisk&) = delete;

    bool IsOpen() const { return stream_.is_open(); }
    // False if what was written could not all reach the file.
    bool Close() {
        stream_.close();
        return !stream_.fail();
    }

    bool Write(const unsigned char* data, std::size_t n) override {
        if (cancelled_) return false;
        stream_.seekp(0, std::ios::end);
        return static_cast<bool>(stream_.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(n)));
    }

    std::optional<std::size_t> ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) override {
        stream_.clear();
        if (!stream_.seekg(static_cast<std::streamoff>(offset))) return std::nullopt;
        stream_.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(n));
        if (stream_.bad()) return std::nullopt;
        return static_cast<std::size_t>(stream_.gcount());
    }

private:
    std::string path_;
    bool temporary_;
    const std::atomic<bool>& cancelled_;
    std::fstream stream_;
};

// The maker's hold on the cabinet file, which the make keeps so as to close it, and see that
// it closed well, before the commit.
class WritesTo final : public cab::OutputFile {
public:
    explicit WritesTo(FileOnDisk& file) : file_(file) {}
    bool Write(const unsigned char* data, std::size_t n) override { return file_.Write(data, n); }

private:
    FileOnDisk& file_;
};

template <typename File>
std::unique_ptr<File> IfOpen(std::unique_ptr<File> file) {
    return file->IsOpen() ? std::move(file) : nullptr;
}

class MakeCallbacksOnDisk final : public cab::MakeCallbacks {
public:
    MakeCallbacksOnDisk(Platform& platform, CabinetJobs& jobs, WindowHandle window)
        : platform_(platform), jobs_(jobs), window_(window) {}

    // Puts the cabinet written beside its target in its place.
    bool CommitCabinet() { return cabinetFile_ && cabinetFile_->Close() && !cabinet_->Commit(); }

    // The stored time is the last-write time in local time; the stored attributes are
    // read-only, hidden, system and archive, none when they cannot be read.
    std::optional<cab::SourceFile> OpenSource(const std::string& path) override {
        auto file = platform_.files.OpenShared(path);
        if (!file) return std::nullopt;
        DosDateTime dos;
        if (auto time = platform_.files.LastWriteTime(path)) dos = ToDosDateTime(*time);
        auto attributes = static_cast<std::uint16_t>(platform_.files.Attributes(path).value_or(0) & kStoredAttributes);
        return cab::SourceFile{std::make_unique<SourceOnDisk>(std::move(file)), dos.date, dos.time, attributes};
    }

    void BlockCompressed(std::uint32_t compressedSize, std::uint32_t uncompressedSize) override {
        jobs_.compressedTotal += compressedSize;
        jobs_.uncompressedTotal += uncompressedSize;
        platform_.windows.Post(window_, kMakeProgressMessage, 0, 0);
    }

    std::unique_ptr<cab::TemporaryFile> CreateTemporary() override {
        auto path = platform_.files.CreateTempFile(kTemporaryPrefix);
        if (!path) return nullptr;
        return IfOpen(std::make_unique<FileOnDisk>(*path, true, jobs_.makeCancel));
    }

    std::unique_ptr<cab::OutputFile> CreateCabinet(const std::string& path) override {
        cabinet_ = FileBesideOf(platform_.files, path);
        if (!cabinet_->Made()) return nullptr;
        cabinetFile_ = IfOpen(std::make_unique<FileOnDisk>(cabinet_->Path(), false, jobs_.makeCancel));
        if (!cabinetFile_) return nullptr;
        return std::make_unique<WritesTo>(*cabinetFile_);
    }

private:
    Platform& platform_;
    CabinetJobs& jobs_;
    WindowHandle window_;
    std::unique_ptr<FileBeside> cabinet_;  // removed unless committed
    std::unique_ptr<FileOnDisk> cabinetFile_;  // closed before its file is removed
};

// With `toArchive`, the file is stored with the archive attribute alone and gets its own
// attributes back afterwards.
bool AddFile(cab::CabinetMaker& maker, Files& files, const std::string& source, const std::string& name,
             bool toArchive) {
    std::optional<std::uint32_t> own = toArchive ? files.Attributes(source) : std::nullopt;
    if (own) files.SetAttributes(source, kAttributeArchive);
    bool added = maker.AddFile(source, name);
    if (own) files.SetAttributes(source, *own);
    return added;
}

// Why a make failed, naming the file it was at.
std::string CauseOf(cab::MakeError error, const std::string& source, const std::string& name,
                    const std::string& cabinet) {
    switch (error) {
        case cab::MakeError::None: return {};
        case cab::MakeError::BadParameters: return "no cabinet name, or a header reserve above 60000 bytes";
        case cab::MakeError::BadName: return "the name \"" + name + "\" is empty, too long or leaves the destination";
        case cab::MakeError::OpenSource: return source + " cannot be opened";
        case cab::MakeError::ReadSource: return source + " could not be read";
        case cab::MakeError::TemporaryFile: return "no temporary file could be made or read back";
        case cab::MakeError::WriteFailed: return cabinet + " could not be written";
        case cab::MakeError::TooLarge: return "the files are more than one cabinet can hold";
        case cab::MakeError::NoFiles: return "no files to put in the cabinet";
        case cab::MakeError::Finished: break;
    }
    return "the cabinet was already finished";
}

// Empty when made, else why not.
std::string MakeCabinet(cab::MakeCallbacks& callbacks, Platform& platform, CabinetJobs& jobs,
                        const MakeOrder& order) {
    if (order.certificateSize < 0 || order.certificateSize > cab::kMaxHeaderReserve)
        return CauseOf(cab::MakeError::BadParameters, {}, {}, order.cabFilename);
    cab::MakeParameters parameters;
    parameters.directory = DirectoryPart(order.cabFilename);
    parameters.name = FileNamePart(order.cabFilename);
    parameters.maxCabinetSize = kMaxCabinetSize;
    parameters.folderThreshold = kFolderThreshold;
    parameters.headerReserve = static_cast<std::uint16_t>(order.certificateSize);
    parameters.setId = kSetId;
    parameters.cabinetNumber = 1;
    cab::CabinetMaker maker(parameters, callbacks);

    const CabImage& image = order.image;
    for (std::size_t i = 0; i < image.sources.size(); ++i) {
        // Every file from the second to the last but one starts a folder; the last one
        // joins the folder of the file before it.
        bool ownFolder = order.layout == FolderLayout::FolderPerFile && i != 0 && i + 1 != image.sources.size();
        jobs.SetCurrentFile(image.sources[i]);
        if ((ownFolder && !maker.FlushFolder()) ||
            !AddFile(maker, platform.files, image.sources[i], image.names[i], order.sourcesToArchive))
            return CauseOf(maker.Error(), image.sources[i], image.names[i], order.cabFilename);
    }
    if (!maker.FlushCabinet()) return CauseOf(maker.Error(), {}, {}, order.cabFilename);
    return {};
}

// What the make left beside the target is gone before the end is told.
JobOutcome MakeAndCommit(Platform& platform, CabinetJobs& jobs, const MakeOrder& order) {
    MakeCallbacksOnDisk callbacks(platform, jobs, order.window);
    std::string cause = MakeCabinet(callbacks, platform, jobs, order);
    if (jobs.makeCancel) return JobOutcome::Cancel;
    if (cause.empty() && !callbacks.CommitCabinet()) cause = order.cabFilename + " could not be put in place";
    jobs.SetFailureCause(cause);
    return cause.empty() ? JobOutcome::Done : JobOutcome::Error;
}

}  // namespace

void RunMake(Platform& platform, CabinetJobs& jobs, const MakeOrder& order) {
    JobOutcome outcome = MakeAndCommit(platform, jobs, order);
    platform.windows.Post(order.window, kMakeEndedMessage, static_cast<std::uintptr_t>(outcome), 0);
}

}  // namespace vexa
