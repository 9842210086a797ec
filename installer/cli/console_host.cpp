#include "installer/cli/console_host.hpp"

#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <istream>
#include <ostream>
#include <utility>

#include "common/text.hpp"
#include "installer/installer_texts.hpp"

namespace vexa::installer {
namespace {

// The dialog's texts break lines with CR LF, or with CR alone; a terminal wants LF.
std::string ConsoleText(const std::string& text) { return ReplaceAll(ReplaceAll(text, "\r\n", "\n"), "\r", "\n"); }

bool IsYes(const std::optional<std::string>& answer) {
    return answer && !answer->empty() && (answer->front() == 'y' || answer->front() == 'Y');
}

// The terminal's echo off for as long as it lives, where standard input is one.
class NoEcho {
public:
    NoEcho() {
        if (::tcgetattr(STDIN_FILENO, &saved_) != 0) return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        active_ = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~NoEcho() {
        if (active_) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
    }
    NoEcho(const NoEcho&) = delete;
    NoEcho& operator=(const NoEcho&) = delete;
    bool Active() const { return active_; }

private:
    termios saved_{};
    bool active_ = false;
};

std::optional<std::string> ReadAnswer(std::istream& in, bool secret) {
    std::optional<NoEcho> noEcho;
    if (secret && ::isatty(STDIN_FILENO)) noEcho.emplace();
    std::string line;
    bool read = static_cast<bool>(std::getline(in, line));
    if (noEcho && noEcho->Active()) std::fputc('\n', stdout);
    if (!read) {
        // An interrupted read leaves the stream failed; the next question reads again.
        in.clear();
        std::clearerr(stdin);
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace

void ConsoleLines::Say(const std::string& line, bool error) {
    std::lock_guard lock(mutex_);
    (error ? errors_ : out_) << line << std::endl;
}

void ConsoleLines::Prompt(const std::string& text) {
    std::lock_guard lock(mutex_);
    out_ << text << std::flush;
}

std::optional<std::string> AnswerTo(ConsoleLines& lines, std::istream& in, bool secret) {
    auto answer = ReadAnswer(in, secret);
    if (!answer) lines.Say("");  // the prompt's line ends without an answer
    return answer;
}

std::optional<std::string> ConsoleInstallUi::SelectFolder(std::intptr_t, const std::string& title) {
    lines_.Prompt((title.empty() ? std::string("Folder") : title) + ": ");
    auto answer = AnswerTo(lines_, in_);
    if (!answer || Trim(*answer).empty()) return std::nullopt;
    std::error_code error;
    return std::filesystem::absolute(std::string(Trim(*answer)), error).string();
}

void ConsoleInstallUi::ShowMessage(const std::string& text, const std::string& caption) {
    ShowMessage(text, caption, MessageIcon::None);
}

void ConsoleInstallUi::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
    const bool error = icon != MessageIcon::Information;
    if (error) ++errors_;
    lines_.Say(caption + ": " + ConsoleText(text), error);
}

bool ConsoleInstallUi::AskYesNo(const std::string& text, const std::string& caption) {
    if (text == kRebootQuestion) rebootAsked_ = true;
    std::string question = caption + ": " + ConsoleText(text) + " [y/N] ";
    if (yes_) {
        lines_.Say(question + "y");
        return true;
    }
    lines_.Prompt(question);
    return IsYes(AnswerTo(lines_, in_));
}

std::optional<std::string> ConsoleInstallHost::AskPassword() {
    if (password_) return std::exchange(password_, std::nullopt);
    lines_.Prompt("Your Password: ");
    return AnswerTo(lines_, in_, true);
}

std::optional<std::string> ConsoleInstallHost::ChooseDirectory() {
    if (!destination_) return std::nullopt;
    std::error_code error;
    return std::filesystem::absolute(*destination_, error).string();
}

// The log only grows; a text that does not continue it (the status on cancel) is shown as it is.
void ConsoleInstallHost::StatusChanged(const std::string& log, int) {
    std::lock_guard lock(mutex_);
    if (!log.starts_with(log_)) {
        lines_.Say(ConsoleText(log));
        return;
    }
    std::string_view fresh = std::string_view(log).substr(log_.size());
    log_ = log;
    for (std::size_t start = 0; start < fresh.size();) {
        std::size_t end = std::min(fresh.find("\r\n", start), fresh.size());
        std::string line(fresh.substr(start, end - start));
        if (!line.empty()) lines_.Say(line);
        if (line == kInstallationCompleted) completed_ = true;
        start = end + 2;
    }
}

void ConsoleInstallHost::Finished() {
    std::lock_guard lock(mutex_);
    finished_ = true;
    finishedChanged_.notify_all();
}

bool ConsoleInstallHost::WaitFinished(int milliseconds) {
    std::unique_lock lock(mutex_);
    return finishedChanged_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return finished_; });
}

void ShowFields(ConsoleLines& lines, const InstallState& state) {
    lines.Say("Program Name: " + state.productName);
    lines.Say("Destination Folder: " + state.destination);
    lines.Say("Program Group: " + state.programGroupDisplay);
}

}  // namespace vexa::installer
