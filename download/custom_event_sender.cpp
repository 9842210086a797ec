#include "download/custom_event_sender.hpp"

#include <algorithm>

namespace vexa::download {

CustomEventName SplitCustomEventName(std::string_view eventName) {
    const std::size_t question = eventName.find('?');
    if (question == std::string_view::npos) return {std::string(eventName), {}};
    return {std::string(eventName.substr(0, question)), std::string(eventName.substr(question + 1))};
}

CustomEventSender::CustomEventSender(Windows& windows) : windows_(windows) {}

bool CustomEventSender::GenerateCustomEvent(WindowHandle window, const std::string& eventName) {
    CustomEventName name = SplitCustomEventName(eventName);
    name.message.resize(std::min(name.message.size(), kMaxCustomEventText));
    const std::uint32_t message = windows_.RegisterMessage(name.message);
    if (message == 0) return false;
    std::uint16_t atom = 0;
    if (!name.parameter.empty()) {
        atom = HoldAtom(name.parameter);
        if (atom == 0) return false;
    }
    if (windows_.Post(window, message, atom, 0)) return true;
    if (atom != 0) DropNewestAtom();
    return false;
}

std::uint16_t CustomEventSender::HoldAtom(const std::string& text) {
    if (text.size() > kMaxCustomEventText) return 0;
    if (atoms_.size() >= kMaxHeldAtoms) {
        windows_.DeleteAtom(atoms_.front());
        atoms_.pop_front();
    }
    const std::uint16_t atom = windows_.AddAtom(text);
    if (atom != 0) atoms_.push_back(atom);
    return atom;
}

// Its receiver will never read it.
void CustomEventSender::DropNewestAtom() {
    windows_.DeleteAtom(atoms_.back());
    atoms_.pop_back();
}

}  // namespace vexa::download
