#pragma once
// The installer's dialog on a console: what the dialog would show is printed, what it
// would ask is asked on the terminal, and the options of an unattended run answer first.

#include <atomic>
#include <condition_variable>
#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "installer/vexa_install.hpp"
#include "platform/posix/x_display.hpp"
#include "platform/ui.hpp"

namespace vexa::installer {

// Standard output and error shared by the dialog's thread and the worker's, a line at a time.
class ConsoleLines {
public:
    ConsoleLines(std::ostream& out, std::ostream& errors) : out_(out), errors_(errors) {}
    void Say(const std::string& line, bool error = false);
    // A prompt: no line end, so the answer is typed beside it.
    void Prompt(const std::string& text);

private:
    std::mutex mutex_;
    std::ostream& out_;
    std::ostream& errors_;
};

// The answer to the prompt just shown: one line of `in` without its end; nullopt at the end
// of the input, or when Ctrl+C interrupted the read, and then the prompt's line is ended. On
// a terminal, `secret` keeps the typed text from being shown.
std::optional<std::string> AnswerTo(ConsoleLines& lines, std::istream& in, bool secret = false);

// The message boxes and questions of the core. --yes answers every question Yes; a
// message other than an information is an error, and goes to standard error.
class ConsoleInstallUi final : public Ui {
public:
    ConsoleInstallUi(ConsoleLines& lines, std::istream& in, bool yes) : lines_(lines), in_(in), yes_(yes) {}

    std::optional<std::string> SelectFolder(std::intptr_t owner, const std::string& title) override;
    std::optional<std::string> OpenFile(const FileDialog&) override { return std::nullopt; }
    std::optional<std::string> SaveAs(const FileDialog&) override { return std::nullopt; }
    void ShowMessage(const std::string& text, const std::string& caption) override;
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    void Beep() override {}
    ScreenMetrics Screen() override { return kScreenWithoutDisplay; }

    // How many error messages were shown, and whether the reboot question was asked.
    int Errors() const { return errors_; }
    bool RebootAsked() const { return rebootAsked_; }

private:
    ConsoleLines& lines_;
    std::istream& in_;
    bool yes_;
    std::atomic<int> errors_ = 0;
    std::atomic<bool> rebootAsked_ = false;
};

// The dialog's fields and the worker's reports.
class ConsoleInstallHost final : public InstallerHost {
public:
    ConsoleInstallHost(ConsoleLines& lines, std::istream& in, std::optional<std::string> password,
                       std::optional<std::string> destination)
        : lines_(lines), in_(in), password_(std::move(password)), destination_(std::move(destination)) {}

    // --password answers the first time; after "Wrong password!" the terminal is asked.
    std::optional<std::string> AskPassword() override;
    // --dest, as a full path.
    std::optional<std::string> ChooseDirectory() override;
    // Prints the lines appended since the last call.
    void StatusChanged(const std::string& log, int linesAppended) override;
    void EnableCancel(bool enabled) override { cancelEnabled_ = enabled; }
    void Finished() override;

    bool CancelEnabled() const { return cancelEnabled_; }
    // Waits for Finished at most `milliseconds`; true once it came.
    bool WaitFinished(int milliseconds);
    // Whether the status said the installation completed.
    bool Completed() const { return completed_; }

private:
    ConsoleLines& lines_;
    std::istream& in_;
    std::optional<std::string> password_;
    std::optional<std::string> destination_;
    std::string log_;  // the status log as printed so far
    std::atomic<bool> cancelEnabled_ = true;
    std::atomic<bool> completed_ = false;
    std::mutex mutex_;
    std::condition_variable finishedChanged_;
    bool finished_ = false;
};

// Prints the dialog's three fields.
void ShowFields(ConsoleLines& lines, const InstallState& state);

}  // namespace vexa::installer
