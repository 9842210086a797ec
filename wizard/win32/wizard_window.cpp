#include "wizard/win32/wizard_window.hpp"

#include <algorithm>
#include <utility>

#include "wizard/help_texts.hpp"
#include "wizard/win32/help_window.hpp"
#include "wizard/win32/logo.hpp"
#include "wizard/win32/success_window.hpp"
#include "wizard/win32/window_look.hpp"
#include "wizard/win32/wizard_resources.hpp"
#include "wizard/wizard_texts.hpp"

namespace vexa::wizard {
namespace {

constexpr int kLogoGap = 20;  // between the logo and a frame beside it, in pixels
constexpr COLORREF kGreyBox = RGB(192, 192, 192);
constexpr COLORREF kGreyText = RGB(128, 128, 128);

using Enabled = VexaWebExpress::Enabled;

// The boxes and labels that show a text of the model; `typed` ones take the user's typing.
struct TextBox {
    int step;
    int id;
    std::string VexaWebExpress::*field;
    const char* name;
    bool typed;
};
constexpr TextBox kTextBoxes[] = {
    {0, IDC_VERSION, &VexaWebExpress::lblVersion, "lblVersion", false},
    {1, IDC_DIRECTORY, &VexaWebExpress::txtDirectoryName, "txtDirectoryName", false},
    {1, IDC_WEB_SITE, &VexaWebExpress::txtWebSiteURL, "txtWebSiteURL", true},
    {2, IDC_SELECTED_ITEM, &VexaWebExpress::txtSelectedItem, "txtSelectedItem", false},
    {3, IDC_EXE_FILENAME, &VexaWebExpress::txtExeFilename, "txtExeFilename", false},
    {3, IDC_EXE_PARAS, &VexaWebExpress::txtExeParas, "txtExeParas", true},
    {4, IDC_PUBLICATION_URL, &VexaWebExpress::txtPublicationURL, "txtPublicationURL", true},
    {4, IDC_ACTIVEX_URL, &VexaWebExpress::txtActiveXUrl, "txtActiveXUrl", true},
    {6, IDC_HTML_FILENAME, &VexaWebExpress::txtHtmlFilenameNoPath, "txtHtmlFilenameNoPath", true},
    {6, IDC_HTML_TITLE, &VexaWebExpress::txtHtmlTitle, "txtHtmlTitle", true},
    {6, IDC_STAND_ALONE_NAME, &VexaWebExpress::txtStandAloneExeFilenameNoPath, "txtStandAloneExeFilenameNoPath",
     true},
    {6, IDC_SIGN_CODE, &VexaWebExpress::txtSignCodeCommands, "txtSignCodeCommands", true},
};

// The controls the model enables and disables.
struct Switch {
    int step;
    int id;
    bool Enabled::*enabled;
    const char* name;
};
constexpr Switch kSwitches[] = {
    {-1, IDC_BACK, &Enabled::cmdBack, "cmdBack"},
    {-1, IDC_NEXT, &Enabled::cmdNext, "cmdNext"},
    {-1, IDC_FINISH, &Enabled::cmdFinish, "cmdFinish"},
    {-1, IDC_EXIT, &Enabled::cmdExit, "cmdExit"},
    {1, IDC_SELECT_DIRECTORY, &Enabled::cmdSelectDirectory, "cmdSelectDirectory"},
    {1, IDC_CANCEL_SELECTION, &Enabled::cmdCancel, "cmdCancel"},
    {1, IDC_WEB_SITE, &Enabled::txtWebSiteURL, "txtWebSiteURL"},
    {1, IDC_HELP_WEB_SITE, &Enabled::txtWebSiteURL, "cmdHelpWebSite"},
    {2, IDC_SHOW_SELECTED_ONLY, &Enabled::chkShowSelectedItemsOnly, "chkShowSelectedItemsOnly"},
    {5, IDC_REMOVE_OCX, &Enabled::cmdRemoveOcx, "cmdRemoveOcx"},
    {5, IDC_REMOVE_DLL, &Enabled::cmdRemoveDll, "cmdRemoveDll"},
};

struct List {
    int step;
    int id;
    ListBox<std::string> VexaWebExpress::*list;
};
constexpr List kLists[] = {
    {2, IDC_LIST2, &VexaWebExpress::List2},
    {3, IDC_LIST3, &VexaWebExpress::List3},
    {5, IDC_OCX_LIST, &VexaWebExpress::lstOCX},
    {5, IDC_DLL_LIST, &VexaWebExpress::lstDLL},
};

struct CheckBox {
    int step;
    int id;
    bool VexaWebExpress::*checked;
};
constexpr CheckBox kCheckBoxes[] = {
    {2, IDC_SHOW_SELECTED_ONLY, &VexaWebExpress::chkShowSelectedItemsOnly},
    {6, IDC_MINIMIZE_DOWNLOAD, &VexaWebExpress::chkCreateMultiProgramCabs},
};

// The help shown as a message titled "Help"; the others have windows of their own.
struct HelpText {
    int id;
    const char* text;
    const help::Window* window;
};
constexpr HelpText kHelp[] = {
    {IDC_HELP_DIRECTORY, help::kProgramDirectory, nullptr},
    {IDC_HELP_WEB_SITE, help::kWebSite, nullptr},
    {IDC_HELP_FILES, help::kProgramFiles, nullptr},
    {IDC_HELP_EXE, help::kProgramToRun, nullptr},
    {IDC_HELP_URLS, help::kPublication, nullptr},
    {IDC_HELP_COMPONENTS, nullptr, &help::kOcxList},
    {IDC_HELP_MINIMIZE, nullptr, &help::kMinimizeDownloadTime},
    {IDC_HELP_SIGN_CODE, nullptr, &help::kSignCode},
};

RECT RectInParent(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int Width(const RECT& rect) { return rect.right - rect.left; }
int Height(const RECT& rect) { return rect.bottom - rect.top; }

void SetShown(HWND window, bool shown) {
    if (static_cast<bool>(::IsWindowVisible(window)) != shown) ::ShowWindow(window, shown ? SW_SHOW : SW_HIDE);
}

// A list box filled anew, wide enough to scroll to its longest entry.
void Fill(HWND list, const std::vector<std::string>& entries) {
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    std::size_t bytes = 0;
    for (const std::string& entry : entries) bytes += entry.size() + 1;
    ::SendMessageA(list, LB_INITSTORAGE, entries.size(), static_cast<LPARAM>(bytes));
    HDC dc = ::GetDC(list);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(list, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    for (const std::string& entry : entries) {
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        SIZE size{};
        ::GetTextExtentPoint32A(dc, entry.c_str(), static_cast<int>(entry.size()), &size);
        widest = std::max(widest, size.cx);
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(list, dc);
    // Room for List1's check boxes too.
    ::SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 32), 0);
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

void Select(HWND list, int selected) {
    if (::SendMessageA(list, LB_GETCURSEL, 0, 0) != selected)
        ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

// Runs `action` with the mouse pointer given, as the window does for its longer list work.
void WithPointer(LPCSTR pointer, const std::function<void()>& action) {
    HCURSOR previous = ::SetCursor(::LoadCursorA(nullptr, pointer));
    action();
    ::SetCursor(previous);
}

}  // namespace

// One step's frame: a child dialog whose controls report to the wizard's window.
class WizardWindow::Frame final : public dialogs::DialogWindow {
public:
    Frame(WizardWindow& owner, int step) : owner_(owner), step_(step) {}
    void Open(HINSTANCE instance) {
        if (Create(instance, IDD_FRAME0 + step_, owner_.Window()))
            ::SetWindowLongPtrA(Window(), GWLP_ID, IDD_FRAME0 + step_);
    }

private:
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_INITDIALOG) return FALSE;  // the focus stays where it is
        return owner_.FrameMessage(step_, message, wParam, lParam);
    }

    WizardWindow& owner_;
    const int step_;
};

WizardWindow::WizardWindow(HINSTANCE instance, VexaWebExpress& wizard, Win32Ui& ui)
    : instance_(instance), wizard_(wizard), ui_(ui), greyBox_(::CreateSolidBrush(kGreyBox)) {}

WizardWindow::~WizardWindow() {
    wizard_.onIdle = nullptr;
    ui_.SetOwner(0);
    if (heading_) ::DeleteObject(heading_);
    ::DeleteObject(greyBox_);
}

void WizardWindow::Run() { RunModal(instance_, IDD_WIZARD, nullptr); }

INT_PTR WizardWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            Open();
            return FALSE;  // Open gave the focus
        case WM_COMMAND:
            Command(kBelowFrames, LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_DRAWITEM: {
            if (wParam != IDC_LOGO) return FALSE;
            const auto& item = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            DrawLogo(item.hDC, item.rcItem);
            return TRUE;
        }
        case WM_CLOSE:  // the close box ends the program as Exit does, and not while Exit is disabled
            if (wizard_.enabled.cmdExit) Exit();
            return TRUE;
        default:
            return FALSE;
    }
}

INT_PTR WizardWindow::FrameMessage(int step, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            Command(step, LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_DRAWITEM: {
            if (wParam != IDC_LIST1) return FALSE;
            const auto& item = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            const int index = static_cast<int>(item.itemID);
            if (index >= 0 && index < wizard_.List1.size())
                CheckedList::Draw(item, wizard_.List1.entries[index].text, wizard_.List1.entries[index].checked);
            return TRUE;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            return step == 1 ? WebSiteColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)) : FALSE;
        default:
            return FALSE;
    }
}

