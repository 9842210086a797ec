#include "wizard/win32/print_page.hpp"

#include <commdlg.h>

#include <vector>

namespace vexa::wizard {
namespace {

constexpr int kPoints = 8;  // the font's size

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    return lines;
}

// The default printer's device context, or null when there is none.
HDC DefaultPrinter(HWND owner) {
    PRINTDLGA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    const bool found = ::PrintDlgA(&request);
    if (request.hDevMode) ::GlobalFree(request.hDevMode);
    if (request.hDevNames) ::GlobalFree(request.hDevNames);
    return found ? request.hDC : nullptr;
}

bool PrintLines(HDC printer, const std::string& document, const std::vector<std::string>& lines) {
    DOCINFOA job{};
    job.cbSize = sizeof job;
    job.lpszDocName = document.c_str();
    if (::StartDocA(printer, &job) <= 0) return false;
    const int margin = ::GetDeviceCaps(printer, LOGPIXELSY);  // an inch
    const int pageHeight = ::GetDeviceCaps(printer, VERTRES);
    HFONT font = ::CreateFontA(-::MulDiv(kPoints, ::GetDeviceCaps(printer, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                               FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Small Fonts");
    bool printed = true;
    int y = pageHeight;  // as at the end of a page: the first line starts one
    for (const std::string& line : lines) {
        TEXTMETRICA metrics{};
        if (y >= pageHeight - margin) {
            if (y != pageHeight) printed = printed && ::EndPage(printer) > 0;
            printed = printed && ::StartPage(printer) > 0;
            ::SelectObject(printer, font);  // a new page starts with the device's defaults
            y = margin;
        }
        ::GetTextMetricsA(printer, &metrics);
        ::TextOutA(printer, margin, y, line.c_str(), static_cast<int>(line.size()));
        y += metrics.tmHeight + metrics.tmExternalLeading;
    }
    printed = printed && ::EndPage(printer) > 0;
    if (printed) {
        printed = ::EndDoc(printer) > 0;
    } else {
        ::AbortDoc(printer);
    }
    ::DeleteObject(font);
    return printed;
}

}  // namespace

PrintOutcome PrintOnDefaultPrinter(HWND owner, const std::string& document, const std::string& text) {
    HDC printer = DefaultPrinter(owner);
    if (!printer) return PrintOutcome::NoPrinter;
    const bool printed = PrintLines(printer, document, LinesOf(text));
    ::DeleteDC(printer);
    return printed ? PrintOutcome::Printed : PrintOutcome::Failed;
}

}  // namespace vexa::wizard
