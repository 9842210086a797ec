#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

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

// STUB: replaced by the shell-link work.
bool Win32Shell::CreateShellLink(const ShellLink&, const std::string&) { return false; }

}  // namespace vexa
