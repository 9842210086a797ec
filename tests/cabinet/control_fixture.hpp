#pragma once
// A cabinet control on real files in a fresh folder, with a fake message loop and clock
// (the worker's 100 ms polls take no time), scripted dialogs and a recording event sink.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cabinet/cab_dispatch.hpp"
#include "cabinet/vexa_cb.hpp"
#include "platform/fake/fake_components.hpp"
#include "platform/fake/fake_internet.hpp"
#include "platform/fake/fake_registry.hpp"
#include "platform/fake/fake_shell.hpp"
#include "platform/fake/fake_processes.hpp"
#include "platform/fake/fake_trust.hpp"
#include "platform/fake/fake_ui.hpp"
#include "platform/fake/fake_windows.hpp"
#include "platform/native.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::testing {

struct RaisedEvent {
    std::string name;
    std::vector<Value> arguments;
    std::string Text(std::size_t i) const { return std::get<std::string>(arguments.at(i)); }
    std::int32_t Long(std::size_t i) const { return std::get<std::int32_t>(arguments.at(i)); }
};

class EventRecorder final : public EventSink {
public:
    void Raise(const EventEntry& event, const std::vector<Value>& arguments) override {
        EXPECT_EQ(arguments.size(), event.parameters.size()) << event.name;
        for (std::size_t i = 0; i < arguments.size() && i < event.parameters.size(); ++i)
            EXPECT_EQ(TypeOf(arguments[i]), event.parameters[i].type) << event.name << " " << i;
        raised.push_back({std::string(event.name), arguments});
        if (onEvent) onEvent(raised.back());
    }
    std::size_t Count(const std::string& name) const {
        return std::count_if(raised.begin(), raised.end(), [&](const RaisedEvent& e) { return e.name == name; });
    }
    const RaisedEvent& Last() const { return raised.back(); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : raised) names.push_back(e.name);
        return names;
    }

    std::vector<RaisedEvent> raised;
    std::function<void(const RaisedEvent&)> onEvent;
};

inline const std::vector<unsigned char> kStub = {'M', 'Z', 's', 't', 'u', 'b'};

class ControlTest : public ::testing::Test {
protected:
    // Runs the control's messages until a job's last event, then waits for its worker.
    // The fake clock has no timers to fire here, so its limit only guards against a hang.
    void RunJob() {
        std::size_t before = events_.raised.size();
        auto ended = [this, before] {
            if (events_.raised.size() == before) return false;
            const std::string& last = events_.Last().name;
            return last.ends_with("Done") || last.ends_with("Error") || last.ends_with("Cancel");
        };
        ASSERT_TRUE(windows_.RunUntil(ended, 1u << 30));
        jobs_.WaitForWorker();
    }

    std::string Path(const std::string& name) const { return dir_ / name; }

    TempDir dir_;
    NativePlatform native_;
    FakeClock clock_;
    FakeWindows windows_{clock_, std::chrono::seconds(60)};
    FakeUi ui_;
    FakeComponents components_;
    FakeShell shell_;
    FakeRegistry registry_;
    FakeInternet internet_;
    FakeTrust trust_;
    FakeProcesses processes_;
    Platform platform_{native_.Get().files, clock_, windows_, ui_,     components_,
                       shell_,              registry_, internet_, trust_, processes_};
    CabinetJobs jobs_;
    EventRecorder events_;
    std::unique_ptr<VexaCB> control_ = std::make_unique<VexaCB>(platform_, jobs_, events_, kStub);
};

}  // namespace vexa::testing
