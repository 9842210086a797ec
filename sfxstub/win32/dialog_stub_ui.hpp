#pragma once
// The stub's questions and messages as windows: message boxes, the main dialog's caption,
// status line and list, the shell's folder browser, and the overwrite dialog.

#include <windows.h>

#include <cstdint>
#include <mutex>

#include "sfxstub/stub_ui.hpp"

namespace vexa::sfx {

// Posted to the main dialog when the expansion has a new status; ShowPostedStatus shows it.
inline constexpr UINT kStatusNotice = WM_APP;

class DialogStubUi final : public StubUi {
public:
    explicit DialogStubUi(HINSTANCE instance) : instance_(instance) {}

    // The main dialog, once it is open: it owns what is shown from then on.
    void Attach(HWND dialog) { dialog_ = dialog; }

    void ShowMessage(const std::string& text, const std::string& caption) override;
    void ShowFiles(const std::string& caption, const std::vector<std::string>& entries) override;
    std::optional<std::string> ChooseFolder() override;
    // The expansion thread calls these two. A window belongs to its thread, so the status
    // waits here for the dialog, which a post tells; the question is a dialog of that
    // thread's own, owned by the main dialog.
    void ShowStatus(const std::string& status) override;
    OverwriteAnswer AskOverwrite(const std::string& path) override;

    // On the dialog's thread, for kStatusNotice.
    void ShowPostedStatus();

private:
    std::intptr_t Owner() const { return reinterpret_cast<std::intptr_t>(dialog_); }

    HINSTANCE instance_;
    HWND dialog_ = nullptr;
    std::mutex statusLock_;
    std::string status_;
};

}  // namespace vexa::sfx
