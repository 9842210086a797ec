#pragma once
// The installer's window: the dialog of VexaInstall, its buttons handed to the core, and
// the worker's status, Cancel state and end brought to the dialog's thread by posts.

#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>

#include "installer/vexa_install.hpp"
#include "platform/win32/dialogs/dialog_window.hpp"
#include "platform/win32/dialogs/posting_worker.hpp"
#include "platform/win32/win32_ui.hpp"

namespace vexa::installer {

// The worker's end, as the installer has always posted it.
inline constexpr UINT kFinishedNotice = WM_USER + 1;

class InstallDialog final : private dialogs::DialogWindow, public InstallerHost {
public:
    // The machine's ports with the dialog's own messages; the setup program `ownPath`
    // carries its attachment from `attachmentOffset` on.
    InstallDialog(HINSTANCE instance, const Platform& machine, std::string ownPath, std::uint64_t attachmentOffset);

    // Start-up, then the dialog until Cancel or the installation's end closes it.
    void Run();

    std::optional<std::string> AskPassword() override;
    std::optional<std::string> ChooseDirectory() override;
    void StatusChanged(const std::string& log, int linesAppended) override;
    void EnableCancel(bool enabled) override;
    void Finished() override;

private:
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Open();
    bool Command(int id);
    void ChangeFolder();
    void Install();
    void Cancel();
    void ShowPostedStatus();
    void End();

    HINSTANCE instance_;
    Win32Ui ui_;
    Platform platform_;
    VexaInstall install_;
    dialogs::PostingWorker worker_;
    bool started_ = false;  // the worker was started: the finished notice is ours
    std::mutex statusLock_;
    std::string status_;
    int statusLines_ = 0;
};

}  // namespace vexa::installer
