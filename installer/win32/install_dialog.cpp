#include "installer/win32/install_dialog.hpp"

#include "installer/installer_texts.hpp"
#include "installer/win32/install_resources.hpp"

namespace vexa::installer {
namespace {

// Posted by the worker's calls; the dialog's thread shows what they bring.
constexpr UINT kStatusNotice = WM_APP;
constexpr UINT kCancelNotice = WM_APP + 1;  // wParam: enabled

constexpr int kSetUpControls[] = {IDC_DESTINATION_BOX, IDC_DESTINATION,   IDC_CHANGE_FOLDER,
                                  IDC_GROUP_BOX,       IDC_PROGRAM_GROUP, IDC_CHANGE_GROUP};

// The password dialog; its lParam is where the entry goes on OK.
INT_PTR CALLBACK PasswordProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
        ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            auto& entry = *reinterpret_cast<std::string*>(::GetWindowLongPtrA(window, DWLP_USER));
            char text[1024] = {};
            ::GetDlgItemTextA(window, IDC_PASSWORD, text, sizeof text);
            entry = text;
        }
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) ::EndDialog(window, LOWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

InstallDialog::InstallDialog(HINSTANCE instance, const Platform& machine, std::string ownPath,
                             std::uint64_t attachmentOffset)
    : instance_(instance),
      platform_(WithUi(machine, ui_)),
      install_(platform_, *this, std::move(ownPath), attachmentOffset) {}

void InstallDialog::Run() {
    if (!install_.StartUp()) return;
    RunModal(instance_, IDD_INSTALL, nullptr);
    worker_.Join();
}

std::optional<std::string> InstallDialog::AskPassword() {
    std::string entry;
    if (::DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_PASSWORD), Window(), PasswordProcedure,
                          reinterpret_cast<LPARAM>(&entry)) != IDOK)
        return std::nullopt;
    return entry;
}

std::optional<std::string> InstallDialog::ChooseDirectory() {
    return ui_.SelectFolder(reinterpret_cast<std::intptr_t>(Window()), "Choose Directory");
}

void InstallDialog::StatusChanged(const std::string& log, int linesAppended) {
    {
        std::lock_guard<std::mutex> lock(statusLock_);
        status_ = log;
        statusLines_ = linesAppended;
    }
    ::PostMessageA(Window(), kStatusNotice, 0, 0);
}

void InstallDialog::EnableCancel(bool enabled) { ::PostMessageA(Window(), kCancelNotice, enabled, 0); }

// The worker posts kFinishedNotice itself once RunInstallation, whose last call this is,
// has returned.
void InstallDialog::Finished() {}

INT_PTR InstallDialog::Handle(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        Open();
        return TRUE;
    case WM_COMMAND:
        return Command(LOWORD(wParam));
    case WM_CLOSE:  // the close box does nothing
        return TRUE;
    case kStatusNotice:
        ShowPostedStatus();
        return TRUE;
    case kCancelNotice:
        ::EnableWindow(Item(IDC_CANCEL), wParam != 0);
        return TRUE;
    case kFinishedNotice:  // the dialog manager's DM_SETDEFID as well, until the worker runs
        if (!started_) return FALSE;
        End();
        return TRUE;
    default:
        return FALSE;
    }
}

void InstallDialog::Open() {
    ui_.SetOwner(reinterpret_cast<std::intptr_t>(Window()));
    const InstallState& state = install_.State();
    ::SetDlgItemTextA(Window(), IDC_PROGRAM_NAME, state.productName.c_str());
    ::SetDlgItemTextA(Window(), IDC_DESTINATION, state.destination.c_str());
    ::SetDlgItemTextA(Window(), IDC_PROGRAM_GROUP, state.programGroupDisplay.c_str());
    HICON large = ::LoadIconA(instance_, MAKEINTRESOURCEA(IDI_INSTALL));
    auto small = static_cast<HICON>(::LoadImageA(instance_, MAKEINTRESOURCEA(IDI_INSTALL), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    ::SendMessageA(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
    ::SendMessageA(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

bool InstallDialog::Command(int id) {
    switch (id) {
    case IDC_INSTALL:
        Install();
        return true;
    case IDC_CANCEL:
        Cancel();
        return true;
    case IDC_CHANGE_FOLDER:
        ChangeFolder();
        return true;
    case IDCANCEL:  // Escape does nothing
        return true;
    default:
        return false;
    }
}

void InstallDialog::ChangeFolder() {
    install_.ChangeFolder();
    ::SetDlgItemTextA(Window(), IDC_DESTINATION, install_.State().destination.c_str());
}

void InstallDialog::Install() {
    ::EnableWindow(Item(IDC_INSTALL), FALSE);
    if (!install_.PressInstall()) {
        ::EnableWindow(Item(IDC_INSTALL), TRUE);
        return;
    }
    for (int id : kSetUpControls) ::ShowWindow(Item(id), SW_HIDE);
    ::ShowWindow(Item(IDC_STATUS_BOX), SW_SHOW);
    // The keyboard goes on with Cancel, the one button left to press.
    ::SendMessageA(Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_CANCEL)), TRUE);
    started_ = true;
    if (!worker_.Start([this] { install_.RunInstallation(); }, Window(), kFinishedNotice)) {
        // No thread to be had: the installation runs here, the window unworked meanwhile.
        install_.RunInstallation();
        ::PostMessageA(Window(), kFinishedNotice, 0, 0);
    }
}

void InstallDialog::Cancel() {
    if (install_.PressCancel()) {
        ::EndDialog(Window(), 0);
        return;
    }
    const std::string& text = install_.State().statusText;
    if (!text.empty()) ::SetDlgItemTextA(Window(), IDC_STATUS_BOX, text.c_str());
}

void InstallDialog::ShowPostedStatus() {
    std::lock_guard<std::mutex> lock(statusLock_);
    ::SetDlgItemTextA(Window(), IDC_STATUS_BOX, status_.c_str());
    ::SendDlgItemMessageA(Window(), IDC_STATUS_BOX, EM_LINESCROLL, 0, statusLines_);
}

void InstallDialog::End() {
    worker_.Join();  // the notice was its last act
    ui_.SetOwner(0);
    ::EndDialog(Window(), 0);
}

}  // namespace vexa::installer
