#pragma once
// The stub's window: the cabinet's files, expansions on a thread of their own into the
// folders the user picks, and the end of the program.

#include <windows.h>

#include <string>

#include "platform/win32/dialogs/dialog_window.hpp"
#include "platform/win32/dialogs/posting_worker.hpp"
#include "sfxstub/stub_session.hpp"
#include "sfxstub/win32/dialog_stub_ui.hpp"

namespace vexa::sfx {

class MainDialog final : private dialogs::DialogWindow {
public:
    // `session` has started; `ui` is the one it shows through.
    MainDialog(HINSTANCE instance, StubSession& session, DialogStubUi& ui)
        : instance_(instance), session_(session), ui_(ui) {}

    // Shows the dialog until the user closes it.
    void Run();

private:
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Open();
    bool Command(int id);
    void StartExpansion();
    void EndExpansion();
    void Close();
    void ShowIdle(bool idle);

    HINSTANCE instance_;
    StubSession& session_;
    DialogStubUi& ui_;
    dialogs::PostingWorker worker_;
    std::string folder_;       // set before the worker starts
    ExpansionResult result_;   // read after the worker has ended
};

}  // namespace vexa::sfx
