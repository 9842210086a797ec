#include "platform/posix/console_ui.hpp"

#include <filesystem>
#include <string_view>
#include <vector>

#include "platform/posix/x_display.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;

// "Text|*.txt|All|*.*||" reads "Text (*.txt), All (*.*)".
std::string DescribeFilter(std::string_view filter) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0, bar; (bar = filter.find('|', start)) != std::string_view::npos; start = bar + 1)
        parts.push_back(filter.substr(start, bar - start));
    std::string text;
    for (std::size_t i = 0; i + 1 < parts.size() && !parts[i].empty(); i += 2) {
        if (!text.empty()) text += ", ";
        text.append(parts[i]).append(" (").append(parts[i + 1]).append(")");
    }
    return text;
}

std::string WithDefaultExtension(const std::string& name, const std::string& extension) {
    if (extension.empty() || fs::path(name).has_extension()) return name;
    return name + "." + extension;
}

bool IsYes(const std::optional<std::string>& answer) {
    return answer && !answer->empty() && (answer->front() == 'y' || answer->front() == 'Y');
}

}  // namespace

std::optional<std::string> ConsoleUi::Ask(const std::string& prompt) {
    out_ << prompt << ": " << std::flush;
    std::string line;
    if (!std::getline(in_, line)) {
        out_ << '\n';
        return std::nullopt;
    }
    return line;
}

std::optional<std::string> ConsoleUi::SelectFolder(std::intptr_t, const std::string& title) {
    auto answer = Ask(title.empty() ? "Folder" : title);
    std::error_code error;
    if (!answer || answer->empty() || !fs::is_directory(*answer, error)) return std::nullopt;
    return fs::absolute(*answer, error).string();
}

std::optional<std::string> ConsoleUi::AskFileName(const FileDialog& dialog, const std::string& caption) {
    std::string prompt = dialog.title.empty() ? caption : dialog.title;
    if (std::string kinds = DescribeFilter(dialog.filter); !kinds.empty()) prompt += " [" + kinds + "]";
    if (!dialog.initialName.empty()) prompt += " (" + dialog.initialName + ")";
    auto answer = Ask(prompt);
    if (!answer) return std::nullopt;
    std::string name = answer->empty() ? dialog.initialName : *answer;
    if (name.empty()) return std::nullopt;
    std::error_code error;
    return fs::absolute(WithDefaultExtension(name, dialog.defaultExtension), error).string();
}

std::optional<std::string> ConsoleUi::OpenFile(const FileDialog& dialog) { return AskFileName(dialog, "Open"); }

// Declining to replace a file asks for another name, as the dialog stays open.
std::optional<std::string> ConsoleUi::SaveAs(const FileDialog& dialog) {
    for (;;) {
        auto path = AskFileName(dialog, "Save as");
        std::error_code error;
        if (!path || !fs::exists(*path, error) || IsYes(Ask(*path + " already exists. Replace it? [y/N]"))) return path;
    }
}

void ConsoleUi::ShowMessage(const std::string& text, const std::string& caption) {
    out_ << caption << ": " << text << '\n';
}

void ConsoleUi::Beep() { out_ << '\a' << std::flush; }

ScreenMetrics ConsoleUi::Screen() { return XDisplayScreen().value_or(kScreenWithoutDisplay); }

// No input (a closed terminal) answers No.
bool ConsoleUi::AskYesNo(const std::string& text, const std::string& caption) {
    return IsYes(Ask(caption + ": " + text + " [y/N]"));
}

}  // namespace vexa
