#include "loader/win32/stand_alone_window.hpp"

#include <string>
#include <vector>

#include "loader/loader_dispatch.hpp"

namespace vexa::loader {
namespace {

constexpr const char* kClassName = "VexaStandAloneWebProg";
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 250;
constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kMargin = 16;

WindowHandle HandleOf(HWND window) { return reinterpret_cast<WindowHandle>(window); }

// The progress window's model as lines of text; a plain wait before the first transfer.
std::vector<std::string> ProgressLines(ProgressWindow* progress) {
    if (!progress) return {"Please wait..."};
    const ProgressWindowModel& model = progress->Model();
    std::vector<std::string> lines{model.caption, model.status, model.overallText, model.fileText};
    if (!model.rateText.empty()) lines.push_back("Transfer rate: " + model.rateText);
    if (!model.timeLeftText.empty()) lines.push_back("Time left: " + model.timeLeftText);
    return lines;
}

}  // namespace

StandAloneWindow::StandAloneWindow(HINSTANCE instance, Platform& platform, const StandAloneAttachment& attachment)
    : platform_(platform), attachment_(attachment) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &StandAloneWindow::Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassExA(&windowClass);
    // The embedded program is a child: painting must leave it alone.
    window_ = ::CreateWindowExA(0, kClassName, attachment.publicationUrl.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                CW_USEDEFAULT, CW_USEDEFAULT, kWidth, kHeight, nullptr, nullptr, instance, this);
    if (window_)
        control_ = std::make_unique<VexaLoader>(platform, static_cast<ControlSite&>(*this),
                                                static_cast<EventSink&>(*this));
}

// The program goes before the window it is embedded in.
StandAloneWindow::~StandAloneWindow() {
    control_.reset();
    if (::IsWindow(window_)) ::DestroyWindow(window_);
}

int StandAloneWindow::Run() {
    if (!control_) return 1;
    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::SetTimer(window_, kTickTimer, kTickMs, nullptr);
    if (!CallAsAStandAloneProgram(*control_, attachment_)) return 1;
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return done_ ? 0 : 1;
}

WindowHandle StandAloneWindow::EmbeddingParent() { return HandleOf(window_); }

// The whole client area: the program takes the place of the page.
Rect StandAloneWindow::ControlRect() {
    RECT area{};
    ::GetClientRect(window_, &area);
    return {area.left, area.top, area.right, area.bottom};
}

WindowHandle StandAloneWindow::BrowserWindow() { return HandleOf(window_); }

void StandAloneWindow::Repaint() { ::InvalidateRect(window_, nullptr, TRUE); }

void StandAloneWindow::Raise(const EventEntry& event, const std::vector<Value>& arguments) {
    if (event.id == kScriptDone) {
        done_ = true;
        Repaint();
    }
    if (event.id != kCustomEvent || arguments.empty()) return;
    const auto* name = std::get_if<std::string>(&arguments.front());
    if (name)
        FollowCustomEvent(platform_.shell, *name, control_->GetCustomEventPara(),
                          [this] { ::PostMessageA(window_, WM_CLOSE, 0, 0); });
}

LRESULT CALLBACK StandAloneWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<StandAloneWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self || !self->control_) return ::DefWindowProcA(window, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT StandAloneWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: Paint(); return 0;
        case WM_TIMER: OnTick(); return 0;
        case WM_CLOSE: OnClose(); return 0;
        case WM_DESTROY: ::PostQuitMessage(0); return 0;
        default: return ::DefWindowProcA(window_, message, wParam, lParam);
    }
}

// Until the program covers it, the client area shows how the run goes.
void StandAloneWindow::Paint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window_, &paint);
    if (!done_) {
        ::SetBkMode(dc, TRANSPARENT);
        int y = kMargin;
        for (const std::string& line : ProgressLines(control_->Driver().Progress())) {
            ::TextOutA(dc, kMargin, y, line.c_str(), static_cast<int>(line.size()));
            y += 2 * kMargin;
        }
    }
    ::EndPaint(window_, &paint);
}

// A run that ended without starting its script (it failed, or waits for a restart) leaves
// nothing to show: the error window has said why.
void StandAloneWindow::OnTick() {
    if (!control_->IsScriptRunning()) return OnClose();
    if (!done_) Repaint();
}

// While files come, closing asks first, as the progress window's Cancel does.
void StandAloneWindow::OnClose() {
    if (ProgressWindow* progress = control_->Driver().Progress();
        progress && !progress->RequestClose([&](const std::string& question) {
            return platform_.ui.AskYesNo(question, attachment_.publicationUrl);
        }, [] {}))
        return;
    ::KillTimer(window_, kTickTimer);
    control_->CloseScript();
    ::DestroyWindow(window_);
}

}  // namespace vexa::loader
