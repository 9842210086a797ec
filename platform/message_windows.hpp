#pragma once
// Windows that receive messages. A window belongs to the thread that created it: that
// thread runs its handler, for posted messages and for timers, while it runs its
// messages. Any thread may post to a window; this is how worker threads talk back to a
// control, whose logic stays on its own thread.

#include <cstdint>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace vexa {

// 0 is no window. Handles are never reused while the port lives.
using WindowHandle = std::uintptr_t;

// The first message number free for a window's own use; lower numbers belong to the system.
inline constexpr std::uint32_t kUserMessage = 0x0400;

class WindowHandler {
public:
    virtual ~WindowHandler() = default;
    virtual void OnMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual void OnTimer(std::uint32_t timerId) = 0;
};

class Windows {
public:
    virtual ~Windows() = default;
    // A window without anything on screen, owned by the calling thread, whose messages go
    // to `handler` until the window is destroyed. 0 if none can be made.
    virtual WindowHandle Create(WindowHandler& handler) = 0;
    // From the owning thread. Messages still waiting for the window are dropped.
    virtual void Destroy(WindowHandle window) = 0;
    virtual bool IsWindow(WindowHandle window) = 0;
    // From any thread; `message` is kUserMessage or above. Messages to one window arrive
    // in the order they were posted. False when the window is gone.
    virtual bool Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    // A repeating timer, from the owning thread; setting an id again restarts it.
    virtual bool SetTimer(WindowHandle window, std::uint32_t timerId, std::uint32_t milliseconds) = 0;
    virtual void KillTimer(WindowHandle window, std::uint32_t timerId) = 0;
    // Runs the calling thread's messages and timers until `done` holds or `limitMs` has
    // passed; `done` is checked first and after each message or timer. True if done.
    // A limit of 0 runs what is waiting and returns.
    virtual bool RunUntil(const std::function<bool()>& done, std::uint32_t limitMs) = 0;

    // Between processes. Windows of every process of the machine have distinct handles,
    // and Post reaches a window of another process by its handle.
    //
    // A message number for `name` (0xC000 and above), the same in every process for the
    // same name, without regard to case; 0 if the system refuses.
    virtual std::uint32_t RegisterMessage(const std::string& name) = 0;
    // Global atoms carry a text to another process: up to 255 characters, counted
    // references, names compared without regard to case. 0 on failure.
    virtual std::uint16_t AddAtom(const std::string& text) = 0;
    // The atom's text (at most `maxLength` characters); nullopt if there is no such atom.
    virtual std::optional<std::string> AtomName(std::uint16_t atom, std::size_t maxLength) = 0;
    virtual void DeleteAtom(std::uint16_t atom) = 0;
    // Delivers a message to a window of any process and waits until its handler has run,
    // or `timeoutMs` has passed. True when it was handled.
    virtual bool Send(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                      std::uint32_t timeoutMs) = 0;
};

}  // namespace vexa
