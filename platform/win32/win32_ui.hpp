#pragma once
// The system's dialogs: the shell's folder browser, the common open and save-as
// dialogs, message boxes. A dialog program names its main window as their owner, so that
// each one is modal to it.

#include <cstdint>

#include "platform/ui.hpp"

namespace vexa {

class Win32Ui final : public Ui {
public:
    explicit Win32Ui(std::intptr_t owner = 0) : owner_(owner) {}
    // The window that owns the dialogs from now on (0: none); a folder browser asked for
    // an owner of its own keeps that one.
    void SetOwner(std::intptr_t owner) { owner_ = owner; }

    std::optional<std::string> SelectFolder(std::intptr_t owner, const std::string& title) override;
    std::optional<std::string> OpenFile(const FileDialog& dialog) override;
    std::optional<std::string> SaveAs(const FileDialog& dialog) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    void Beep() override;
    ScreenMetrics Screen() override;

private:
    std::intptr_t owner_;
};

}  // namespace vexa
