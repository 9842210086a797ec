// How fast a dropped download ends: a transfer stalls on the loopback fault server after
// its first bytes, then the time from DropDownload to the end of its worker is measured.

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

#include "loader/download_engine.hpp"
#include "platform/native.hpp"
#include "tests/support/fault_http_server.hpp"

namespace vexa::loader {
namespace {

constexpr DownloadMessages kMessages{kUserMessage + 3, kUserMessage + 4, kUserMessage + 5};

class StalledTransfer final : public WindowHandler {
public:
    explicit StalledTransfer(Platform& platform) : platform_(platform) { window_ = platform.windows.Create(*this); }
    ~StalledTransfer() override { platform_.windows.Destroy(window_); }

    // Starts the transfer and returns once its first bytes have been reported.
    std::unique_ptr<DownloadEngine> Start(const std::string& url, const std::string& markers) {
        auto engine = std::make_unique<DownloadEngine>(
            DownloadPorts{platform_.files, platform_.clock, platform_.windows, platform_.internet}, window_, kMessages,
            markers);
        progressed_ = false;
        if (!engine->StartDownload(url, DownloadKind::ProgramCabinet)) return nullptr;
        platform_.windows.RunUntil([this] { return progressed_; }, 10'000);
        return progressed_ ? std::move(engine) : nullptr;
    }

    void OnMessage(std::uint32_t message, std::uintptr_t, std::intptr_t) override { progressed_ |= message == kMessages.progress; }
    void OnTimer(std::uint32_t) override {}

private:
    Platform& platform_;
    WindowHandle window_ = 0;
    bool progressed_ = false;
};

void DropReaction(benchmark::State& state) {
    auto markers = std::filesystem::temp_directory_path() / "vexa-drop-bench";
    std::filesystem::create_directories(markers);
    NativePlatform native;
    StalledTransfer transfer(native.Get());
    const auto& server = test::FaultHttpServer::Get();
    double worst = 0;
    int run = 0;
    for (auto _ : state) {
        auto engine = transfer.Start(server.Url("/stall/1000/run-" + std::to_string(run++) + "/x.cab"), markers.string());
        if (!engine) return state.SkipWithError("the stalled transfer did not start");
        auto start = std::chrono::steady_clock::now();
        engine->DropDownload();
        engine.reset();  // joins the worker
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        worst = std::max(worst, seconds);
        state.SetIterationTime(seconds);
    }
    state.counters["worst_ms"] = worst * 1000;
    std::filesystem::remove_all(markers);
}
BENCHMARK(DropReaction)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace vexa::loader
