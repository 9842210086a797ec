// VexaStandAloneWebProg.exe: the web page program for a browser without ActiveX. The
// attachment at the end of this program's own file names the program's publication;
// the loader control, linked in, plays its script in a window of this program.

#include <windows.h>

#include <string>

#include "loader/stand_alone.hpp"
#include "loader/win32/stand_alone_window.hpp"
#include "platform/native.hpp"
#include "platform/win32/dialogs/own_program.hpp"

namespace {

constexpr const char* kCaption = "VexaWeb";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const std::string own = vexa::dialogs::OwnProgramPath();
    vexa::loader::AttachmentReading reading = vexa::loader::ReadStandAloneAttachment(*vexa::NativeFiles(), own);
    if (!reading.attachment) {
        const std::string text =
            "Error. This stand-alone web program cannot find its web page program: " + reading.refusal + ".";
        ::MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
        return 1;
    }
    vexa::NativePlatform platform;
    return vexa::loader::StandAloneWindow(instance, platform.Get(), *reading.attachment).Run();
}
