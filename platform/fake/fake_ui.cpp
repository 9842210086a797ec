#include "platform/fake/fake_ui.hpp"

namespace vexa {

std::optional<std::string> FakeUi::Next(Question question) {
    questions_.push_back(std::move(question));
    if (answers_.empty()) return std::nullopt;
    auto answer = std::move(answers_.front());
    answers_.pop_front();
    return answer;
}

std::optional<std::string> FakeUi::SelectFolder(std::intptr_t, const std::string& title) {
    return Next({"folder", title, {}});
}

std::optional<std::string> FakeUi::OpenFile(const FileDialog& dialog) { return Next({"open", dialog.title, dialog}); }

std::optional<std::string> FakeUi::SaveAs(const FileDialog& dialog) { return Next({"save", dialog.title, dialog}); }

void FakeUi::ShowMessage(const std::string& text, const std::string& caption) {
    questions_.push_back({"message", caption, {{}, {}, text, {}}});
}

bool FakeUi::AskYesNo(const std::string& text, const std::string& caption) {
    return Next({"yesno", caption, {{}, {}, text, {}}}) == "yes";
}

}  // namespace vexa
