#pragma once
// The cabinet control as the console hosts it: the process's cabinet jobs and one control
// whose events go to the command that made it.

#include <functional>

#include "cabinet/cabinet_jobs.hpp"
#include "cabinet/vexa_cb.hpp"
#include "common/dispatch.hpp"
#include "platform/platform.hpp"

namespace vexa::cli {

class EventFunction final : public EventSink {
public:
    using Handler = std::function<void(const EventEntry&, const std::vector<Value>&)>;
    explicit EventFunction(Handler handler) : handler_(std::move(handler)) {}
    void Raise(const EventEntry& event, const std::vector<Value>& arguments) override { handler_(event, arguments); }

private:
    Handler handler_;
};

class CabinetHost {
public:
    CabinetHost(Platform& platform, EventSink& events);

    VexaCB& Control() { return control_; }
    // Runs the control's messages until no job runs and the last one's events are raised.
    void RunUntilJobEnds();
    // Why the last job failed, beyond what its event says.
    std::string FailureCause() const { return jobs_.FailureCause(); }

private:
    Platform& platform_;
    CabinetJobs jobs_;
    VexaCB control_;
};

}  // namespace vexa::cli
