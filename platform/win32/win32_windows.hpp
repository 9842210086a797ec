#pragma once
// Message-only windows of the system: posting, timers and the thread's message queue
// are the system's own.

#include "platform/message_windows.hpp"

namespace vexa {

class Win32Windows final : public Windows {
public:
    Win32Windows();
    ~Win32Windows() override;
    Win32Windows(const Win32Windows&) = delete;
    Win32Windows& operator=(const Win32Windows&) = delete;

    WindowHandle Create(WindowHandler& handler) override;
    void Destroy(WindowHandle window) override;
    bool IsWindow(WindowHandle window) override;
    bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    bool SetTimer(WindowHandle window, std::uint32_t timerId, std::uint32_t milliseconds) override;
    void KillTimer(WindowHandle window, std::uint32_t timerId) override;
    bool RunUntil(const std::function<bool()>& done, std::uint32_t limitMs) override;
    std::uint32_t RegisterMessage(const std::string& name) override;
    std::uint16_t AddAtom(const std::string& text) override;
    std::optional<std::string> AtomName(std::uint16_t atom, std::size_t maxLength) override;
    void DeleteAtom(std::uint16_t atom) override;
    bool Send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
              std::uint32_t timeoutMs) override;

private:
    void* module_;  // the module whose window procedure the class names
};

}  // namespace vexa
