// VexaWebExpress.exe: the page wizard as a Windows dialog program. Its directory is the
// wizard's own, where the loader's files, the page template and the global defaults are.
// The cabinet and download controls it hosts are the core's objects in this process, as
// the console host has them, not the libraries through COM.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <filesystem>

#include "platform/native.hpp"
#include "platform/win32/dialogs/own_program.hpp"
#include "platform/win32/win32_ui.hpp"
#include "wizard/vexa_web_express.hpp"
#include "wizard/win32/wizard_window.hpp"

namespace {

vexa::wizard::WizardVersion OwnVersion() {
    const auto version = vexa::dialogs::OwnFileVersion().value_or(vexa::dialogs::FileVersionNumbers{});
    return {version.major, version.minor, version.revision};
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    // The shell's folder browser and the file dialogs expect COM on the window's thread.
    const bool com = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    int status = 1;
    {
        vexa::NativePlatform native;
        vexa::Win32Ui ui;
        vexa::Platform platform = vexa::WithUi(native.Get(), ui);
        const std::string appDir = std::filesystem::path(vexa::dialogs::OwnProgramPath()).parent_path().string();
        vexa::wizard::VexaWebExpress wizard(platform, appDir, OwnVersion());
        if (wizard.Start()) {
            vexa::wizard::WizardWindow(instance, wizard, ui).Run();
            status = 0;
        }
    }
    if (com) ::CoUninitialize();
    return status;
}
