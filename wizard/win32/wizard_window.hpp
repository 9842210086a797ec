#pragma once
// The wizard's window, VexaWebExpress.exe's main dialog: a frame per step (each a child
// dialog laid over the main one), the buttons below them, the logo and the status strip.
// It shows the model's fields and hands the user's actions to the model's methods; the
// rules are all the model's. Long work lets the window's messages run, so the window is
// worked during it too: what it shows is brought up to date whenever the model lets
// messages run, and a control is heeded only while the model shows its frame and has it
// enabled, whatever the screen showed a moment before.

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/dialogs/dialog_window.hpp"
#include "platform/win32/win32_ui.hpp"
#include "wizard/vexa_web_express.hpp"
#include "wizard/win32/checked_list.hpp"

namespace vexa::wizard {

class WizardWindow final : private dialogs::DialogWindow {
public:
    // `ui` is the one `wizard` shows its dialogs through: the window becomes their owner.
    WizardWindow(HINSTANCE instance, VexaWebExpress& wizard, Win32Ui& ui);
    ~WizardWindow() override;

    // Shows the window until the program ends: by Exit, by the close box, or once the
    // release is made and the success window closed.
    void Run();

private:
    class Frame;
    static constexpr int kSteps = kWorkingStep + 1;
    static constexpr int kBelowFrames = -1;  // the step of the controls that are not on a frame

    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR FrameMessage(int step, UINT message, WPARAM wParam, LPARAM lParam);
    void Open();
    void LayOut();
    HWND Control(int step, int id) const;

    // The user's actions.
    void Command(int step, int id, int notice);
    bool Heeded(int step, int id) const;
    void Clicked(int step, int id);
    void Typed(int id);
    void Selected(int step, int id);
    void Act(const std::function<void()>& action);
    void Finish();
    void Exit();
    void ShowHelp(int id);
    void ToggleList1(int index);
    void ShowList1Menu(POINT at);

    // The model's fields on the screen.
    void Show();
    void ShowFrame();
    void ShowTexts();
    void ShowProgress();
    void ShowLists();
    void ShowList1();
    void ShowStates();
    void ShowFocus();
    INT_PTR WebSiteColours(HDC dc, HWND control);

    HINSTANCE instance_;
    VexaWebExpress& wizard_;
    Win32Ui& ui_;
    std::array<std::unique_ptr<Frame>, kSteps> frames_;
    std::unique_ptr<CheckedList> list1_;
    HFONT heading_ = nullptr;
    HBRUSH greyBox_ = nullptr;
    int depth_ = 0;         // model actions running, one inside another while messages run
    bool showing_ = false;  // what Show changes is not the user's doing
    int shownStep_ = -1;
    // What the lists show, so that they are filled again only when the model's change.
    std::vector<std::string> shownList1_;
    std::vector<bool> shownChecks_;
    std::array<std::vector<std::string>, 4> shownLists_;
    std::string shownProgress_;
};

}  // namespace vexa::wizard
