// sfxstub on Windows: the dialog program at the front of every self-extracting cabinet.

#include <windows.h>

#include <cstdint>

#include "platform/win32/win32_files.hpp"
#include "sfxstub/stub_session.hpp"
#include "sfxstub/win32/dialog_stub_ui.hpp"
#include "sfxstub/win32/main_dialog.hpp"

namespace {

// The stub's own size, where its cabinet starts; the build pads the stub to exactly this.
constexpr std::uint64_t kAttachmentOffset = VEXA_SFX_STUB_SIZE;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // Only the file port: the whole platform would weigh down every self-extracting cabinet.
    vexa::Win32Files files;
    vexa::sfx::DialogStubUi ui(instance);
    vexa::sfx::StubSession session(files, ui, vexa::sfx::OwnPathOf(::GetCommandLineA()), kAttachmentOffset);
    if (!session.Start()) return 1;
    vexa::sfx::MainDialog(instance, session, ui).Run();
    return 0;
}
