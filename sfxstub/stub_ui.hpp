#pragma once
// The stub's questions and messages. A dialog host shows windows; the console host
// prints and reads answers from its input.

#include <optional>
#include <string>
#include <vector>

namespace vexa::sfx {

// The values are the overwrite dialog's answers; closing the dialog answers Cancel.
enum class OverwriteAnswer { No = -1, Cancel = 0, Yes = 1, YesToAll = 2 };

class StubUi {
public:
    virtual ~StubUi() = default;
    // A message box with one button.
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    // The main window: caption, status line and the cabinet's files in cabinet order.
    virtual void ShowFiles(const std::string& caption, const std::vector<std::string>& entries) = 0;
    // The folder browser; nullopt when the user cancels it.
    virtual std::optional<std::string> ChooseFolder() = 0;
    // The status line during an expansion.
    virtual void ShowStatus(const std::string& status) = 0;
    // Asked before an existing file is replaced; `path` is its full path.
    virtual OverwriteAnswer AskOverwrite(const std::string& path) = 0;
};

}  // namespace vexa::sfx