// Start-up's layout: every frame hidden at the top, as high as the window above the status
// strip; the "FULL" frames keep their designed left and width, the others stand right of
// the logo. List2 lies over List1.
void WizardWindow::Open() {
    ui_.SetOwner(reinterpret_cast<std::intptr_t>(Window()));
    heading_ = MakeHeadingFont(Window());
    for (int step = 0; step < kSteps; ++step) {
        frames_[step] = std::make_unique<Frame>(*this, step);
        frames_[step]->Open(instance_);
        if (HWND heading = frames_[step]->Item(IDC_HEADING))
            ::SendMessageA(heading, WM_SETFONT, reinterpret_cast<WPARAM>(heading_), FALSE);
    }
    list1_ = std::make_unique<CheckedList>(
        Control(2, IDC_LIST1), [this](int index) { ToggleList1(index); }, [this](POINT at) { ShowList1Menu(at); });
    ::SendMessageA(Control(7, IDC_WORK_PROGRESS), EM_SETLIMITTEXT, 0, 0);
    ::SendMessageA(Control(6, IDC_SIGN_CODE), EM_SETLIMITTEXT, 0, 0);
    AddToolTip(frames_[1]->Window(), Control(1, IDC_CANCEL_SELECTION), "Cancel files selection");
    AddToolTip(Window(), Item(IDC_EXIT), "Terminate this program");
    LayOut();
    wizard_.onIdle = [this] { Show(); };
    Show();
    ::SetFocus(Item(IDC_NEXT));
}

