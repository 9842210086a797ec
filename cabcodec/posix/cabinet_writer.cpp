// The maker's POSIX backend: our own cabinet writer. Data blocks go to a temporary file
// as they are compressed; the tables and then the data are written when the cabinet is
// flushed.

#include <algorithm>
#include <limits>

#include "cabcodec/copy_spooled.hpp"
#include "cabcodec/maker.hpp"
#include "cabcodec/member_name.hpp"
#include "cabcodec/posix/block_pipeline.hpp"
#include "cabcodec/posix/cabinet_directory.hpp"
#include "cabcodec/posix/data_block.hpp"
#include "cabcodec/signature_slot.hpp"

namespace vexa::cab {
namespace {

constexpr std::uint16_t kMaxCount = std::numeric_limits<std::uint16_t>::max();

}  // namespace

class CabinetMaker::Writer {
public:
    Writer(const MakeParameters& parameters, MakeCallbacks& callbacks)
        : parameters_(parameters),
          callbacks_(callbacks),
          pipeline_(parameters.threads),
          deliver_([this](const std::vector<unsigned char>& block, std::uint32_t size) { return Deliver(block, size); }),
          directorySize_(HeaderSize(parameters.headerReserve)),
          input_(kBlockInput) {
        if (parameters.headerReserve > kMaxHeaderReserve || parameters.name.empty()) error_ = MakeError::BadParameters;
    }

    bool AddFile(const std::string& sourcePath, const std::string& nameInCabinet);
    bool CloseFolder();
    bool FlushCabinet();
    MakeError Error() const { return error_; }

private:
    bool Usable() { return error_ == MakeError::None && (!finished_ || Fail(MakeError::Finished)); }
    bool Fail(MakeError error) {
        if (error_ == MakeError::None) error_ = error;
        return false;
    }
    bool Fits() {
        return dataSize_ + directorySize_ + parameters_.headerReserve <= parameters_.maxCabinetSize ||
               Fail(MakeError::TooLarge);
    }
    bool OpenFolderFor(const FileRecord& file);
    bool Stream(SourceReader& data, FileRecord& file);
    bool SubmitBlock();
    bool Deliver(const std::vector<unsigned char>& block, std::uint32_t uncompressedSize);
    bool WriteCabinet(OutputFile& out);

    MakeParameters parameters_;
    MakeCallbacks& callbacks_;
    BlockPipeline pipeline_;
    BlockPipeline::Deliver deliver_;
    std::unique_ptr<TemporaryFile> temporary_;
    std::uint64_t dataSize_ = 0;       // compressed blocks written so far
    std::uint64_t directorySize_;      // the tables as they stand, the open folder's entry included
    std::vector<FolderRecord> folders_;
    std::vector<FileRecord> files_;

    // The open folder and its block being filled.
    FolderRecord folder_;
    std::uint64_t folderBytes_ = 0;
    bool folderHasFiles_ = false;
    std::vector<unsigned char> input_;
    std::size_t filled_ = 0;
    std::vector<unsigned char> history_;

