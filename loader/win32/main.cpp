// VexaStandAloneWebProg.exe: the web page program for a browser without ActiveX. The
// attachment at the end of this program's own file names the program's publication;
// the loader control, linked in, plays its script in a window of this program.

#include <windows.h>

#include <string>

#include "loader/stand_alone.hpp"
#include "loader/win32/stand_alone_window.hpp"
#include "platform/native.hpp"

namespace {

constexpr const char* kCaption = "VexaWeb";

// The full path of this program, however long.
std::string OwnPath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const std::string own = OwnPath();
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
