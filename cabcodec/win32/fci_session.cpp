#include "cabcodec/win32/fci_session.hpp"

#include <fcntl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "cabcodec/signature_slot.hpp"
#include "cabcodec/win32/seek_target.hpp"

namespace vexa::cab {
namespace {

constexpr UINT kFailed = static_cast<UINT>(-1);

MakeError ErrorOf(int fciOperation) {
    switch (fciOperation) {
        case FCIERR_OPEN_SRC:
            return MakeError::OpenSource;
        case FCIERR_READ_SRC:
            return MakeError::ReadSource;
        case FCIERR_TEMP_FILE:
            return MakeError::TemporaryFile;
        case FCIERR_CAB_FILE:
            return MakeError::WriteFailed;
        default:
            return MakeError::TooLarge;
    }
}

}  // namespace

// FCI's callbacks; `context` is the session.
struct FciSession::Callbacks {
    static FciSession& Of(void* context) { return *static_cast<FciSession*>(context); }

    static int DIAMONDAPI FilePlaced(PCCAB, char*, long, BOOL, void*) { return 0; }
    static void* DIAMONDAPI Allocate(ULONG bytes) { return std::malloc(bytes); }
    static void DIAMONDAPI Release(void* memory) { std::free(memory); }
    static INT_PTR DIAMONDAPI Open(char* name, int flags, int, int*, void* context) {
        return Of(context).Open(name, flags);
    }
    static UINT DIAMONDAPI Read(INT_PTR handle, void* into, UINT n, int*, void* context) {
        return Of(context).Read(handle, into, n);
    }
    static UINT DIAMONDAPI Write(INT_PTR handle, void* data, UINT n, int*, void* context) {
        return Of(context).Write(handle, data, n);
    }
    static int DIAMONDAPI Close(INT_PTR handle, int*, void* context) {
        return Of(context).open_.erase(handle) == 1 ? 0 : -1;
    }
    static long DIAMONDAPI Seek(INT_PTR handle, long distance, int origin, int*, void* context) {
        return Of(context).Seek(handle, distance, origin);
    }
    static int DIAMONDAPI Delete(char* name, int*, void* context) {
        return Of(context).spools_.erase(name) == 1 ? 0 : -1;
    }
    static BOOL DIAMONDAPI TemporaryName(char* into, int capacity, void* context) {
        return Of(context).TemporaryName(into, capacity);
    }
    // Sets spanning several cabinets are not made: a cabinet that needs a next one is too
    // large. FCI asks for it a little early, keeping room for the next cabinet's names.
    static BOOL DIAMONDAPI NextCabinet(PCCAB, ULONG, void* context) {
        Of(context).Fail(MakeError::TooLarge);
        return FALSE;
    }
    static long DIAMONDAPI Status(UINT type, ULONG first, ULONG second, void* context) {
        if (type == statusFile) Of(context).callbacks_.BlockCompressed(first, second);
        // For a written cabinet FCI takes the answer as the size to count it at.
        return type == statusCabinet ? static_cast<long>(second) : 0;
    }
    static INT_PTR DIAMONDAPI OpenInfo(char*, USHORT* date, USHORT* time, USHORT* attributes, int*, void* context) {
        return Of(context).OpenOffered(*date, *time, *attributes);
    }
};

FciSession::FciSession(const MakeParameters& parameters, MakeCallbacks& callbacks) : callbacks_(callbacks) {
    // The signature slot goes after what FCI writes, within the maximum size.
    ULONG room = parameters.maxCabinetSize - std::min<ULONG>(parameters.maxCabinetSize, parameters.headerReserve);
    ccab_.cb = std::min<ULONG>(room, CB_MAX_DISK);
    // The maker closes folders itself, by uncompressed size; FCI would count compressed bytes.
    ccab_.cbFolderThresh = CB_MAX_DISK;
    ccab_.cbReserveCFHeader = HeaderReserveFor(parameters.headerReserve);
    ccab_.iCab = parameters.cabinetNumber;
    ccab_.setID = parameters.setId;
    std::strcpy(ccab_.szCab, kCabinetName);
    fci_ = FCICreate(&erf_, Callbacks::FilePlaced, Callbacks::Allocate, Callbacks::Release, Callbacks::Open,
                     Callbacks::Read, Callbacks::Write, Callbacks::Close, Callbacks::Seek, Callbacks::Delete,
                     Callbacks::TemporaryName, &ccab_, this);
    if (fci_ == nullptr) Fail(MakeError::BadParameters);
}

FciSession::~FciSession() {
    if (fci_ != nullptr) FCIDestroy(fci_);
}

bool FciSession::AddFile(const std::string& sourcePath, const std::string& nameInCabinet, SourceFile source) {
    offered_ = std::move(source);
    std::string path = sourcePath;
    std::string name = nameInCabinet;
    BOOL added = FCIAddFile(fci_, path.data(), name.data(), FALSE, Callbacks::NextCabinet, Callbacks::Status,
                            Callbacks::OpenInfo, tcompTYPE_MSZIP);
    offered_.reset();
    return Succeeded(added);
}

bool FciSession::FlushFolder() { return Succeeded(FCIFlushFolder(fci_, Callbacks::NextCabinet, Callbacks::Status)); }

bool FciSession::FlushCabinet() {
    return Succeeded(FCIFlushCabinet(fci_, FALSE, Callbacks::NextCabinet, Callbacks::Status));
}

// FCI ignores some failed calls (closing, for one), so a recorded failure counts even when
// FCI reports success. Failing without one, FCI names the step that failed, or it ran into
// a limit of its own.
bool FciSession::Succeeded(BOOL fciResult) {
    if (!fciResult) Fail(ErrorOf(erf_.erfOper));
    return error_ == MakeError::None;
}

INT_PTR FciSession::Register(OpenFile file) {
    INT_PTR handle = nextHandle_++;
    open_.emplace(handle, std::move(file));
    return handle;
}

FciSession::OpenFile* FciSession::Find(INT_PTR handle) {
    auto found = open_.find(handle);
    return found == open_.end() ? nullptr : &found->second;
}

// Opens as _open would: creating or truncating starts an empty spool.
INT_PTR FciSession::Open(const std::string& name, int flags) {
    auto found = spools_.find(name);
    bool exists = found != spools_.end();
    if (exists && (flags & _O_TRUNC) == 0) return Register({nullptr, found->second});
    if (!exists && (flags & _O_CREAT) == 0) return -1;
    auto file = callbacks_.CreateTemporary();
    if (!file) {
        Fail(MakeError::TemporaryFile);
        return -1;
    }
    auto spool = std::make_shared<SeekableSpool>(std::move(file));
    spools_[name] = spool;
    return Register({nullptr, spool});
}

UINT FciSession::Read(INT_PTR handle, void* into, UINT n) {
    OpenFile* file = Find(handle);
    if (file == nullptr) return kFailed;
    auto* bytes = static_cast<unsigned char*>(into);
    if (file->source) {
        auto got = file->source->Read(bytes, n);
        if (!got) {
            Fail(MakeError::ReadSource);
            return kFailed;
        }
        bytesRead_ += *got;
        return static_cast<UINT>(*got);
    }
    auto got = file->spool->ReadAt(file->position, bytes, n);
    if (!got) {
        Fail(MakeError::TemporaryFile);
        return kFailed;
    }
    file->position += *got;
    return static_cast<UINT>(*got);
}

UINT FciSession::Write(INT_PTR handle, const void* data, UINT n) {
    OpenFile* file = Find(handle);
    auto* bytes = static_cast<const unsigned char*>(data);
    if (file == nullptr || !file->spool || !file->spool->Write(file->position, bytes, n)) {
        Fail(MakeError::WriteFailed);
        return kFailed;
    }
    file->position += n;
    return n;
}

long FciSession::Seek(INT_PTR handle, long distance, int origin) {
    OpenFile* file = Find(handle);
    if (file == nullptr || !file->spool) return -1;
    auto target = SeekTarget(file->position, file->spool->Size(), distance, origin);
    if (!target) return -1;
    file->position = *target;
    return static_cast<long>(*target);
}

INT_PTR FciSession::OpenOffered(USHORT& date, USHORT& time, USHORT& attributes) {
    if (!offered_) return -1;
    date = offered_->dosDate;
    time = offered_->dosTime;
    attributes = offered_->attributes;
    INT_PTR handle = Register({std::move(offered_->data), nullptr});
    offered_.reset();
    return handle;
}

bool FciSession::TemporaryName(char* into, int capacity) {
    std::string name = "temporary-" + std::to_string(++temporaries_);
    if (name.size() >= static_cast<std::size_t>(capacity)) return false;
    std::memcpy(into, name.c_str(), name.size() + 1);
    return true;
}

}  // namespace vexa::cab
