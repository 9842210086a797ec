#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "platform/win32/win32_ui.hpp"

namespace vexa {
namespace {

constexpr DWORD kFileBuffer = 32768;

using FileDialogFunction = BOOL(WINAPI*)(LPOPENFILENAMEA);

// The dialogs want the filter's parts separated by NUL characters.
std::string NulSeparated(const std::string& filter) {
    std::string parts = filter;
    std::replace(parts.begin(), parts.end(), '|', '\0');
    return parts;
}

HWND ToHwnd(std::intptr_t window) { return reinterpret_cast<HWND>(window); }

UINT IconStyle(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information: return MB_ICONINFORMATION;
        case MessageIcon::Exclamation: return MB_ICONEXCLAMATION;
        case MessageIcon::Error: return MB_ICONERROR;
        case MessageIcon::None: break;
    }
    return 0;
}

std::optional<std::string> RunFileDialog(const FileDialog& dialog, HWND owner, FileDialogFunction show) {
    std::string filter = NulSeparated(dialog.filter);
    std::vector<char> file(kFileBuffer, '\0');
    dialog.initialName.copy(file.data(), std::min<std::size_t>(dialog.initialName.size(), kFileBuffer - 1));
    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    request.lpstrFile = file.data();
    request.nMaxFile = kFileBuffer;
    request.lpstrTitle = dialog.title.empty() ? nullptr : dialog.title.c_str();
    request.lpstrDefExt = dialog.defaultExtension.empty() ? nullptr : dialog.defaultExtension.c_str();
    request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (!show(&request)) return std::nullopt;
    return std::string(file.data());
}

}  // namespace

std::optional<std::string> Win32Ui::SelectFolder(std::intptr_t owner, const std::string& title) {
    BROWSEINFOA browse{};
    browse.hwndOwner = ToHwnd(owner != 0 ? owner : owner_);
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST item = ::SHBrowseForFolderA(&browse);
    if (!item) return std::nullopt;
    char path[MAX_PATH] = {};
    bool isFolder = ::SHGetPathFromIDListA(item, path);
    ::CoTaskMemFree(item);
    if (!isFolder) return std::nullopt;
    return std::string(path);
}

std::optional<std::string> Win32Ui::OpenFile(const FileDialog& dialog) {
    return RunFileDialog(dialog, ToHwnd(owner_), ::GetOpenFileNameA);
}

std::optional<std::string> Win32Ui::SaveAs(const FileDialog& dialog) {
    return RunFileDialog(dialog, ToHwnd(owner_), ::GetSaveFileNameA);
}

void Win32Ui::ShowMessage(const std::string& text, const std::string& caption) {
    ShowMessage(text, caption, MessageIcon::Information);
}

void Win32Ui::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
    ::MessageBoxA(ToHwnd(owner_), text.c_str(), caption.c_str(), MB_OK | IconStyle(icon));
}

void Win32Ui::Beep() { ::MessageBeep(0xFFFFFFFF); }

ScreenMetrics Win32Ui::Screen() {
    HDC screen = ::GetDC(nullptr);
    ScreenMetrics metrics{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                          screen ? ::GetDeviceCaps(screen, BITSPIXEL) : 0};
    if (screen) ::ReleaseDC(nullptr, screen);
    return metrics;
}

bool Win32Ui::AskYesNo(const std::string& text, const std::string& caption) {
    return ::MessageBoxA(ToHwnd(owner_), text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace vexa
