#pragma once
// The sending side of custom events: a page names an event, optionally with a text after
// "?", and the window it names (typically the loader's, hosting a started program) receives
// the registered message of that name with the text in a global atom.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "platform/message_windows.hpp"

namespace vexa::download {

// The longest message name and text that travel; a longer name is cut, a longer text is
// refused (a global atom holds no more, and a cut text, such as an address, would mislead).
inline constexpr std::size_t kMaxCustomEventText = 255;
// How many atoms one sender keeps allocated for receivers still to read them.
inline constexpr std::size_t kMaxHeldAtoms = 100;

struct CustomEventName {
    std::string message;    // before the first "?"
    std::string parameter;  // after it; empty without "?"
};
CustomEventName SplitCustomEventName(std::string_view eventName);

class CustomEventSender {
public:
    explicit CustomEventSender(Windows& windows);

    // Posts the event's message to `window` with the text's atom (or 0) as the first
    // parameter and 0 as the second. False when the name cannot be registered, the text is
    // longer than kMaxCustomEventText or cannot be made an atom, or the post fails.
    //
    // An atom stays allocated, so the receiver can read it whenever it handles the message,
    // until the sender holds kMaxHeldAtoms newer ones; the one of a failed post goes at once.
    bool GenerateCustomEvent(WindowHandle window, const std::string& eventName);

private:
    // 0 when the text cannot be added.
    std::uint16_t HoldAtom(const std::string& text);
    void DropNewestAtom();

    Windows& windows_;
    std::deque<std::uint16_t> atoms_;  // oldest first
};

}  // namespace vexa::download
