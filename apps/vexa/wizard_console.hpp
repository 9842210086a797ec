#pragma once
// What the page wizard's console hosts share: the dialogs its steps open, answered from the
// command's options where they give an answer and asked on the terminal otherwise, its
// messages on standard error, and where the wizard's own directory is.

#include <unistd.h>

#include <iostream>
#include <optional>
#include <string>
#include <utility>

#include "common/text.hpp"
#include "apps/vexa/commands.hpp"
#include "platform/platform.hpp"
#include "wizard/vexa_web_express.hpp"

namespace vexa::cli {

// The folder and file dialogs take the answers queued for them, else the terminal's; the
// release question is asked on the terminal unless --yes answers it.
class WizardConsoleUi final : public Ui {
public:
    WizardConsoleUi(Ui& console, bool yes) : console_(console), yes_(yes) {}

    std::optional<std::string> folder;
    std::optional<std::string> file;
    int messages = 0;

    std::optional<std::string> SelectFolder(std::intptr_t owner, const std::string& title) override {
        return folder ? std::exchange(folder, std::nullopt) : console_.SelectFolder(owner, title);
    }
    std::optional<std::string> OpenFile(const FileDialog& dialog) override {
        return file ? std::exchange(file, std::nullopt) : console_.OpenFile(dialog);
    }
    std::optional<std::string> SaveAs(const FileDialog&) override { return std::nullopt; }
    void ShowMessage(const std::string& text, const std::string&) override {
        ++messages;
        std::cerr << "vexa: " << ReplaceAll(text, "\r\n", "\n") << std::endl;
    }
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        if (yes_) return true;
        if (!::isatty(STDIN_FILENO)) {
            ShowMessage(text + "\r\n(no terminal to answer on: --yes answers Yes)", caption);
            return false;
        }
        return console_.AskYesNo(ReplaceAll(text, "\r\n", "\n"), caption);
    }
    void Beep() override {}
    ScreenMetrics Screen() override { return console_.Screen(); }

private:
    Ui& console_;
    bool yes_;
};

// The wizard's own directory: the option, VEXA_WIZARD_DIR, or the share directory beside
// the program (installed, or in the build tree).
std::string WizardDirectory(const std::string& option);

// The wizard on a console: its dialogs through WizardConsoleUi, its progress lines on
// standard output, and Ctrl-C as the Cancel button of what it is doing.
class ConsoleWizard {
public:
    ConsoleWizard(Platform& machine, const std::string& wizardDir, bool yes)
        : ui(machine.ui, yes),
          platform(WithUi(machine, ui)),
          wizard(platform, WizardDirectory(wizardDir), {VEXA_VERSION_MAJOR, VEXA_VERSION_MINOR, VEXA_VERSION_PATCH}) {
        wizard.onProgress = [](const std::string& line) { std::cout << line << std::endl; };
        wizard.onIdle = [this] {
            if (!CancelOnInterrupt::Requested()) return;
            if (wizard.CurrentStep == wizard::kWorkingStep) wizard.cmdCancelWork_Click();
            wizard.cmdCancel_Click();
        };
    }

    // In this order: the wizard reaches the machine through the platform, which asks through ui.
    WizardConsoleUi ui;
    Platform platform;
    wizard::VexaWebExpress wizard;
};

}  // namespace vexa::cli
