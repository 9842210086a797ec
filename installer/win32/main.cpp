// VexaInstall.exe: the installer as a Windows dialog program. A product's setup program is
// a copy of it with a cabinet appended; it takes no arguments.

#include <windows.h>
#include <objbase.h>

#include <cstdint>
#include <string>

#include "installer/win32/install_dialog.hpp"
#include "platform/native.hpp"
#include "platform/win32/dialogs/own_program.hpp"

namespace {

// The program's size as built, where its attachment starts; the build pads it to this.
constexpr std::uint64_t kAttachmentOffset = VEXA_INSTALL_SIZE;

// The module's file name with "EXE" after its last dot, as the installer has always named
// its own file.
std::string OwnPath() {
    std::string path = vexa::dialogs::OwnProgramPath();
    const auto dot = path.rfind('.');
    return dot == std::string::npos ? path : path.substr(0, dot + 1) + "EXE";
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // The shell's folder browser expects COM on the window's thread.
    const bool com = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    {
        vexa::NativePlatform native;
        vexa::installer::InstallDialog(instance, native.Get(), OwnPath(), kAttachmentOffset).Run();
    }
    if (com) ::CoUninitialize();
    return 0;
}
