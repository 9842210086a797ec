#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "platform/win32/wide_text.hpp"
#include "platform/win32/win32_shell.hpp"

namespace vexa {
namespace {

// The system's folder calls give a length above the buffer when it is too small.
bool Fits(UINT length) { return length != 0 && length <= MAX_PATH; }

// A per-user shell folder, made if it does not exist yet.
bool ShellFolder(int csidl, char* path) {
    return ::SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK;
}

bool Locate(SpecialFolder folder, char* path) {
    switch (folder) {
    case SpecialFolder::Windows: return Fits(::GetWindowsDirectoryA(path, MAX_PATH + 1));
    case SpecialFolder::System: return Fits(::GetSystemDirectoryA(path, MAX_PATH + 1));
    case SpecialFolder::Temp: return Fits(::GetTempPathA(MAX_PATH + 1, path));
    case SpecialFolder::ProgramFiles: return ShellFolder(CSIDL_PROGRAM_FILES, path);
    case SpecialFolder::Programs: return ShellFolder(CSIDL_PROGRAMS, path);
    case SpecialFolder::Startup: return ShellFolder(CSIDL_STARTUP, path);
    }
    return false;
}

// COM on the calling thread for as long as the scope lives; a thread that is already in the
// other apartment model keeps it and may still create objects.
class ComScope {
public:
    ComScope() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT result_;
};

// The shell's link object writes the file itself; saved as the remembered file of the link.
bool SaveShellLink(const ShellLink& link, const std::string& linkPath) {
    Microsoft::WRL::ComPtr<IShellLinkA> shellLink;
    Microsoft::WRL::ComPtr<IPersistFile> file;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shellLink))) ||
        FAILED(shellLink.As(&file)))
        return false;
    bool described = SUCCEEDED(shellLink->SetPath(link.target.c_str())) &&
                     SUCCEEDED(shellLink->SetDescription(link.description.c_str())) &&
                     SUCCEEDED(shellLink->SetWorkingDirectory(link.workingDirectory.c_str())) &&
                     (link.arguments.empty() || SUCCEEDED(shellLink->SetArguments(link.arguments.c_str())));
    return described && SUCCEEDED(file->Save(WideFromAnsi(linkPath).c_str(), TRUE));
}

}  // namespace

// The shell reports success with a value above 32.
bool Win32Shell::Open(const std::string& target) {
    HINSTANCE result = ::ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

// The temporary folder comes with a trailing "\", the others without.
std::string Win32Shell::FolderPath(SpecialFolder folder) {
    char path[MAX_PATH + 1] = {};
    if (!Locate(folder, path)) return {};
    std::string found(path);
    while (!found.empty() && found.back() == '\\') found.pop_back();
    return found;
}

bool Win32Shell::CreateShellLink(const ShellLink& link, const std::string& linkPath) {
    ComScope com;
    return com.Usable() && SaveShellLink(link, linkPath);
}

}  // namespace vexa
