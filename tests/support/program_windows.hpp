#pragma once
// Programs with windows, worked from outside as a user would under Windows or Wine: started
// as from the shell, their top-level windows and message boxes found by caption and read
// by WM_GETTEXT, and their ends waited for.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vexa::test {

// A program's first start under Wine may take seconds.
inline constexpr auto kPatience = std::chrono::seconds(30);

inline bool WaitUntil(const std::function<bool()>& ready) {
    for (auto end = std::chrono::steady_clock::now() + kPatience; std::chrono::steady_clock::now() < end;) {
        if (ready()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return ready();
}

// A window's text, asked by WM_GETTEXT, which the system carries between processes.
inline std::string TextOf(HWND window) {
    char text[1024] = {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                          &ignored);
    return text;
}

// The texts of a message box, its caption aside.
inline std::vector<std::string> ChildTexts(HWND window) {
    std::vector<HWND> children;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM found) {
            reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    std::vector<std::string> texts;
    for (HWND child : children) texts.push_back(TextOf(child));
    return texts;
}

inline bool Says(HWND box, const std::string& text) {
    auto texts = ChildTexts(box);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// A program started as from the shell, by its full path in quotes, with its temporary
// files in a folder of the test's.
class WindowedProcess {
public:
    WindowedProcess(const std::string& program, const std::filesystem::path& temp) {
        std::string commandLine = "\"" + program + "\"";
        std::string environment = EnvironmentWithTemp(temp.string());
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        started_ = ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, environment.data(),
                                    nullptr, &startup, &process_);
    }
    ~WindowedProcess() {
        if (!started_) return;
        if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(process_.hProcess, 99);
        ::CloseHandle(process_.hThread);
        ::CloseHandle(process_.hProcess);
    }
    WindowedProcess(const WindowedProcess&) = delete;
    WindowedProcess& operator=(const WindowedProcess&) = delete;

    bool Started() const { return started_; }
    HANDLE Handle() const { return process_.hProcess; }

    // A visible top-level window of the program's that `matches`; null if none comes.
    HWND WaitForWindow(const std::function<bool(HWND)>& matches) const {
        HWND found = nullptr;
        WaitUntil([&] { return (found = FindWindowOf(matches)) != nullptr; });
        return found;
    }
    HWND WaitForWindow(const std::string& caption) const {
        return WaitForWindow([&](HWND window) { return TextOf(window) == caption; });
    }

    // The exit code once the program has ended by itself.
    std::optional<DWORD> Finish() const {
        auto patience = std::chrono::duration_cast<std::chrono::milliseconds>(kPatience).count();
        if (::WaitForSingleObject(process_.hProcess, static_cast<DWORD>(patience)) != WAIT_OBJECT_0) {
            return std::nullopt;
        }
        DWORD code = 0;
        ::GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

private:
    struct Search {
        DWORD process;
        const std::function<bool(HWND)>& matches;
        HWND found = nullptr;
    };

    HWND FindWindowOf(const std::function<bool(HWND)>& matches) const {
        Search search{process_.dwProcessId, matches};
        ::EnumWindows(
            [](HWND window, LPARAM context) {
                auto& s = *reinterpret_cast<Search*>(context);
                DWORD owner = 0;
                ::GetWindowThreadProcessId(window, &owner);
                if (owner != s.process || !::IsWindowVisible(window) || !s.matches(window)) return TRUE;
                s.found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // Ours, with TMP and TEMP, where the system takes its temporary folder from, replaced.
    static std::string EnvironmentWithTemp(const std::string& temp) {
        std::string block;
        char* strings = ::GetEnvironmentStringsA();
        for (const char* entry = strings; *entry; entry += std::strlen(entry) + 1) {
            std::string_view text(entry);
            if (!text.starts_with("TMP=") && !text.starts_with("TEMP=")) block.append(text).push_back('\0');
        }
        ::FreeEnvironmentStringsA(strings);
        for (const char* name : {"TMP=", "TEMP="}) block.append(name + temp).push_back('\0');
        return block;  // its own terminating NUL ends the block
    }

    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

// Windows other than message windows need a display; under Wine, an X server.
inline bool DisplayAvailable() {
    HWND probe = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (probe) ::DestroyWindow(probe);
    return probe != nullptr;
}

// Waits for the message box `caption`, checks its text and closes it with its button.
inline void ExpectMessage(const WindowedProcess& program, const std::string& caption, const std::string& text) {
    HWND box = program.WaitForWindow(caption);
    ASSERT_NE(box, nullptr) << caption;
    EXPECT_TRUE(Says(box, text)) << caption << ": " << ::testing::PrintToString(ChildTexts(box));
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([box] { return !::IsWindow(box); }));
}

}  // namespace vexa::test
