#pragma once
// One FDI context reading one cabinet. FDI's file callbacks carry no context: FDI opens
// the cabinet by a name that holds the pass's address, and every handle it is given
// points at an object the pass owns, which points back at the pass. Reads come from the
// CabinetSource and writes go to the member's sink. The first failure is recorded and
// fails every later read and write, so FDI stops at once even where it ignores a failed
// write or notification.

#include <windows.h>

#include <fdi.h>
// windows.h maps CopyFile to CopyFileA, which would rename ExpandHandler::CopyFile.
#undef CopyFile

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "cabcodec/cabinet_source.hpp"
#include "cabcodec/expander.hpp"

namespace vexa::cab {

class FdiPass {
public:
    explicit FdiPass(CabinetSource& cabinet);
    ~FdiPass();
    FdiPass(const FdiPass&) = delete;
    FdiPass& operator=(const FdiPass&) = delete;

    // FDI's verdict on the cabinet's header.
    bool IsCabinet();
    // The copy pass; `notify` receives FDI's notifications with `context` in their pv.
    bool Copy(PFNFDINOTIFY notify, void* context);

    // The handle FDI writes a member through: the answer to a copy-file notification.
    INT_PTR OpenMember(std::unique_ptr<MemberSink> sink);
    // Closes a member's handle; its sink (null for an unknown handle) and the bytes written.
    std::pair<std::unique_ptr<MemberSink>, std::uint64_t> CloseMember(INT_PTR handle);

    void Fail(ExpandStatus status) {
        if (status_ == ExpandStatus::Done) status_ = status;
    }
    bool Failed() const { return status_ != ExpandStatus::Done; }
    ExpandStatus Status() const { return status_; }

private:
    class File;
    class CabinetReader;
    class MemberWriter;
    struct Callbacks;

    INT_PTR Keep(std::unique_ptr<File> file);
    std::vector<std::unique_ptr<File>>::iterator Find(INT_PTR handle);
    void Close(INT_PTR handle);

    CabinetSource& cabinet_;
    ERF erf_{};
    HFDI fdi_;
    std::vector<std::unique_ptr<File>> files_;
    ExpandStatus status_ = ExpandStatus::Done;
};

}  // namespace vexa::cab
