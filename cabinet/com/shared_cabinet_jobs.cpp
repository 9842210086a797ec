#include "cabinet/com/shared_cabinet_jobs.hpp"

#include <mutex>

namespace vexa {

std::shared_ptr<SharedCabinetJobs> HoldCabinetJobs() {
    static std::mutex mutex;
    static std::weak_ptr<SharedCabinetJobs> current;
    std::lock_guard lock(mutex);
    auto held = current.lock();
    if (!held) current = held = std::make_shared<SharedCabinetJobs>();
    return held;
}

}  // namespace vexa
