// The expander's POSIX backend: libmspack reads the cabinet (MSZIP, Quantum, LZX and
// stored data) through the bridge, so all I/O stays with the caller's source and sinks.


#include "cabcodec/expander.hpp"
#include "cabcodec/forward_only.hpp"
#include "cabcodec/member_name.hpp"
#include "cabcodec/posix/mspack_bridge.hpp"

namespace vexa::cab {
namespace {

bool LibraryMatchesBuild() {
    static const bool matches = [] {
        int result = MSPACK_ERR_OK;
        MSPACK_SYS_SELFTEST(result);
        return result == MSPACK_ERR_OK;
    }();
    return matches;
}

// One open cabinet; libmspack's objects are released with it.
class OpenCabinet {
public:
    explicit OpenCabinet(MspackBridge& bridge)
        : decompressor_(LibraryMatchesBuild() ? mspack_create_cab_decompressor(bridge.System()) : nullptr),
          cabinet_(decompressor_ ? decompressor_->open(decompressor_, MspackBridge::kCabinetName) : nullptr) {}
    ~OpenCabinet() {
        if (cabinet_) decompressor_->close(decompressor_, cabinet_);
        if (decompressor_) mspack_destroy_cab_decompressor(decompressor_);
    }
    OpenCabinet(const OpenCabinet&) = delete;
    OpenCabinet& operator=(const OpenCabinet&) = delete;

    const mscabd_cabinet* Cabinet() const { return cabinet_; }
    // libmspack's error code.
    int Extract(mscabd_file* file) { return decompressor_->extract(decompressor_, file, MspackBridge::kMemberName); }

private:
    mscab_decompressor* decompressor_;
    mscabd_cabinet* cabinet_;
};

template <typename T>
std::uint16_t CountOf(const T* first) {
    std::uint16_t count = 0;
    for (; first != nullptr; first = first->next) ++count;
    return count;
}

CabinetInfo InfoOf(const mscabd_cabinet& cabinet) {
    CabinetInfo info;
    info.length = cabinet.length;
    info.folders = CountOf(cabinet.folders);
    info.files = CountOf(cabinet.files);
    info.setId = cabinet.set_id;
    info.cabinetIndex = cabinet.set_index;
    info.headerReserve = cabinet.header_resv;
    info.hasPrevious = (cabinet.flags & MSCAB_HDR_PREVCAB) != 0;
    info.hasNext = (cabinet.flags & MSCAB_HDR_NEXTCAB) != 0;
    return info;
}

// libmspack unpacks the stored date and time into fields; they pack back without loss.
MemberInfo MemberOf(const mscabd_file& file) {
    MemberInfo member;
    member.name = file.filename;
    member.size = file.length;
    member.dosDate = static_cast<std::uint16_t>((file.date_y - 1980) << 9 | file.date_m << 5 | file.date_d);
    member.dosTime = static_cast<std::uint16_t>(file.time_h << 11 | file.time_m << 5 | file.time_s / 2);
    member.attributes = static_cast<std::uint16_t>(file.attribs);
    return member;
}

// The folder as the forward-only rule knows it.
std::uint64_t FolderOf(const mscabd_file& file) { return reinterpret_cast<std::uintptr_t>(file.folder); }

ExpandStatus FailureOf(const MspackBridge& bridge, int error) {
    if (bridge.ReadFailed()) return ExpandStatus::ReadFailed;
    if (bridge.WriteFailed()) return ExpandStatus::WriteFailed;
    return error == MSPACK_ERR_CHECKSUM ? ExpandStatus::BadChecksum : ExpandStatus::BadData;
}

ExpandStatus CopyMember(OpenCabinet& open, MspackBridge& bridge, ForwardOnly& order, const MemberInfo& member,
                        mscabd_file& file, ExpandHandler& handler) {
    if (!IsSafeMemberName(member.name, member.attributes)) return ExpandStatus::UnsafeName;
    auto sink = handler.CopyFile(member);
    if (!sink) return ExpandStatus::Done;
    if (!order.Allows(FolderOf(file), file.offset)) return ExpandStatus::BadData;
    order.Copied(FolderOf(file), file.offset, file.length);
    bridge.SetSink(sink.get());
    int error = open.Extract(&file);
    bridge.SetSink(nullptr);
    if (error != MSPACK_ERR_OK) return FailureOf(bridge, error);
    return handler.FileComplete(std::move(sink), member) ? ExpandStatus::Done : ExpandStatus::Refused;
}

}  // namespace

std::optional<CabinetInfo> IsCabinet(CabinetSource& source, std::uint64_t offset) {
    CabinetWindow window(source, offset);
    MspackBridge bridge(window);
    OpenCabinet open(bridge);
    if (open.Cabinet() == nullptr) return std::nullopt;
    return InfoOf(*open.Cabinet());
}

ExpandStatus Expand(CabinetSource& source, std::uint64_t offset, ExpandHandler& handler) {
    CabinetWindow window(source, offset);
    MspackBridge bridge(window);
    OpenCabinet open(bridge);
    if (open.Cabinet() == nullptr) return bridge.ReadFailed() ? ExpandStatus::ReadFailed : ExpandStatus::NotACabinet;
    ForwardOnly order;
    for (mscabd_file* file = open.Cabinet()->files; file != nullptr; file = file->next) {
        MemberInfo member = MemberOf(*file);
        ExpandStatus status = CopyMember(open, bridge, order, member, *file, handler);
        if (status != ExpandStatus::Done) {
            handler.MemberFailed(member, status);
            return status;
        }
    }
    return ExpandStatus::Done;
}

}  // namespace vexa::cab
