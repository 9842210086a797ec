#include <windows.h>
#include <softpub.h>
#include <wintrust.h>

#include "platform/win32/wide_text.hpp"
#include "platform/win32/win32_trust.hpp"

namespace vexa {
namespace {

using VerifyFunction = LONG(WINAPI*)(HWND, GUID*, LPVOID);

// The subject interface packages the system registers for each kind of signed file. The older
// subject types in the headers name no package, and with them every file is refused.
const GUID kPortableExecutable = {0xC689AAB8, 0x8E78, 0x11D0, {0x8C, 0x47, 0x00, 0xC0, 0x4F, 0xC2, 0x95, 0xEE}};
const GUID kJavaClass = {0xC689AAB9, 0x8E78, 0x11D0, {0x8C, 0x47, 0x00, 0xC0, 0x4F, 0xC2, 0x95, 0xEE}};
const GUID kCabinet = {0xC689AABA, 0x8E78, 0x11D0, {0x8C, 0x47, 0x00, 0xC0, 0x4F, 0xC2, 0x95, 0xEE}};

// A raw file has no package of its own: the check finds one from the file, if any fits.
const GUID* KnownSubject(TrustSubject subject) {
    switch (subject) {
    case TrustSubject::PortableExecutable: return &kPortableExecutable;
    case TrustSubject::JavaClass: return &kJavaClass;
    case TrustSubject::Cabinet: return &kCabinet;
    case TrustSubject::RawFile: return nullptr;
    }
    return nullptr;
}

}  // namespace

Win32Trust::Win32Trust()
    : module_(::LoadLibraryA("WinTrust.DLL")),
      verify_(module_ ? reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module_), "WinVerifyTrust"))
                      : nullptr) {}

Win32Trust::~Win32Trust() {
    if (module_) ::FreeLibrary(static_cast<HMODULE>(module_));
}

// The published-software action with the system's own dialog: the user sees the publisher
// and decides. The file goes by its path (no open handle); no owner window, and no state
// kept between calls.
bool Win32Trust::Verify(const std::string& path, TrustSubject subject) {
    if (!verify_) return false;
    std::wstring widePath = WideFromAnsi(path);
    WINTRUST_FILE_INFO file{};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = widePath.c_str();
    GUID known{};
    if (const GUID* subjectGuid = KnownSubject(subject)) {
        known = *subjectGuid;
        file.pgKnownSubject = &known;
    }
    WINTRUST_DATA data{};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_ALL;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_IGNORE;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    return reinterpret_cast<VerifyFunction>(verify_)(nullptr, &action, &data) == 0;
}

}  // namespace vexa
