#pragma once
// The figures of a run's downloads and the progress window they fill: overall and
// current-file progress, the transfer rate over windows of at least ten seconds, the time
// left, and the window's captions. Hosts render the model; the logic lives here so every
// host shows the same texts.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vexa::loader {

inline constexpr const char* kCalculating = "Calculating...";

struct ProgressFigures {
    std::int64_t totalBytes = 0;
    std::int64_t bytesDone = 0;
    std::int64_t fileBytes = 0;
    std::int64_t fileSize = 0;
    // The rate's measuring window: where it started and how many bytes were done then.
    std::optional<std::uint32_t> windowStartTick;
    std::int64_t windowStartAmount = 0;
    std::string rateText = kCalculating;
    std::string timeLeftText = kCalculating;
};

// Recomputes rate and time left once the window has lasted 10 seconds, then starts a new one.
void UpdateRate(ProgressFigures& figures, std::uint32_t now);

// "1,200,000": groups of three digits from the right.
std::string WithThousands(std::int64_t number);
// "1 hour 1 minute 1 second ", "2 hours 5 seconds"; parts that are zero are left out.
std::string TimeLeftText(std::int64_t seconds);

struct ProgressWindowModel {
    std::string status = "Connecting to server...";
    int overallPercent = 0;
    std::string overallText;
    int filePercent = 0;
    std::string fileText;
    std::string rateText = kCalculating;
    std::string timeLeftText = kCalculating;
    std::string caption;
    std::string minimisedCaption;  // shown while the window is minimised
};

// The progress window of one run: its model, and the two flags that decide what closing
// it does.
class ProgressWindow {
public:
    // `title` is the script's dialog title.
    explicit ProgressWindow(std::string title) : title_(std::move(title)) {}

    const ProgressWindowModel& Model() const { return model_; }
    // Fills the model from the figures; `url` is the file being fetched.
    void Update(const ProgressFigures& figures, const std::string& url);
    // The watchdog's line while a stalled transfer waits to be restarted.
    void ShowReconnecting(int countdown);

    // While a run goes, closing asks first and tells the control; the driver clears both
    // before it closes the window itself.
    void SetRunFlags(bool askBeforeClosing, bool notifyControl);
    // The user closes the window (Cancel or the close box). `askYesNo` puts the question
    // and answers true for Yes; `cancelRun` tells the control. True when the window closes.
    bool RequestClose(const std::function<bool(const std::string& question)>& askYesNo,
                      const std::function<void()>& cancelRun);

private:
    std::string title_;
    ProgressWindowModel model_;
    bool askBeforeClosing_ = false;
    bool notifyControl_ = false;
};

inline constexpr const char* kCancelQuestion = "Are you sure you want to cancel this VexaWeb page?";

}  // namespace vexa::loader
