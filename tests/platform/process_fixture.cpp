// A program for the process tests:  process_fixture REPORT MODE [ARGUMENT...]
// It writes its working directory and then each ARGUMENT, one a line, to REPORT (whole
// or not at all), then, by MODE: "exit" ends; "sleep" waits to be killed; "window:TITLE"
// shows a top-level window with that caption and ends when it is closed (where there is
// no window system it sleeps).

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <string>

namespace {

void Report(const std::string& path, int argc, char** argv) {
    std::string part = path + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << std::filesystem::current_path().string() << '\n';
        for (int i = 3; i < argc; ++i) out << argv[i] << '\n';
    }
    std::filesystem::rename(part, path);
}

#ifdef _WIN32
LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
}

int ShowWindowUntilClosed(const std::string& title) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &WindowProcedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VexaProcessFixture";
    if (!::RegisterClassA(&windowClass)) return 1;
    HWND window = ::CreateWindowExA(0, windowClass.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    40, 40, 320, 240, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) return 1;
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return 0;
}

[[noreturn]] void SleepUntilKilled() {
    while (true) ::Sleep(INFINITE);
}
#else
[[noreturn]] void SleepUntilKilled() {
    while (true) ::pause();
}

[[noreturn]] int ShowWindowUntilClosed(const std::string&) { SleepUntilKilled(); }
#endif

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    Report(argv[1], argc, argv);
    std::string mode = argv[2];
    if (mode == "sleep") SleepUntilKilled();
    if (mode.starts_with("window:")) return ShowWindowUntilClosed(mode.substr(7));
    return 0;
}
