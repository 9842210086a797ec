#include "cabcodec/win32/cabinet_tables.hpp"

#include <algorithm>
#include <array>
#include <cstring>

namespace vexa::cab {
namespace {

constexpr std::size_t kHeaderSize = 36;
constexpr std::size_t kFolderEntrySize = 8;
constexpr std::size_t kFileEntrySize = 16;
constexpr std::size_t kLongestString = 255;
constexpr std::uint16_t kHasPrevious = 0x1;
constexpr std::uint16_t kHasNext = 0x2;
constexpr std::uint16_t kHasReserve = 0x4;

std::uint16_t Le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t Le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(Le16(p)) | static_cast<std::uint32_t>(Le16(p + 2)) << 16;
}

// Reads the tables in order; the first failure sticks.
class Cursor {
public:
    explicit Cursor(CabinetSource& cabinet) : cabinet_(cabinet) {}

    ExpandStatus Status() const { return status_; }
    bool Bytes(unsigned char* into, std::size_t n) {
        if (status_ != ExpandStatus::Done) return false;
        auto got = cabinet_.ReadAt(at_, into, n);
        if (!got || *got < n) return Fail(got ? ExpandStatus::NotACabinet : ExpandStatus::ReadFailed);
        at_ += n;
        return true;
    }
    void Skip(std::uint64_t n) { at_ += n; }
    // A string of 1 to 255 bytes and its terminating zero.
    bool String(std::string& into) {
        std::array<unsigned char, kLongestString + 1> bytes{};
        if (status_ != ExpandStatus::Done) return false;
        auto got = cabinet_.ReadAt(at_, bytes.data(), bytes.size());
        if (!got) return Fail(ExpandStatus::ReadFailed);
        auto stop = bytes.begin() + static_cast<std::ptrdiff_t>(*got);
        auto end = std::find(bytes.begin(), stop, static_cast<unsigned char>(0));
        if (end == bytes.begin() || end == stop) return Fail(ExpandStatus::NotACabinet);
        into.assign(bytes.begin(), end);
        at_ += into.size() + 1;
        return true;
    }
    bool Fail(ExpandStatus status) {
        status_ = status;
        return false;
    }

private:
    CabinetSource& cabinet_;
    std::uint64_t at_ = 0;
    ExpandStatus status_ = ExpandStatus::Done;
};

// The header, then what the flags add to it: the reserve sizes and the header reserve, and
// the names of the previous and next cabinets and their disks. Leaves the cursor at the
// folder entries, whose size it gives.
bool ReadHeader(Cursor& cursor, CabinetInfo& info, std::size_t& folderEntrySize) {
    std::array<unsigned char, kHeaderSize> head{};
    if (!cursor.Bytes(head.data(), head.size())) return false;
    if (std::memcmp(head.data(), "MSCF", 4) != 0) return cursor.Fail(ExpandStatus::NotACabinet);
    std::uint16_t flags = Le16(&head[30]);
    info.length = Le32(&head[8]);
    info.folders = Le16(&head[26]);
    info.files = Le16(&head[28]);
    info.setId = Le16(&head[32]);
    info.cabinetIndex = Le16(&head[34]);
    info.hasPrevious = (flags & kHasPrevious) != 0;
    info.hasNext = (flags & kHasNext) != 0;
    if (info.folders == 0 || info.files == 0) return cursor.Fail(ExpandStatus::NotACabinet);

    std::array<unsigned char, 4> reserves{};
    if ((flags & kHasReserve) != 0 && !cursor.Bytes(reserves.data(), reserves.size())) return false;
    info.headerReserve = Le16(&reserves[0]);
    cursor.Skip(info.headerReserve);
    std::string name;
    for (bool present : {info.hasPrevious, info.hasNext}) {
        if (present && !(cursor.String(name) && cursor.String(name))) return false;
    }
    folderEntrySize = kFolderEntrySize + reserves[2];
    return true;
}

bool ReadFileEntry(Cursor& cursor, std::uint16_t folders, FileEntry& entry) {
    std::array<unsigned char, kFileEntrySize> fields{};
    if (!cursor.Bytes(fields.data(), fields.size()) || !cursor.String(entry.member.name)) return false;
    entry.member.size = Le32(&fields[0]);
    entry.folderOffset = Le32(&fields[4]);
    entry.folder = Le16(&fields[8]);
    entry.member.dosDate = Le16(&fields[10]);
    entry.member.dosTime = Le16(&fields[12]);
    entry.member.attributes = Le16(&fields[14]);
    return entry.folder < folders || entry.folder >= kContinuedFolder || cursor.Fail(ExpandStatus::NotACabinet);
}

}  // namespace

// The file entries are read where the folder entries end, as readers do, whatever the
// header's offset of the file table says.
ExpandStatus ReadCabinetTables(CabinetSource& cabinet, CabinetTables& tables) {
    Cursor cursor(cabinet);
    std::size_t folderEntrySize = 0;
    if (!ReadHeader(cursor, tables.info, folderEntrySize)) return cursor.Status();
    cursor.Skip(static_cast<std::uint64_t>(tables.info.folders) * folderEntrySize);
    tables.files.assign(tables.info.files, FileEntry{});
    for (auto& entry : tables.files) {
        if (!ReadFileEntry(cursor, tables.info.folders, entry)) break;
    }
    return cursor.Status();
}

}  // namespace vexa::cab
