#pragma once
// One FCI context and everything it calls back. FCI knows files by name and by handle;
// the session keeps the objects behind both, so every byte goes through the maker's
// callbacks: a source comes from the SourceFile the maker opened, and temporary files
// and the cabinet itself are spools over the caller's temporary files. A handle is a
// number in the session's table. A callback that fails records why, so the session
// reports the cause rather than FCI's summary of it.

#include <windows.h>

#include <fci.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "cabcodec/maker.hpp"
#include "cabcodec/win32/seekable_spool.hpp"

namespace vexa::cab {

class FciSession {
public:
    FciSession(const MakeParameters& parameters, MakeCallbacks& callbacks);
    ~FciSession();
    FciSession(const FciSession&) = delete;
    FciSession& operator=(const FciSession&) = delete;

    // Each is false on failure, and Error() says why.
    bool AddFile(const std::string& sourcePath, const std::string& nameInCabinet, SourceFile source);
    bool FlushFolder();
    // FCI writes the cabinet into a spool, which Cabinet() then holds.
    bool FlushCabinet();
    SeekableSpool& Cabinet() { return *spools_.at(kCabinetName); }

    // Bytes read from all sources so far.
    std::uint64_t BytesRead() const { return bytesRead_; }
    MakeError Error() const { return error_; }

private:
    struct Callbacks;
    // A source, read once from its start, or a spool with a position.
    struct OpenFile {
        std::unique_ptr<SourceReader> source;
        std::shared_ptr<SeekableSpool> spool;
        std::uint64_t position = 0;
    };

    // FCI is told to create this; the maker names the real cabinet.
    static constexpr const char* kCabinetName = "cabinet";

    bool Succeeded(BOOL fciResult);
    void Fail(MakeError error) {
        if (error_ == MakeError::None) error_ = error;
    }
    INT_PTR Register(OpenFile file);
    OpenFile* Find(INT_PTR handle);

    INT_PTR Open(const std::string& name, int flags);
    UINT Read(INT_PTR handle, void* into, UINT n);
    UINT Write(INT_PTR handle, const void* data, UINT n);
    long Seek(INT_PTR handle, long distance, int origin);
    INT_PTR OpenOffered(USHORT& date, USHORT& time, USHORT& attributes);
    bool TemporaryName(char* into, int capacity);

    MakeCallbacks& callbacks_;
    CCAB ccab_{};
    ERF erf_{};
    std::optional<SourceFile> offered_;  // the source FCI opens next
    std::map<INT_PTR, OpenFile> open_;
    INT_PTR nextHandle_ = 1;
    std::map<std::string, std::shared_ptr<SeekableSpool>> spools_;  // by name, as FCI opens and deletes them
    unsigned temporaries_ = 0;
    std::uint64_t bytesRead_ = 0;
    MakeError error_ = MakeError::None;
    HFCI fci_ = nullptr;
};

}  // namespace vexa::cab
