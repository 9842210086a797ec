#pragma once
// A cabinet's header fields and file entries, read straight from its bytes. FDI reports
// neither the size of the header reserve, nor reliably whether a next cabinet follows, nor
// where a member lies in its folder, and it offers a member continued from another cabinet
// by name alone; the expander needs all of these.

#include <cstdint>
#include <vector>

#include "cabcodec/cabinet_source.hpp"
#include "cabcodec/expander.hpp"

namespace vexa::cab {

// Folder indexes from here up mark a member continued from or into another cabinet.
inline constexpr std::uint16_t kContinuedFolder = 0xFFFD;

struct FileEntry {
    MemberInfo member;
    std::uint32_t folderOffset = 0;  // where the member starts in its folder's uncompressed stream
    std::uint16_t folder = 0;
};

struct CabinetTables {
    CabinetInfo info;
    std::vector<FileEntry> files;  // in cabinet order
};

// Done, ReadFailed if the source failed a read, or NotACabinet if the bytes hold no header
// with at least one folder and one file, a string or entry is cut short, a name is empty
// or 256 bytes or longer, or an entry names a folder the cabinet does not have.
ExpandStatus ReadCabinetTables(CabinetSource& cabinet, CabinetTables& tables);

}  // namespace vexa::cab
