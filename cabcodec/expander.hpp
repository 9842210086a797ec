#pragma once
// Expanding cabinets: a copy pass over one cabinet that offers every member to a handler,
// which answers with a sink for the member's bytes or skips it. Listing is a pass that
// skips every member. A pass never trusts the cabinet: a member whose name would leave
// the destination folder is refused and ends the pass, and malformed data ends it too.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cabcodec/cabinet_source.hpp"

namespace vexa::cab {

// What a cabinet's header says about it.
struct CabinetInfo {
    std::uint32_t length = 0;  // as declared; the bytes after it are not the cabinet's
    std::uint16_t folders = 0;
    std::uint16_t files = 0;
    std::uint16_t setId = 0;
    std::uint16_t cabinetIndex = 0;
    std::uint16_t headerReserve = 0;
    bool hasPrevious = false;  // part of a set spanning several cabinets
    bool hasNext = false;
};

// A member as the cabinet stores it.
struct MemberInfo {
    std::string name;  // "\" separates folders; 8-bit text, UTF-8 when attributes has 0x80
    std::uint32_t size = 0;
    std::uint16_t dosDate = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t attributes = 0;  // all stored bits; read-only, hidden, system, archive are 0x27
};

enum class ExpandStatus {
    Done,
    NotACabinet,  // no valid cabinet header at the offset
    UnsafeName,   // a member's name is absolute, has a drive or root, or climbs with ".."
    ReadFailed,   // the source failed a read (or was cancelled)
    WriteFailed,  // a sink refused a write
    BadChecksum,  // a data block's checksum does not match its bytes
    BadData,      // corrupt, truncated or unsupported data, a member continued in another
                  // cabinet, or a copy that would go back to an earlier place in the folders
    Refused,      // the handler failed a file-complete notice
};

// Receives one member's bytes. A sink that is destroyed without being handed to
// FileComplete holds an incomplete member: the pass failed while filling it.
class MemberSink {
public:
    virtual ~MemberSink() = default;
    // False fails the pass (a full disk, or the caller stopping it).
    virtual bool Write(const unsigned char* data, std::size_t n) = 0;
};

class ExpandHandler {
public:
    virtual ~ExpandHandler() = default;
    // Copy-file request: a sink to fill, or null to skip the member.
    virtual std::unique_ptr<MemberSink> CopyFile(const MemberInfo& member) = 0;
    // The member is complete; the sink comes back for closing and stamping with the
    // member's date, time and attributes. False fails the pass.
    virtual bool FileComplete(std::unique_ptr<MemberSink> sink, const MemberInfo& member) = 0;
    // The pass fails at this member, for the reason given; messages name it.
    virtual void MemberFailed(const MemberInfo& /*member*/, ExpandStatus /*why*/) {}
};

// Whether a valid cabinet header (with its folder and file tables) starts at `offset`.
std::optional<CabinetInfo> IsCabinet(CabinetSource& source, std::uint64_t offset = 0);

// The copy pass over the cabinet that starts at `offset` of `source`. Members are offered
// in cabinet order; the pass stops at the first failure. Copies must move forward through
// the folders, as every maker writes them: going back would mean decompressing a folder
// again from its start. Cabinet sets spanning several files are not followed: a member
// continued from or into another cabinet fails with BadData.
ExpandStatus Expand(CabinetSource& source, std::uint64_t offset, ExpandHandler& handler);

// A pass that skips every member, collecting them. On a failure at a member (an unsafe
// name), `failedAt` gets its name.
ExpandStatus ListMembers(CabinetSource& source, std::uint64_t offset, std::vector<MemberInfo>& members,
                         std::string* failedAt = nullptr);

// Why a pass failed, for the line under a message: "unsafe name ..\x", "checksum error in a.txt".
// `member` is the member at which it failed, empty when it failed before any.
std::string FailureCause(ExpandStatus status, const std::string& member);

struct CabinetLocation {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;  // declared length, cut at the end of the source
};

// Every cabinet inside a file, in file order: a self-extracting program holds its cabinet
// after the stub, and some files hold several. Nullopt if the source fails a read.
std::optional<std::vector<CabinetLocation>> FindCabinets(CabinetSource& source);

}  // namespace vexa::cab
