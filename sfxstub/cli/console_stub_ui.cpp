#include "sfxstub/cli/console_stub_ui.hpp"

#include <istream>
#include <ostream>

#include "common/text.hpp"
#include "sfxstub/stub_texts.hpp"

namespace vexa::sfx {
namespace {

std::optional<OverwriteAnswer> ParseAnswer(const std::string& text) {
    static const struct {
        const char* key;
        const char* button;
        OverwriteAnswer answer;
    } kAnswers[] = {
        {"y", "Yes", OverwriteAnswer::Yes},
        {"n", "No", OverwriteAnswer::No},
        {"a", "Yes to All", OverwriteAnswer::YesToAll},
        {"c", "Cancel", OverwriteAnswer::Cancel},
    };
    for (const auto& a : kAnswers) {
        if (EqualsIgnoreCase(text, a.key) || EqualsIgnoreCase(text, a.button)) return a.answer;
    }
    return std::nullopt;
}

}  // namespace

void ConsoleStubUi::ShowMessage(const std::string& text, const std::string& caption) {
    (caption == kErrorCaption ? errors_ : out_) << caption << ": " << text << std::endl;
}

void ConsoleStubUi::ShowFiles(const std::string& caption, const std::vector<std::string>& entries) {
    out_ << caption << '\n' << kListStatus << '\n';
    for (const std::string& entry : entries) out_ << "  " << entry << '\n';
    out_.flush();
}

std::optional<std::string> ConsoleStubUi::ChooseFolder() {
    out_ << kFolderPrompt << ' ' << std::flush;
    auto folder = ReadAnswer();
    if (!folder || folder->empty()) {
        out_ << std::endl;
        return std::nullopt;
    }
    return folder;
}

void ConsoleStubUi::ShowStatus(const std::string& status) { out_ << status << std::endl; }

OverwriteAnswer ConsoleStubUi::AskOverwrite(const std::string& path) {
    out_ << kOverwriteCaption << ": " << kOverwriteExists << "\n  " << path << '\n';
    for (;;) {
        out_ << kOverwriteQuestion << " [y]es, [n]o, yes to [a]ll, [c]ancel: " << std::flush;
        auto line = ReadAnswer();
        if (!line) {
            out_ << std::endl;
            return OverwriteAnswer::Cancel;
        }
        if (auto answer = ParseAnswer(*line)) return *answer;
    }
}

std::optional<std::string> ConsoleStubUi::ReadAnswer() {
    std::string line;
    if (!std::getline(in_, line)) return std::nullopt;
    return std::string(Trim(line));
}

}  // namespace vexa::sfx
