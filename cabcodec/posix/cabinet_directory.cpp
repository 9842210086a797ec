#include "cabcodec/posix/cabinet_directory.hpp"

#include <span>
#include <string_view>

#include "cabcodec/signature_slot.hpp"

namespace vexa::cab {
namespace {

constexpr std::uint64_t kFixedHeader = 36;
constexpr std::uint64_t kReserveFields = 4;  // cbCFHeader, cbCFFolder, cbCFData
constexpr std::uint64_t kFixedFileEntry = 16;
constexpr std::uint16_t kReservePresent = 0x0004;
constexpr std::uint16_t kMszip = 1;

class Writer {
public:
    explicit Writer(std::vector<unsigned char>& out) : out_(out) {}
    void U8(std::uint8_t v) { out_.push_back(v); }
    void U16(std::uint16_t v) {
        U8(static_cast<std::uint8_t>(v));
        U8(static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t v) {
        U16(static_cast<std::uint16_t>(v));
        U16(static_cast<std::uint16_t>(v >> 16));
    }
    void Bytes(std::string_view bytes) { out_.insert(out_.end(), bytes.begin(), bytes.end()); }
    void Bytes(std::span<const unsigned char> bytes) { out_.insert(out_.end(), bytes.begin(), bytes.end()); }
    void Text(std::string_view text) {
        Bytes(text);
        U8(0);
    }

private:
    std::vector<unsigned char>& out_;
};

}  // namespace

std::uint64_t HeaderSize(std::uint16_t certificateReserve) {
    std::uint16_t reserve = HeaderReserveFor(certificateReserve);
    return kFixedHeader + (reserve != 0 ? kReserveFields + reserve : 0);
}

std::uint64_t FileEntrySize(const FileRecord& file) { return kFixedFileEntry + file.name.size() + 1; }

// The caller has checked that the cabinet fits the format's 32-bit sizes.
std::vector<unsigned char> BuildDirectory(const HeaderFields& header, const std::vector<FolderRecord>& folders,
                                          const std::vector<FileRecord>& files, std::uint64_t dataSize) {
    const std::uint16_t reserve = HeaderReserveFor(header.certificateReserve);
    std::uint64_t filesStart = HeaderSize(header.certificateReserve) + kFolderEntrySize * folders.size();
    std::uint64_t dataStart = filesStart;
    for (const auto& file : files) dataStart += FileEntrySize(file);

    std::vector<unsigned char> out;
    out.reserve(static_cast<std::size_t>(dataStart));
    Writer w(out);
    w.Bytes("MSCF");
    w.U32(0);
    const auto cabinetSize = static_cast<std::uint32_t>(dataStart + dataSize);
    w.U32(cabinetSize);
    w.U32(0);
    w.U32(static_cast<std::uint32_t>(filesStart));
    w.U32(0);
    w.U8(3);  // format version 1.3
    w.U8(1);
    w.U16(static_cast<std::uint16_t>(folders.size()));
    w.U16(static_cast<std::uint16_t>(files.size()));
    w.U16(reserve != 0 ? kReservePresent : 0);
    w.U16(header.setId);
    w.U16(header.cabinetNumber);
    if (reserve != 0) {
        w.U16(reserve);
        w.U8(0);  // no folder reserve
        w.U8(0);  // no data block reserve
        w.Bytes(SignatureHeader(cabinetSize, header.certificateReserve));
    }
    for (const auto& folder : folders) {
        w.U32(static_cast<std::uint32_t>(dataStart + folder.dataOffset));
        w.U16(folder.blocks);
        w.U16(kMszip);
    }
    for (const auto& file : files) {
        w.U32(file.size);
        w.U32(file.folderOffset);
        w.U16(file.folder);
        w.U16(file.dosDate);
        w.U16(file.dosTime);
        w.U16(file.attributes);
        w.Text(file.name);
    }
    return out;
}

}  // namespace vexa::cab
