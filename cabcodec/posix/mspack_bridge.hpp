#pragma once
// The I/O table that libmspack reads and writes through: the cabinet comes from a
// CabinetSource and a member goes to the current MemberSink. libmspack knows files only by
// name, so the bridge answers to two fixed names.

#include <mspack.h>

#include "cabcodec/cabinet_source.hpp"
#include "cabcodec/expander.hpp"

namespace vexa::cab {

class MspackBridge {
public:
    static constexpr const char* kCabinetName = "cabinet";
    static constexpr const char* kMemberName = "member";

    explicit MspackBridge(CabinetSource& cabinet);

    mspack_system* System() { return &table_.system; }
    // Where the next extraction writes; null between members.
    void SetSink(MemberSink* sink) { sink_ = sink; }
    // Why the last operation failed, as far as the bridge saw it.
    bool ReadFailed() const { return readFailed_; }
    bool WriteFailed() const { return writeFailed_; }

private:
    struct File;
    struct Table {
        mspack_system system;  // first, so that libmspack's pointer is the table's
        MspackBridge* bridge;
    };

    static mspack_file* Open(mspack_system* self, const char* name, int mode);
    static void Close(mspack_file* file);
    static int Read(mspack_file* file, void* buffer, int bytes);
    static int Write(mspack_file* file, void* buffer, int bytes);
    static int Seek(mspack_file* file, off_t offset, int mode);
    static off_t Tell(mspack_file* file);

    Table table_;
    CabinetSource& cabinet_;
    MemberSink* sink_ = nullptr;
    bool readFailed_ = false;
    bool writeFailed_ = false;
};

}  // namespace vexa::cab
