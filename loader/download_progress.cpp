#include "loader/download_progress.hpp"

#include <algorithm>

namespace vexa::loader {
namespace {

constexpr std::int64_t kRateWindowMs = 10'000;

// "1 second " keeps its blank and "2 seconds" has none: the texts are the product's own.
std::string Part(std::int64_t count, const char* one, const char* many) {
    if (count == 0) return {};
    return count == 1 ? one : std::to_string(count) + many;
}

int Percent(std::int64_t done, std::int64_t total) {
    if (done <= 0) return 0;
    if (done >= total) return 100;
    return static_cast<int>(done * 100 / total);
}

std::string ProgressLine(std::int64_t done, std::int64_t total, int percent) {
    return WithThousands(done) + " bytes of " + WithThousands(total) + " bytes downloaded. (" +
           std::to_string(percent) + "%)";
}

// The text after the last "/" or "\".
std::string FileNamePart(const std::string& url) { return url.substr(url.find_last_of("/\\") + 1); }

}  // namespace

std::string WithThousands(std::int64_t number) {
    std::string digits = std::to_string(number < 0 ? -number : number);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return number < 0 ? "-" + digits : digits;
}

std::string TimeLeftText(std::int64_t seconds) {
    std::int64_t hours = seconds / 3600;
    return Part(hours, "1 hour ", " hours ") + Part(seconds / 60 - hours * 60, "1 minute ", " minutes ") +
           Part(seconds % 60, "1 second ", " seconds");
}

void UpdateRate(ProgressFigures& f, std::uint32_t now) {
    if (!f.windowStartTick) {
        f.windowStartTick = now;
        f.windowStartAmount = f.bytesDone;
    }
    // Signed, as the tick count wraps: a wrapped counter reads as time running backwards.
    std::int64_t elapsed = static_cast<std::int64_t>(now) - static_cast<std::int64_t>(*f.windowStartTick);
    if (elapsed == 0) return;
    if (elapsed < 0) {
        f.windowStartTick = now;
        f.windowStartAmount = f.bytesDone;
        f.rateText = f.timeLeftText = kCalculating;
        return;
    }
    if (elapsed < kRateWindowMs) return;
    std::int64_t rate = (f.bytesDone - f.windowStartAmount) * 8000 / elapsed;
    f.rateText = std::to_string(rate) + " bps";
    f.windowStartTick = now;
    f.windowStartAmount = f.bytesDone;
    f.timeLeftText = rate >= 1000 ? TimeLeftText(std::max<std::int64_t>(0, f.totalBytes - f.bytesDone) * 8 / rate) : "";
}

void ProgressWindow::Update(const ProgressFigures& f, const std::string& url) {
    model_.status = "Downloading file: " + FileNamePart(url);
    model_.overallPercent = Percent(f.bytesDone, f.totalBytes);
    model_.overallText = ProgressLine(f.bytesDone, f.totalBytes, model_.overallPercent);
    model_.filePercent = Percent(f.fileBytes, f.fileSize);
    model_.fileText = ProgressLine(f.fileBytes, f.fileSize, model_.filePercent);
    model_.rateText = f.rateText;
    model_.timeLeftText = f.timeLeftText;
    model_.caption = title_;
    model_.minimisedCaption = "(" + std::to_string(model_.overallPercent) + "%) " + title_;
}

void ProgressWindow::ShowReconnecting(int countdown) {
    model_.overallText = "Lost connection to server. Now trying to reconnect (" + std::to_string(countdown) + ")";
    model_.rateText.clear();
    model_.timeLeftText.clear();
}

void ProgressWindow::SetRunFlags(bool askBeforeClosing, bool notifyControl) {
    askBeforeClosing_ = askBeforeClosing;
    notifyControl_ = notifyControl;
}

bool ProgressWindow::RequestClose(const std::function<bool(const std::string&)>& askYesNo,
                                  const std::function<void()>& cancelRun) {
    bool yes = !askBeforeClosing_ || askYesNo(kCancelQuestion);
    askBeforeClosing_ = true;
    if (!yes) return false;
    if (notifyControl_) cancelRun();
    notifyControl_ = true;
    return true;
}

}  // namespace vexa::loader
