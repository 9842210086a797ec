#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "loader/cache.hpp"
#include "loader/com/vexaload.h"
#include "loader/loader_dispatch.hpp"
#include "platform/native.hpp"
#include "platform/win32/com/registration.hpp"
#include "tests/loader/com/vexaload_support.hpp"
#include "tests/loader/loader_machine.hpp"
#include "tests/support/memory_cabinet.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::test {
namespace {

constexpr DWORD kRunLimitMs = 20000;

// Waits on a thread of its own for the run's error window, keeps its text and presses OK,
// as the user would; the control's thread is inside the window's loop meanwhile.
class ErrorWindowCloser {
public:
    ErrorWindowCloser()
        : thread_([this] {
              for (int i = 0; i < 400 && !stop_; ++i, ::Sleep(50)) {
                  HWND box = ::FindWindowA("#32770", "Error");
                  if (!box) continue;
                  char text[512] = {};
                  ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                  shown_ = text;
                  ::PostMessageA(box, WM_COMMAND, IDOK, 0);
                  return;
              }
          }) {}
    ~ErrorWindowCloser() { Shown(); }
    ErrorWindowCloser(const ErrorWindowCloser&) = delete;
    ErrorWindowCloser& operator=(const ErrorWindowCloser&) = delete;

    // Once the thread has ended.
    std::string Shown() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return shown_;
    }

private:
    std::atomic<bool> stop_{false};
    std::string shown_;
    std::thread thread_;
};

class RunEvents : public VexaLoadTest {
protected:
    // A script cabinet that names no program, as a file of the test's folder. The cache of
    // the machine outlives the test, so the script says something new each time.
    std::string WriteScriptCabinet() {
        GUID unique{};
        ::CoCreateGuid(&unique);
        std::string body = "' " + com::GuidText(unique) + "\r\n";
        std::string path = dir_ / "Script.Cab";
        testing::WriteFile(path, CabinetOf({{"Script.txt", loader::test::ScriptText(body)}}));
        return path;
    }

    // Runs the script the page way and the thread's messages until the run's end; what
    // the error window showed meanwhile goes to `errorShown_`.
    const RecordedEvent* Run(const std::string& cabinet) {
        control_ = CreateLoader();
        connection_ = std::make_unique<EventConnection>(control_.Get(), DIID__DVexaLoaderEvents, &sink_);
        EXPECT_TRUE(connection_->Connected());
        ErrorWindowCloser closer;
        EXPECT_EQ(Call(control_.Get(), "RunScript", {"file://" + cabinet}), Value(true));
        auto ended = [&] { return sink_.Find(loader::kScriptDone) || sink_.Find(loader::kScriptError); };
        bool done = PumpUntil(ended, kRunLimitMs);
        errorShown_ = closer.Shown();
        return done ? &sink_.events.back() : nullptr;
    }

    void TearDown() override {
        connection_.reset();
        control_.Reset();
        VexaLoadTest::TearDown();
    }

    testing::TempDir dir_;
    ComPtr<IDispatch> control_;
    EventRecorder sink_;
    std::unique_ptr<EventConnection> connection_;
    std::string errorShown_;
};

// Nobody signed the cabinet, so the system's check refuses it: the error window, then
// the event.
TEST_F(RunEvents, AnUntrustedScriptEndsInTheErrorWindowAndScriptError) {
    const RecordedEvent* end = Run(WriteScriptCabinet());
    ASSERT_TRUE(end);
    EXPECT_EQ(end->id, loader::kScriptError);
    EXPECT_EQ(end->arguments, (std::vector<Value>{std::int32_t{0}, std::string()}));
    EXPECT_EQ(errorShown_, "User rejected script certificate.");
    EXPECT_EQ(Call(control_.Get(), "IsScriptRunning"), Value(false));
}

// A script cabinet the author's tools kept in the cache, as they do for testing on their
// own machine, is known: with nothing to fetch it needs no trust, and naming no program
// it is done once its lines have run.
TEST_F(RunEvents, AKnownScriptWithNothingToFetchOrStartEndsInScriptDone) {
    const std::string cabinet = WriteScriptCabinet();
    NativePlatform native;
    Platform& platform = native.Get();
    loader::LocalCache cache(platform.files, platform.clock, platform.registry,
                             platform.shell.FolderPath(SpecialFolder::Windows));
    ASSERT_TRUE(cache.KeepCachedCab(cabinet, loader::CacheKind::Script));

    const RecordedEvent* end = Run(cabinet);
    ASSERT_TRUE(end);
    EXPECT_EQ(end->id, loader::kScriptDone);
    EXPECT_TRUE(end->arguments.empty());
    EXPECT_EQ(errorShown_, "");
    EXPECT_EQ(Call(control_.Get(), "IsScriptRunning"), Value(true)) << "running until the page closes the script";
    Call(control_.Get(), "CloseScript");
}

}  // namespace
}  // namespace vexa::test
