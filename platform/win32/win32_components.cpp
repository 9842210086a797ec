#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "common/wininit_rename.hpp"
#include "platform/win32/win32_components.hpp"

namespace vexa {
namespace {

bool CallEntryPoint(const std::string& library, const char* name) {
    HMODULE module = ::LoadLibraryA(library.c_str());
    if (!module) return false;
    auto entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    if (entry) entry();
    ::FreeLibrary(module);
    return entry != nullptr;
}

std::optional<std::string> QueryText(std::vector<char>& info, const std::string& name) {
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(info.data(), name.c_str(), &value, &length) || value == nullptr) return std::nullopt;
    const char* text = static_cast<const char*>(value);
    return std::string(text, ::strnlen(text, length));
}

// "\StringFileInfo\llllcccc\" of the first translation; empty without one.
std::string FirstTranslationTable(std::vector<char>& info) {
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &value, &length) || length < 4) return {};
    const WORD* pair = static_cast<const WORD*>(value);
    char table[40];
    std::snprintf(table, sizeof table, "\\StringFileInfo\\%04x%04x\\", pair[0], pair[1]);
    return table;
}

// The system's version number has its high bit set on the Windows 95 family.
bool IsWindowsNt() { return (::GetVersion() & 0x80000000u) == 0; }

std::string ShortPath(const std::string& path) {
    if (path.empty()) return path;
    char shortPath[MAX_PATH];
    DWORD length = ::GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? path : std::string(shortPath, length);
}

std::string WindowsDirectory() {
    char directory[MAX_PATH];
    UINT length = ::GetWindowsDirectoryA(directory, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(directory, length);
}

// The Windows 95 family has no move-at-restart call: its start-up program works through
// the "[Rename]" section of WININIT.INI instead, which takes short names.
bool AddToWininit(const std::string& replacement, const std::string& target) {
    std::string windows = WindowsDirectory();
    if (windows.empty()) return false;
    std::string path = windows + (windows.back() == '\\' ? "" : "\\") + "WININIT.INI";
    std::string text;
    if (std::ifstream in{path, std::ios::binary}) text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << AddWininitRename(text, ShortPath(target), ShortPath(replacement));
    return static_cast<bool>(out.flush());
}

bool SetShutdownPrivilege(HANDLE token, bool enable) {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    if (!::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return false;
    // Success may still mean the privilege was not held: the last error tells.
    return ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) && ::GetLastError() == ERROR_SUCCESS;
}

// Windows NT lets a process restart the machine only with the shutdown privilege enabled.
bool RestartWithPrivilege() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
    bool restarting = false;
    if (SetShutdownPrivilege(token, true)) {
        restarting = ::InitiateSystemShutdownA(nullptr, nullptr, 0, FALSE, TRUE);
        SetShutdownPrivilege(token, false);
    }
    ::CloseHandle(token);
    return restarting;
}

}  // namespace

bool Win32Components::RegisterServer(const std::string& library) {
    return CallEntryPoint(library, "DllRegisterServer");
}

bool Win32Components::UnregisterServer(const std::string& library) {
    return CallEntryPoint(library, "DllUnregisterServer");
}

std::string Win32Components::FileVersion(const std::string& path) {
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<char> info(size);
    if (size == 0 || !::GetFileVersionInfoA(path.c_str(), 0, size, info.data())) return {};
    std::string table = FirstTranslationTable(info);
    std::optional<std::string> version = table.empty() ? std::nullopt : QueryText(info, table + "FileVersion");
    if (!version) version = QueryText(info, "\\StringFileInfo\\040904E4\\FileVersion");
    return version.value_or("");
}

SharedFileLocation Win32Components::FindSharedFile(const std::string& fileName, const std::string& windowsDirectory,
                                                   const std::string& appDirectory) {
    // Room for the longest path, so the answer is never cut short.
    std::vector<char> current(32768), destination(32768);
    UINT currentLength = static_cast<UINT>(current.size());
    UINT destinationLength = static_cast<UINT>(destination.size());
    // Declared with writable texts, which it leaves as they are.
    std::string name = fileName, windows = windowsDirectory, app = appDirectory;
    ::VerFindFileA(VFFF_ISSHAREDFILE, name.data(), windows.data(), app.data(), current.data(), &currentLength,
                   destination.data(), &destinationLength);
    return {current.data(), destination.data()};
}

bool Win32Components::ReplaceAtRestart(const std::string& replacement, const std::string& target) {
    if (!IsWindowsNt()) return AddToWininit(replacement, target);
    bool deleting = ::MoveFileExA(target.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    bool renaming = ::MoveFileExA(replacement.c_str(), target.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT);
    return deleting && renaming;
}

// EWX_REBOOT logs the user off first.
bool Win32Components::DeleteAtRestart(const std::string& target) {
    if (!IsWindowsNt()) return AddToWininit({}, target);
    return ::MoveFileExA(target.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

bool Win32Components::Restart() { return ::ExitWindowsEx(EWX_REBOOT, 0) || RestartWithPrivilege(); }

}  // namespace vexa