void WizardWindow::LayOut() {
    RECT client{};
    ::GetClientRect(Window(), &client);
    const RECT logo = RectInParent(Item(IDC_LOGO));
    const int height = Height(client) - Height(RectInParent(Item(IDC_STATUSBAR)));
    for (int step = 0; step < kSteps; ++step) {
        HWND frame = frames_[step]->Window();
        RECT place = RectInParent(frame);
        int left = place.left;
        int width = Width(place);
        if (!VexaWebExpress::FrameIsFull(step)) {
            left = logo.left + Width(logo) + kLogoGap;
            width = Width(client) - Width(logo) - logo.left - kLogoGap;
        }
        ::SetWindowPos(frame, nullptr, left, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    }
    const RECT list1 = RectInParent(Control(2, IDC_LIST1));
    ::SetWindowPos(Control(2, IDC_LIST2), nullptr, list1.left, list1.top, Width(list1), Height(list1),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND WizardWindow::Control(int step, int id) const {
    return step == kBelowFrames ? Item(id) : frames_[step]->Item(id);
}

// A control counts only while the model shows its frame and has it enabled.
bool WizardWindow::Heeded(int step, int id) const {
    if (showing_ || (step != kBelowFrames && step != wizard_.CurrentStep)) return false;
    for (const Switch& control : kSwitches)
        if (control.step == step && control.id == id) return wizard_.enabled.*control.enabled;
    return true;
}

// What the user did to a box, a list or a button; their other notices change nothing.
void WizardWindow::Command(int step, int id, int notice) {
    if (!Heeded(step, id)) return;
    char kind[16] = {};
    ::GetClassNameA(Control(step, id), kind, sizeof kind);
    if (::lstrcmpiA(kind, "Edit") == 0) {
        if (notice == EN_CHANGE) Typed(id);
    } else if (::lstrcmpiA(kind, "ListBox") == 0) {
        if (notice == LBN_SELCHANGE) Selected(step, id);
    } else if (notice == BN_CLICKED) {
        Clicked(step, id);
    }
}

void WizardWindow::Clicked(int step, int id) {
    const bool checked = ::SendMessageA(Control(step, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    switch (id) {
        case IDC_BACK: return Act([this] { wizard_.cmdBack_Click(); });
        case IDC_NEXT: return Act([this] { wizard_.cmdNext_Click(); });
        case IDC_FINISH: return Finish();
        case IDC_EXIT: return Exit();
        case IDC_SELECT_DIRECTORY: return Act([this] { wizard_.cmdSelectDirectory_Click(); });
        case IDC_CANCEL_SELECTION: return Act([this] { wizard_.cmdCancel_Click(); });
        case IDC_CANCEL_WORK: return Act([this] { wizard_.cmdCancelWork_Click(); });
        case IDC_ADD_OCX: return Act([this] { wizard_.cmdAddOcx_Click(); });
        case IDC_REMOVE_OCX: return Act([this] { wizard_.cmdRemoveOcx_Click(); });
        case IDC_ADD_DLL: return Act([this] { wizard_.cmdAddDll_Click(); });
        case IDC_REMOVE_DLL: return Act([this] { wizard_.cmdRemoveDll_Click(); });
        case IDC_SHOW_SELECTED_ONLY:
            return WithPointer(IDC_APPSTARTING, [&] { Act([&] { wizard_.chkShowSelectedItemsOnly_Click(checked); }); });
        case IDC_MINIMIZE_DOWNLOAD: return Act([&] { wizard_.chkCreateMultiProgramCabs = checked; });
        default: return ShowHelp(id);
    }
}

void WizardWindow::Typed(int id) {
    for (const TextBox& box : kTextBoxes) {
        if (box.id != id || !box.typed) continue;
        wizard_.*box.field = frames_[box.step]->ItemText(id);
        Act([&] {
            if (id == IDC_PUBLICATION_URL || id == IDC_ACTIVEX_URL) wizard_.UrlBoxes_Change();
            if (id == IDC_HTML_FILENAME) wizard_.txtHtmlFilename_Change();
        });
    }
}

void WizardWindow::Selected(int step, int id) {
    const int index = static_cast<int>(::SendMessageA(Control(step, id), LB_GETCURSEL, 0, 0));
    switch (id) {
        case IDC_LIST1: return Act([&] { wizard_.List1_Click(index); });
        case IDC_LIST2: return Act([&] { wizard_.List2_Click(index); });
        case IDC_LIST3: return Act([&] { wizard_.List3_Click(index); });
        case IDC_OCX_LIST: return Act([&] { wizard_.lstOCX_Click(index); });
        case IDC_DLL_LIST: return Act([&] { wizard_.lstDLL.selected = index; });
        default: return;
    }
}

void WizardWindow::Act(const std::function<void()>& action) {
    ++depth_;
    action();
    --depth_;
    Show();
}

void WizardWindow::Finish() {
    bool made = false;
    Act([&] { made = wizard_.cmdFinish_Click(); });
    if (!made) return;
    SuccessWindow(instance_, wizard_.txtFinalMessage).Run(Window());
    ::EndDialog(Window(), 0);
}

// At once: a listing that Exit interrupts leaves nothing to finish, and Exit is disabled
// while a release is being made.
void WizardWindow::Exit() {
    if (depth_ > 0) ::ExitProcess(0);
    ::EndDialog(Window(), 0);
}

void WizardWindow::ShowHelp(int id) {
    for (const HelpText& help : kHelp) {
        if (help.id != id) continue;
        if (help.window) return HelpWindow(instance_, *help.window).Run(Window());
        return ui_.ShowMessage(help.text, help::kCaption, MessageIcon::Information);
    }
}

void WizardWindow::ToggleList1(int index) {
    if (!Heeded(2, IDC_LIST1) || index < 0 || index >= wizard_.List1.size()) return;
    Act([&] { wizard_.List1_ItemCheck(index, !wizard_.List1.entries[index].checked); });
}

void WizardWindow::ShowList1Menu(POINT at) {
    if (!Heeded(2, IDC_LIST1)) return;
    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuA(menu, MF_STRING, IDM_SELECT_ALL, "Select All Files");
    ::AppendMenuA(menu, MF_STRING, IDM_CLEAR_ALL, "Clear All Files");
    const int chosen = static_cast<int>(
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, Window(), nullptr));
    ::DestroyMenu(menu);
    if (chosen != IDM_SELECT_ALL && chosen != IDM_CLEAR_ALL) return;
    WithPointer(IDC_WAIT, [&] { Act([&] { wizard_.SelectAllFiles(chosen == IDM_SELECT_ALL); }); });
}

void WizardWindow::Show() {
    showing_ = true;
    char caption[256] = {};
    ::GetWindowTextA(Window(), caption, sizeof caption);
    if (wizard_.Caption != caption) ::SetWindowTextA(Window(), wizard_.Caption.c_str());
    ShowFrame();
    ShowStates();  // before the texts: a box that takes the focus from a button shows selected
    ShowTexts();
    ShowLists();
    const std::string prefix = std::string(texts::kTitle) + " - ";
    SetItemText(IDC_STATUSBAR, " " + (wizard_.Caption.starts_with(prefix) ? wizard_.Caption.substr(prefix.size())
                                                                          : wizard_.Caption));
    showing_ = false;
    ShowFocus();
}

void WizardWindow::ShowFrame() {
    if (shownStep_ != wizard_.CurrentStep) {
        if (shownStep_ >= 0 && shownStep_ < kSteps) SetShown(frames_[shownStep_]->Window(), false);
        shownStep_ = wizard_.CurrentStep;
        if (shownStep_ >= 0 && shownStep_ < kSteps) SetShown(frames_[shownStep_]->Window(), true);
    }
    SetShown(Item(IDC_LOGO), wizard_.LogoShown());
}

void WizardWindow::ShowTexts() {
    for (const TextBox& box : kTextBoxes) frames_[box.step]->SetItemText(box.id, wizard_.*box.field);
    ShowProgress();
}

// Lines are only ever added while a release is made, so they are appended; the caret goes
// to the end, where the newest line is.
void WizardWindow::ShowProgress() {
    const std::string& progress = wizard_.txtWorkProgress;
    if (progress == shownProgress_) return;
    HWND box = Control(7, IDC_WORK_PROGRESS);
    if (progress.starts_with(shownProgress_)) {
        const auto end = static_cast<WPARAM>(::GetWindowTextLengthA(box));
        ::SendMessageA(box, EM_SETSEL, end, static_cast<LPARAM>(end));
        ::SendMessageA(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(progress.c_str() + shownProgress_.size()));
    } else {
        ::SetWindowTextA(box, progress.c_str());
    }
    const auto end = static_cast<WPARAM>(::GetWindowTextLengthA(box));
    ::SendMessageA(box, EM_SETSEL, end, static_cast<LPARAM>(end));
    ::SendMessageA(box, EM_SCROLLCARET, 0, 0);
    shownProgress_ = progress;
}

void WizardWindow::ShowLists() {
    ShowList1();
    for (std::size_t i = 0; i < std::size(kLists); ++i) {
        const List& list = kLists[i];
        const ListBox<std::string>& shown = wizard_.*list.list;
        HWND window = Control(list.step, list.id);
        if (shown.entries != shownLists_[i]) {
            Fill(window, shown.entries);
            shownLists_[i] = shown.entries;
        }
        Select(window, shown.selected);
    }
    SetShown(Control(2, IDC_LIST1), !wizard_.List2Visible);
    SetShown(Control(2, IDC_LIST2), wizard_.List2Visible);
}

void WizardWindow::ShowList1() {
    const auto& entries = wizard_.List1.entries;
    HWND list = Control(2, IDC_LIST1);
    const bool sameTexts = entries.size() == shownList1_.size() &&
                           std::equal(entries.begin(), entries.end(), shownList1_.begin(),
                                      [](const CheckedEntry& entry, const std::string& text) { return entry.text == text; });
    if (!sameTexts) {
        shownList1_.clear();
        for (const CheckedEntry& entry : entries) shownList1_.push_back(entry.text);
        Fill(list, shownList1_);
    }
    std::vector<bool> checks;
    for (const CheckedEntry& entry : entries) checks.push_back(entry.checked);
    if (checks != shownChecks_) {
        shownChecks_ = std::move(checks);
        ::InvalidateRect(list, nullptr, FALSE);
    }
    Select(list, wizard_.List1.selected);
}

void WizardWindow::ShowStates() {
    for (const Switch& control : kSwitches) {
        HWND window = Control(control.step, control.id);
        const bool enabled = wizard_.enabled.*control.enabled;
        if (static_cast<bool>(::IsWindowEnabled(window)) == enabled) continue;
        // A control that loses the focus with its use hands it on, so the keyboard goes on.
        const bool focused = ::GetFocus() == window;
        ::EnableWindow(window, enabled);
        if (focused && !enabled) ::SendMessageA(Window(), WM_NEXTDLGCTL, 0, FALSE);
        if (control.id == IDC_WEB_SITE) ::InvalidateRect(Control(1, IDC_WEB_SITE_LABEL), nullptr, TRUE);
    }
    for (const CheckBox& box : kCheckBoxes) {
        const UINT state = wizard_.*box.checked ? BST_CHECKED : BST_UNCHECKED;
        HWND frame = frames_[box.step]->Window();
        if (::IsDlgButtonChecked(frame, box.id) != state) ::CheckDlgButton(frame, box.id, state);
    }
    SetShown(Control(2, IDC_STEP2_NOTE), wizard_.lblStep2NoteVisible);
}

// The box a check sent the user to gets the focus, once.
void WizardWindow::ShowFocus() {
    if (wizard_.Focus.empty()) return;
    const std::string focus = std::exchange(wizard_.Focus, {});
    HWND target = nullptr;
    for (const TextBox& box : kTextBoxes)
        if (focus == box.name) target = Control(box.step, box.id);
    for (const Switch& control : kSwitches)
        if (focus == control.name) target = Control(control.step, control.id);
    if (!target) return;
    ::SetFocus(target);
    ::SendMessageA(target, EM_SETSEL, 0, -1);
}

// The web site box is grey while no program directory is chosen, its label's text too.
INT_PTR WizardWindow::WebSiteColours(HDC dc, HWND control) {
    const bool enabled = wizard_.enabled.txtWebSiteURL;
    if (control == Control(1, IDC_WEB_SITE) && !enabled) {
        ::SetBkColor(dc, kGreyBox);
        return reinterpret_cast<INT_PTR>(greyBox_);
    }
    if (control != Control(1, IDC_WEB_SITE_LABEL)) return FALSE;
    ::SetTextColor(dc, enabled ? RGB(0, 0, 0) : kGreyText);
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace vexa::wizard
