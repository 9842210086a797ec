#include "loader/download_progress.hpp"

#include <gtest/gtest.h>

namespace vexa::loader {
namespace {

TEST(DownloadProgress, NumbersGetThousandsSeparators) {
    EXPECT_EQ(WithThousands(0), "0");
    EXPECT_EQ(WithThousands(999), "999");
    EXPECT_EQ(WithThousands(1000), "1,000");
    EXPECT_EQ(WithThousands(1'200'000), "1,200,000");
    EXPECT_EQ(WithThousands(-12'345), "-12,345");
}

TEST(DownloadProgress, TimeLeftNamesOnlyItsNonZeroParts) {
    EXPECT_EQ(TimeLeftText(3661), "1 hour 1 minute 1 second ");
    EXPECT_EQ(TimeLeftText(7322), "2 hours 2 minutes 2 seconds");
    EXPECT_EQ(TimeLeftText(3600), "1 hour ");
    EXPECT_EQ(TimeLeftText(59), "59 seconds");
    EXPECT_EQ(TimeLeftText(0), "");
}

TEST(DownloadProgress, RateIsMeasuredOverWindowsOfTenSeconds) {
    ProgressFigures f;
    f.totalBytes = 1'000'000;
    UpdateRate(f, 1000);  // opens the window
    f.bytesDone = 5000;
    UpdateRate(f, 10'999);
    EXPECT_EQ(f.rateText, kCalculating);

    // 1250 bytes in 10 s is 1000 bps; 457,625 bytes left take 3661 s.
    f.totalBytes = 5000 + 1250 + 457'625;
    f.bytesDone = 5000 + 1250;
    f.windowStartAmount = 5000;
    UpdateRate(f, 11'000);
    EXPECT_EQ(f.rateText, "1000 bps");
    EXPECT_EQ(f.timeLeftText, "1 hour 1 minute 1 second ");

    // 1248 bytes in 10 s is 998 bps: too slow for an estimate.
    f.bytesDone += 1248;
    UpdateRate(f, 21'000);
    EXPECT_EQ(f.rateText, "998 bps");
    EXPECT_EQ(f.timeLeftText, "");
}

TEST(DownloadProgress, AWrappedTickCountRestartsTheRateWindow) {
    ProgressFigures f;
    f.rateText = "5000 bps";
    f.windowStartTick = 0xFFFF'F000u;
    f.bytesDone = 777;
    UpdateRate(f, 0x10);
    EXPECT_EQ(f.rateText, kCalculating);
    EXPECT_EQ(f.timeLeftText, kCalculating);
    EXPECT_EQ(f.windowStartTick, 0x10u);
    EXPECT_EQ(f.windowStartAmount, 777);
}

TEST(DownloadProgress, WindowShowsBothLinesAndTheProgressInItsMinimisedCaption) {
    ProgressWindow window("Chess Install");
    EXPECT_EQ(window.Model().status, "Connecting to server...");
    ProgressFigures f;
    f.totalBytes = 1'200'000;
    f.bytesDone = 300'001;
    f.fileBytes = 999;
    f.fileSize = 1000;
    f.rateText = "8000 bps";
    window.Update(f, "http://example.test/cabs/Chess.cab");
    const auto& m = window.Model();
    EXPECT_EQ(m.status, "Downloading file: Chess.cab");
    EXPECT_EQ(m.overallText, "300,001 bytes of 1,200,000 bytes downloaded. (25%)");
    EXPECT_EQ(m.overallPercent, 25);
    EXPECT_EQ(m.fileText, "999 bytes of 1,000 bytes downloaded. (99%)");
    EXPECT_EQ(m.rateText, "8000 bps");
    EXPECT_EQ(m.caption, "Chess Install");
    EXPECT_EQ(m.minimisedCaption, "(25%) Chess Install");

    f.bytesDone = 1'300'000;  // more than announced still reads 100
    f.fileBytes = 0;
    window.Update(f, "http://example.test/cabs/Chess.cab");
    EXPECT_EQ(window.Model().overallPercent, 100);
    EXPECT_EQ(window.Model().filePercent, 0);
}

TEST(DownloadProgress, ClosingTheWindowAsksOnlyWhileARunGoes) {
    EXPECT_STREQ(kCancelQuestion, "Are you sure you want to cancel this VexaWeb page?");
    struct Case {
        bool ask, notify, answerYes;
        bool asked, closes, cancelled;
    };
    for (const Case& c : {Case{true, true, false, true, false, false}, Case{true, true, true, true, true, true},
                          Case{true, false, true, true, true, false}, Case{false, false, false, false, true, false},
                          Case{false, true, false, false, true, true}}) {
        ProgressWindow window("Title");
        window.SetRunFlags(c.ask, c.notify);
        std::string question;
        bool cancelled = false;
        bool closes = window.RequestClose(
            [&](const std::string& q) {
                question = q;
                return c.answerYes;
            },
            [&] { cancelled = true; });
        EXPECT_EQ(question, c.asked ? kCancelQuestion : "");
        EXPECT_EQ(closes, c.closes);
        EXPECT_EQ(cancelled, c.cancelled);
        // Afterwards closing asks again.
        question.clear();
        window.RequestClose([&](const std::string& q) { return question = q, false; }, [] {});
        EXPECT_FALSE(question.empty());
    }
}

}  // namespace
}  // namespace vexa::loader
