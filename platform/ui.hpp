#pragma once
// What the core asks of the person at the machine: pick a folder or a file, read a
// message. A desktop host shows the system's dialogs; a console host asks on its input.

#include <cstdint>
#include <optional>
#include <string>

namespace vexa {

struct FileDialog {
    std::string defaultExtension;  // added to a name typed without one
    std::string filter;            // "description|pattern|...", ending in "||"
    std::string title;             // empty: the dialog's usual caption
    std::string initialName;
};

// The picture a message box shows beside its text.
enum class MessageIcon { None, Information, Exclamation, Error };

// The primary screen: its size in pixels and its colour depth.
struct ScreenMetrics {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bitsPerPixel = 0;
    bool operator==(const ScreenMetrics&) const = default;
};

class Ui {
public:
    virtual ~Ui() = default;
    // A folder of the file system, picked in a dialog owned by window `owner` (0 for
    // none) with `title` as its text. Nullopt when cancelled or when the choice is not a
    // folder of the file system.
    virtual std::optional<std::string> SelectFolder(std::intptr_t owner, const std::string& title) = 0;
    // The full path of a file to open, or to save as after confirming that an existing
    // file may be replaced. Nullopt when cancelled.
    virtual std::optional<std::string> OpenFile(const FileDialog& dialog) = 0;
    virtual std::optional<std::string> SaveAs(const FileDialog& dialog) = 0;
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    // A message with an icon; a host that shows none shows it as the plain message.
    virtual void ShowMessage(const std::string& text, const std::string& caption, MessageIcon) {
        ShowMessage(text, caption);
    }
    // A question with Yes and No and the question icon; true for Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
    // The system's simple beep.
    virtual void Beep() = 0;
    virtual ScreenMetrics Screen() = 0;
};

}  // namespace vexa
