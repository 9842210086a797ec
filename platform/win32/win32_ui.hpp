#pragma once
// The system's dialogs: the shell's folder browser, the common open and save-as
// dialogs, message boxes.

#include "platform/ui.hpp"

namespace vexa {

class Win32Ui final : public Ui {
public:
    std::optional<std::string> SelectFolder(std::intptr_t owner, const std::string& title) override;
    std::optional<std::string> OpenFile(const FileDialog& dialog) override;
    std::optional<std::string> SaveAs(const FileDialog& dialog) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    void Beep() override;
    ScreenMetrics Screen() override;
};

}  // namespace vexa