    MakeError error_ = MakeError::None;
    bool finished_ = false;
};

bool CabinetMaker::Writer::AddFile(const std::string& sourcePath, const std::string& nameInCabinet) {
    if (!Usable()) return false;
    if (nameInCabinet.size() > kMaxMemberName) return Fail(MakeError::BadName);
    if (files_.size() == kMaxCount) return Fail(MakeError::TooLarge);
    auto source = callbacks_.OpenSource(sourcePath);
    if (!source || !source->data) return Fail(MakeError::OpenSource);
    source->attributes = NameAttributes(nameInCabinet, source->attributes);
    if (!IsSafeMemberName(nameInCabinet, source->attributes)) return Fail(MakeError::BadName);

    FileRecord file{0, static_cast<std::uint32_t>(folderBytes_), static_cast<std::uint16_t>(folders_.size()),
                    source->dosDate, source->dosTime, source->attributes, nameInCabinet};
    if (!OpenFolderFor(file) || !Stream(*source->data, file)) return false;
    files_.push_back(std::move(file));
    return folderBytes_ < parameters_.folderThreshold || CloseFolder();
}

bool CabinetMaker::Writer::OpenFolderFor(const FileRecord& file) {
    directorySize_ += FileEntrySize(file);
    if (!folderHasFiles_) {
        if (folders_.size() == kMaxCount) return Fail(MakeError::TooLarge);
        directorySize_ += kFolderEntrySize;
        folderHasFiles_ = true;
    }
    return Fits();
}

bool CabinetMaker::Writer::Stream(SourceReader& data, FileRecord& file) {
    for (;;) {
        auto got = data.Read(input_.data() + filled_, kBlockInput - filled_);
        if (!got) return Fail(MakeError::ReadSource);
        if (*got == 0) return true;
        // The folder's block limit keeps these within 32 bits.
        filled_ += *got;
        file.size += static_cast<std::uint32_t>(*got);
        folderBytes_ += *got;
        if (filled_ == kBlockInput && !SubmitBlock()) return false;
    }
}

bool CabinetMaker::Writer::SubmitBlock() {
    if (folder_.blocks == kMaxCount) return Fail(MakeError::TooLarge);
    std::span<const unsigned char> block(input_.data(), filled_);
    if (!pipeline_.Push(block, history_, deliver_)) return false;
    history_.assign(block.begin(), block.end());
    filled_ = 0;
    ++folder_.blocks;
    return true;
}

bool CabinetMaker::Writer::Deliver(const std::vector<unsigned char>& block, std::uint32_t uncompressedSize) {
    if (!temporary_ && !(temporary_ = callbacks_.CreateTemporary())) return Fail(MakeError::TemporaryFile);
    if (!temporary_->Write(block.data(), block.size())) return Fail(MakeError::WriteFailed);
    dataSize_ += block.size();
    if (!Fits()) return false;
    callbacks_.BlockCompressed(static_cast<std::uint32_t>(block.size() - kDataHeaderSize), uncompressedSize);
    return true;
}

bool CabinetMaker::Writer::CloseFolder() {
    if (!Usable()) return false;
    if (!folderHasFiles_) return true;
    if (filled_ > 0 && !SubmitBlock()) return false;
    if (!pipeline_.Drain(deliver_)) return false;
    folders_.push_back(folder_);
    folder_ = {static_cast<std::uint32_t>(dataSize_), 0};
    folderBytes_ = 0;
    folderHasFiles_ = false;
    history_.clear();
    return true;
}

bool CabinetMaker::Writer::FlushCabinet() {
    if (!CloseFolder()) return false;
    if (files_.empty()) return Fail(MakeError::NoFiles);
    auto out = callbacks_.CreateCabinet(parameters_.directory + parameters_.name);
    if (!out) return Fail(MakeError::WriteFailed);
    if (!WriteCabinet(*out)) return false;
    temporary_.reset();
    finished_ = true;
    return true;
}

bool CabinetMaker::Writer::WriteCabinet(OutputFile& out) {
    auto directory = BuildDirectory({parameters_.setId, parameters_.cabinetNumber, parameters_.headerReserve},
                                    folders_, files_, dataSize_);
    if (!out.Write(directory.data(), directory.size())) return Fail(MakeError::WriteFailed);
    // A cabinet of empty files has no data, and so no temporary file.
    MakeError error = dataSize_ == 0 ? MakeError::None : CopySpooled(*temporary_, dataSize_, out);
    if (error != MakeError::None) return Fail(error);
    return WriteSignatureSlot(out, parameters_.headerReserve) || Fail(MakeError::WriteFailed);
}

CabinetMaker::CabinetMaker(const MakeParameters& parameters, MakeCallbacks& callbacks)
    : writer_(std::make_unique<Writer>(parameters, callbacks)) {}
CabinetMaker::~CabinetMaker() = default;

bool CabinetMaker::AddFile(const std::string& sourcePath, const std::string& nameInCabinet) {
    return writer_->AddFile(sourcePath, nameInCabinet);
}
bool CabinetMaker::FlushFolder() { return writer_->CloseFolder(); }
bool CabinetMaker::FlushCabinet() { return writer_->FlushCabinet(); }
MakeError CabinetMaker::Error() const { return writer_->Error(); }

}  // namespace vexa::cab
