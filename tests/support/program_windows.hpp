#pragma once
// Programs with windows, worked from outside as a user would under Windows or Wine: started
// as from the shell, their top-level windows and message boxes found by caption and read
// by WM_GETTEXT, and their ends waited for.

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

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

// Asked in UTF-16: Wine hands a list box's entries to another process's ANSI request
// unconverted.
inline std::vector<std::string> ListEntries(HWND list) {
    std::vector<std::string> entries;
    auto count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t entry[1024] = {};
        ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
        char narrow[1024] = {};
        ::WideCharToMultiByte(CP_ACP, 0, entry, -1, narrow, sizeof narrow, nullptr, nullptr);
        entries.emplace_back(narrow);
    }
    return entries;
}

// Memory in another process, so that its windows can be sent messages that point at
// something there, and answer into it.
class RemoteMemory {
public:
    RemoteMemory(HANDLE process, std::size_t size) : process_(process) {
        address_ = ::VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteMemory() {
        if (address_) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    char* At(std::size_t offset) const { return static_cast<char*>(address_) + offset; }
    void Write(std::size_t offset, const void* bytes, std::size_t n) const {
        if (address_) ::WriteProcessMemory(process_, At(offset), bytes, n, nullptr);
    }
    void Read(std::size_t offset, void* into, std::size_t n) const {
        if (address_) ::ReadProcessMemory(process_, At(offset), into, n, nullptr);
    }

private:
    HANDLE process_;
    void* address_ = nullptr;
};

// The name of the folder a folder browser has selected, from its tree, asked in the
// memory of the browser's process.
inline std::string SelectedFolderName(HANDLE process, HWND browser) {
    HWND tree = ::FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
    auto selected = ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    if (!selected) return {};
    char name[MAX_PATH] = {};
    RemoteMemory memory(process, sizeof(TVITEMA) + sizeof name);
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = reinterpret_cast<HTREEITEM>(selected);
    item.pszText = memory.At(sizeof item);
    item.cchTextMax = sizeof name;
    memory.Write(0, &item, sizeof item);
    ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(memory.At(0)));
    memory.Read(sizeof item, name, sizeof name - 1);
    return name;
}

// In the folder browser of `process`, selects `folder` and presses OK. OK is pressed only
// once the folder is seen selected, since the browser starts on the Desktop, which under
// Wine may be the user's home folder; a browser still filling its tree may lose the first
// selection, so it is made until it holds. False (and Cancel pressed) if it never holds.
inline bool ChooseFolder(HANDLE process, HWND browser, const std::filesystem::path& folder) {
    const std::string path = folder.string();
    RemoteMemory text(process, path.size() + 1);
    text.Write(0, path.c_str(), path.size() + 1);
    bool selected = WaitUntil([&] {
        if (SelectedFolderName(process, browser) == folder.filename().string()) return true;
        ::SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(text.At(0)));
        return false;
    });
    ::PostMessageA(browser, WM_COMMAND, selected ? IDOK : IDCANCEL, 0);
    return selected;
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
