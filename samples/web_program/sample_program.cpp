// The built-in sample web page program, and the example for authors of what a program
// started by the loader may do. The loader starts it in the product directory, where it
// left the control's window handle ("~OcxHWnd.txt"). The program notes its arguments in
// "visited.txt", then asks the page to go to the address of its first argument by sending
// the control the custom event "GOTO URL" with that address as the event's text.

#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>

#include "platform/native_windows.hpp"

namespace {

constexpr char kEventName[] = "GOTO URL";
constexpr char kAddressWithoutArguments[] = "about:blank";
// The page may be busy; a page that never answers must not hold the program forever.
constexpr std::uint32_t kSendTimeoutMs = 5000;

int Fail(const std::string& why) {
    std::cerr << "vexa_sample_program: " << why << '\n';
    return 1;
}

bool NoteVisit(int argc, char** argv) {
    std::ofstream visit("visited.txt");
    for (int i = 1; i < argc; ++i) visit << argv[i] << '\n';
    return static_cast<bool>(visit.flush());
}

// The control's window, written by the loader in decimal; 0 when there is none.
vexa::WindowHandle ControlWindow() {
    std::ifstream file("~OcxHWnd.txt");
    unsigned long long handle = 0;
    return file >> handle ? static_cast<vexa::WindowHandle>(handle) : 0;
}

// The event's text travels as a global atom, which the control reads while it handles
// the message; once Send returns the atom is no longer needed.
bool SendCustomEvent(vexa::Windows& windows, vexa::WindowHandle control, const std::string& text) {
    std::uint32_t message = windows.RegisterMessage(kEventName);
    std::uint16_t atom = windows.AddAtom(text);
    bool handled = message != 0 && atom != 0 && windows.Send(control, message, atom, 0, kSendTimeoutMs);
    if (atom != 0) windows.DeleteAtom(atom);
    return handled;
}

}  // namespace

int main(int argc, char** argv) {
    if (!NoteVisit(argc, argv)) return Fail("cannot write visited.txt in the working directory");
    vexa::WindowHandle control = ControlWindow();
    if (control == 0) return Fail("no window handle in ~OcxHWnd.txt: not started by the loader?");
    vexa::NativeWindows windows;
    std::string address = argc > 1 ? argv[1] : kAddressWithoutArguments;
    if (!SendCustomEvent(windows.Get(), control, address))
        return Fail(std::string("the page did not take the event \"") + kEventName + "\"");
    return 0;
}
