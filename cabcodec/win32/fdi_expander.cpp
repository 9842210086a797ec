// The expander's Windows backend: the system's FDI checks and decompresses the cabinet
// (MSZIP, Quantum, LZX and stored data). The file table is read here too, since FDI tells
// neither where a member lies in its folder nor, for one continued from another cabinet,
// more than its name; members are offered as the table stores them.

#include <optional>

#include "cabcodec/expander.hpp"
#include "cabcodec/forward_only.hpp"
#include "cabcodec/member_name.hpp"
#include "cabcodec/win32/cabinet_tables.hpp"
#include "cabcodec/win32/fdi_pass.hpp"

namespace vexa::cab {
namespace {

class ExpandPass {
public:
    ExpandPass(CabinetSource& cabinet, const CabinetTables& tables, ExpandHandler& handler)
        : fdi_(cabinet), tables_(tables), handler_(handler) {}

    ExpandStatus Run() {
        bool copied = fdi_.Copy(Notify, this);
        if (fdi_.Failed()) {
            if (current_) handler_.MemberFailed(current_->member, fdi_.Status());
            return fdi_.Status();
        }
        // Refused before any member was offered, FDI did not take the header or tables.
        if (!copied && offered_ == 0) return ExpandStatus::NotACabinet;
        return copied && offered_ == tables_.files.size() ? ExpandStatus::Done : ExpandStatus::BadData;
    }

private:
    static INT_PTR DIAMONDAPI Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION notice) {
        auto& pass = *static_cast<ExpandPass*>(notice->pv);
        switch (type) {
            case fdintCOPY_FILE:
                return pass.Offer(*notice, false);
            case fdintPARTIAL_FILE:
                return pass.Offer(*notice, true);
            case fdintCLOSE_FILE_INFO:
                return pass.Complete(*notice);
            // Sets are not followed; stopping here also keeps FDI from opening a name the cabinet chose.
            case fdintNEXT_CABINET:
                return pass.Stop(ExpandStatus::BadData);
            default:
                return 0;
        }
    }

    INT_PTR Stop(ExpandStatus status) {
        fdi_.Fail(status);
        return -1;
    }

    // Answers a copy-file notice with a member's handle, 0 to skip it, or -1 to stop.
    INT_PTR Offer(const FDINOTIFICATION& notice, bool continuedFromPrevious) {
        if (fdi_.Failed()) return -1;
        // FDI offers the entries in table order; another name means the two readings parted.
        bool inStep = offered_ < tables_.files.size() && notice.psz1 != nullptr &&
                      tables_.files[offered_].member.name == notice.psz1;
        if (!inStep) return Stop(ExpandStatus::BadData);
        const FileEntry& entry = tables_.files[offered_++];
        current_ = &entry;
        if (!IsSafeMemberName(entry.member.name, entry.member.attributes)) return Stop(ExpandStatus::UnsafeName);
        auto sink = handler_.CopyFile(entry.member);
        if (!sink) return 0;
        bool continued = continuedFromPrevious || entry.folder >= kContinuedFolder;
        if (continued || !order_.Allows(entry.folder, entry.folderOffset)) return Stop(ExpandStatus::BadData);
        order_.Copied(entry.folder, entry.folderOffset, entry.member.size);
        return fdi_.OpenMember(std::move(sink));
    }

    // FDI sends this notice after a failed copy too, so the member counts as whole only
    // if every byte arrived.
    INT_PTR Complete(const FDINOTIFICATION& notice) {
        auto [sink, written] = fdi_.CloseMember(notice.hf);
        if (!sink || fdi_.Failed()) return FALSE;
        if (written != current_->member.size) {
            fdi_.Fail(ExpandStatus::BadData);
            return FALSE;
        }
        if (!handler_.FileComplete(std::move(sink), current_->member)) {
            fdi_.Fail(ExpandStatus::Refused);
            return FALSE;
        }
        return TRUE;
    }

    FdiPass fdi_;
    const CabinetTables& tables_;
    ExpandHandler& handler_;
    ForwardOnly order_;
    std::size_t offered_ = 0;  // table entries FDI has offered
    const FileEntry* current_ = nullptr;  // the entry offered last
};

}  // namespace

std::optional<CabinetInfo> IsCabinet(CabinetSource& source, std::uint64_t offset) {
    CabinetWindow window(source, offset);
    CabinetTables tables;
    if (ReadCabinetTables(window, tables) != ExpandStatus::Done) return std::nullopt;
    FdiPass fdi(window);
    if (!fdi.IsCabinet()) return std::nullopt;
    return tables.info;
}

ExpandStatus Expand(CabinetSource& source, std::uint64_t offset, ExpandHandler& handler) {
    CabinetWindow window(source, offset);
    CabinetTables tables;
    ExpandStatus status = ReadCabinetTables(window, tables);
    if (status != ExpandStatus::Done) return status;
    return ExpandPass(window, tables, handler).Run();
}

}  // namespace vexa::cab
