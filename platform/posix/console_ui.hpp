#pragma once
// The console host's dialogs: each question is a prompt on `out`, answered by one line
// of `in`, so a person at a terminal or a script on standard input can answer.

#include <istream>
#include <ostream>

#include "platform/ui.hpp"

namespace vexa {

class ConsoleUi final : public Ui {
public:
    ConsoleUi(std::istream& in, std::ostream& out) : in_(in), out_(out) {}

    std::optional<std::string> SelectFolder(std::intptr_t owner, const std::string& title) override;
    std::optional<std::string> OpenFile(const FileDialog& dialog) override;
    std::optional<std::string> SaveAs(const FileDialog& dialog) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    void Beep() override;
    // The X display's screen when there is one (DISPLAY), else 1024 x 768 in 24 bits.
    ScreenMetrics Screen() override;

private:
    // One answer; nullopt at the end of the input.
    std::optional<std::string> Ask(const std::string& prompt);
    // A file name; an empty answer takes the dialog's initial name, if any.
    std::optional<std::string> AskFileName(const FileDialog& dialog, const std::string& caption);

    std::istream& in_;
    std::ostream& out_;
};

}  // namespace vexa
