// A window for the tests of messages between processes:  window_fixture HANDLE_FILE LOG NAME
// It makes a window, registers the message NAME and writes "HANDLE NUMBER" to HANDLE_FILE
// (whole or not at all). For each NAME message it appends a line to LOG: the text of the
// atom in wParam, "-" without one, "?" for an atom it cannot read. The text "quit" ends
// it, as does a minute without it.

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/native.hpp"

namespace {

class EventLog final : public vexa::WindowHandler {
public:
    EventLog(vexa::Windows& windows, std::uint32_t message, std::string path)
        : windows_(windows), message_(message), path_(std::move(path)) {}

    void OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t) override {
        if (message != message_) return;
        std::string text = "-";
        if (wParam != 0) text = windows_.AtomName(static_cast<std::uint16_t>(wParam), 256).value_or("?");
        std::ofstream(path_, std::ios::binary | std::ios::app) << text << '\n';
        quit_ = text == "quit";
    }
    void OnTimer(std::uint32_t) override {}

    bool Quit() const { return quit_; }

private:
    vexa::Windows& windows_;
    std::uint32_t message_;
    std::string path_;
    bool quit_ = false;
};

void WriteWhole(const std::string& path, const std::string& text) {
    std::string part = path + ".part";
    std::ofstream(part, std::ios::binary | std::ios::trunc) << text;
    std::filesystem::rename(part, path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    vexa::NativePlatform platform;
    vexa::Windows& windows = platform.Get().windows;
    std::uint32_t message = windows.RegisterMessage(argv[3]);
    EventLog log(windows, message, argv[2]);
    vexa::WindowHandle window = windows.Create(log);
    if (message == 0 || window == 0) return 1;
    WriteWhole(argv[1], std::to_string(window) + " " + std::to_string(message));
    bool quit = windows.RunUntil([&] { return log.Quit(); }, 60'000);
    windows.Destroy(window);
    return quit ? 0 : 1;
}
