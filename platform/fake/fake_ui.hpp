#pragma once
// Dialogs answered from a script, each question recorded.

#include <deque>
#include <vector>

#include "platform/ui.hpp"

namespace vexa {

class FakeUi final : public Ui {
public:
    struct Question {
        std::string kind;  // "folder", "open", "save", "message" or "yesno"; a text is file.title
        std::string title;
        FileDialog file;
    };

    // The answer to the next dialog; nullopt cancels it. Dialogs beyond the script are cancelled.
    void Answer(std::optional<std::string> answer) { answers_.push_back(std::move(answer)); }
    const std::vector<Question>& Questions() const { return questions_; }

    std::optional<std::string> SelectFolder(std::intptr_t owner, const std::string& title) override;
    std::optional<std::string> OpenFile(const FileDialog& dialog) override;
    std::optional<std::string> SaveAs(const FileDialog& dialog) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    // Answered by the next scripted answer: "yes" is Yes, anything else (or none) No.
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    void Beep() override { questions_.push_back({"beep", {}, {}}); }
    ScreenMetrics Screen() override { return screen; }
    ScreenMetrics screen{1280, 1024, 32};

private:
    std::optional<std::string> Next(Question question);

    std::deque<std::optional<std::string>> answers_;
    std::vector<Question> questions_;
};

}  // namespace vexa
