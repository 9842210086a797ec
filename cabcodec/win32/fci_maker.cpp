// The maker's Windows backend: the system's FCI compresses with MSZIP and lays out the
// cabinet; the checks, the folder threshold and the final copy to the caller's cabinet
// file are ours, so both backends fail the same way. FCI compresses on the caller's
// thread, so MakeParameters::threads has no effect here.

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "cabcodec/copy_spooled.hpp"
#include "cabcodec/maker.hpp"
#include "cabcodec/member_name.hpp"
#include "cabcodec/signature_slot.hpp"
#include "cabcodec/win32/fci_session.hpp"

namespace vexa::cab {
namespace {

constexpr std::size_t kMaxFiles = std::numeric_limits<std::uint16_t>::max();
// A folder holds at most 65,535 data blocks of 32 KiB; FCI's block count would wrap.
constexpr std::uint64_t kMaxFolderBytes = 65'535ull * 32'768;

// Names come in the ANSI code page, as every text here does; one beyond ASCII is stored in
// UTF-8 (and marked so), which reads the same on every system. A name that is not text in
// the code page is stored as it is.
std::string StoredName(const std::string& ansi) {
    if (std::all_of(ansi.begin(), ansi.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) return ansi;
    const int size = static_cast<int>(ansi.size());
    int wideLength = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), size, nullptr, 0);
    if (wideLength <= 0) return ansi;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansi.data(), size, wide.data(), wideLength);
    int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return ansi;
    std::string utf8(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

}  // namespace

class CabinetMaker::Writer {
public:
    Writer(const MakeParameters& parameters, MakeCallbacks& callbacks)
        : parameters_(parameters), callbacks_(callbacks) {
        if (parameters.headerReserve > kMaxHeaderReserve || parameters.name.empty()) {
            error_ = MakeError::BadParameters;
            return;
        }
        session_ = std::make_unique<FciSession>(parameters, callbacks);
        if (session_->Error() != MakeError::None) Fail(session_->Error());
    }

    bool AddFile(const std::string& sourcePath, const std::string& nameInCabinet);
    bool CloseFolder();
    bool FlushCabinet();
    MakeError Error() const { return error_; }

private:
    bool Usable() { return error_ == MakeError::None && (!finished_ || Fail(MakeError::Finished)); }
    bool Fail(MakeError error) {
        if (error_ == MakeError::None) error_ = error;
        session_.reset();  // releases the temporary files
        return false;
    }
    std::uint64_t FolderBytes() const { return session_->BytesRead() - folderStart_; }
    bool WriteCabinet(SeekableSpool& spooled);

    MakeParameters parameters_;
    MakeCallbacks& callbacks_;
    std::unique_ptr<FciSession> session_;
    std::size_t files_ = 0;
    std::uint64_t folderStart_ = 0;  // bytes read from sources when the open folder began
    MakeError error_ = MakeError::None;
    bool finished_ = false;
};

// Names are checked before FCI sees them, with the attributes they are stored with, as
// FCI would store any name it is given. FCI takes the UTF-8 mark from the attributes.
bool CabinetMaker::Writer::AddFile(const std::string& sourcePath, const std::string& nameInCabinet) {
    if (!Usable()) return false;
    const std::string name = StoredName(nameInCabinet);
    if (name.size() > kMaxMemberName) return Fail(MakeError::BadName);
    if (files_ == kMaxFiles) return Fail(MakeError::TooLarge);
    auto source = callbacks_.OpenSource(sourcePath);
    if (!source || !source->data) return Fail(MakeError::OpenSource);
    source->attributes = NameAttributes(name, source->attributes);
    if (!IsSafeMemberName(name, source->attributes)) return Fail(MakeError::BadName);
    if (!session_->AddFile(sourcePath, name, std::move(*source))) return Fail(session_->Error());
    ++files_;
    if (FolderBytes() > kMaxFolderBytes) return Fail(MakeError::TooLarge);
    return FolderBytes() < parameters_.folderThreshold || CloseFolder();
}

bool CabinetMaker::Writer::CloseFolder() {
    if (!Usable()) return false;
    if (!session_->FlushFolder()) return Fail(session_->Error());
    folderStart_ = session_->BytesRead();
    return true;
}

bool CabinetMaker::Writer::FlushCabinet() {
    if (!Usable()) return false;
    if (files_ == 0) return Fail(MakeError::NoFiles);
    if (!session_->FlushCabinet()) return Fail(session_->Error());
    if (!WriteCabinet(session_->Cabinet())) return false;
    session_.reset();
    finished_ = true;
    return true;
}

// FCI seeks back in the cabinet it writes; the caller's cabinet file is written in order.
// FCI leaves the header's reserve zeroed, so the signature header goes in here.
bool CabinetMaker::Writer::WriteCabinet(SeekableSpool& spooled) {
    const std::uint16_t slot = parameters_.headerReserve;
    if (slot != 0) {
        auto header = SignatureHeader(static_cast<std::uint32_t>(spooled.Size()), slot);
        if (!spooled.Write(kSignatureHeaderOffset, header.data(), header.size())) return Fail(MakeError::TemporaryFile);
    }
    auto out = callbacks_.CreateCabinet(parameters_.directory + parameters_.name);
    if (!out) return Fail(MakeError::WriteFailed);
    MakeError error = CopySpooled(spooled, spooled.Size(), *out);
    if (error != MakeError::None) return Fail(error);
    return WriteSignatureSlot(*out, slot) || Fail(MakeError::WriteFailed);
}

CabinetMaker::CabinetMaker(const MakeParameters& parameters, MakeCallbacks& callbacks)
    : writer_(std::make_unique<Writer>(parameters, callbacks)) {}
CabinetMaker::~CabinetMaker() = default;

bool CabinetMaker::AddFile(const std::string& sourcePath, const std::string& nameInCabinet) {
    return writer_->AddFile(sourcePath, nameInCabinet);
}
bool CabinetMaker::FlushFolder() { return writer_->CloseFolder(); }
bool CabinetMaker::FlushCabinet() { return writer_->FlushCabinet(); }
MakeError CabinetMaker::Error() const { return writer_->Error(); }

}  // namespace vexa::cab
