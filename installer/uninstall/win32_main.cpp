// Uninstall.EXE on Windows: removes the installation whose record is appended to it, with
// the system's message boxes. It takes no arguments.

#include <windows.h>

#include "installer/uninstall/uninstall.hpp"
#include "platform/native.hpp"
#include "platform/win32/dialogs/own_program.hpp"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    vexa::NativePlatform native;
    const auto result = vexa::installer::Uninstall(native.Get(), vexa::dialogs::OwnProgramPath(), true);
    return result.removed && result.atRestart.empty() && result.inPlace.empty() ? 0 : 1;
}
