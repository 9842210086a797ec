#pragma once
// The tables at the front of a cabinet: the header (CFHEADER with its reserve), one entry
// per folder (CFFOLDER) and one per file (CFFILE). The data blocks follow them, and then
// the signature slot of a cabinet with room for a certificate.

#include <cstdint>
#include <string>
#include <vector>

namespace vexa::cab {

struct FolderRecord {
    std::uint32_t dataOffset = 0;  // from the start of the data area
    std::uint16_t blocks = 0;
};

struct FileRecord {
    std::uint32_t size = 0;
    std::uint32_t folderOffset = 0;  // where the file starts in its folder's uncompressed stream
    std::uint16_t folder = 0;
    std::uint16_t dosDate = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t attributes = 0;
    std::string name;
};

struct HeaderFields {
    std::uint16_t setId = 0;
    std::uint16_t cabinetNumber = 0;
    std::uint16_t certificateReserve = 0;  // the slot after the cabinet
};

// Bytes of the header, of one folder entry and of one file entry.
std::uint64_t HeaderSize(std::uint16_t certificateReserve);
inline constexpr std::uint64_t kFolderEntrySize = 8;
std::uint64_t FileEntrySize(const FileRecord& file);

// The tables for a cabinet whose data area (all folders' blocks) has `dataSize` bytes.
std::vector<unsigned char> BuildDirectory(const HeaderFields& header, const std::vector<FolderRecord>& folders,
                                          const std::vector<FileRecord>& files, std::uint64_t dataSize);

}  // namespace vexa::cab
