#include "cabinet/cabinet_jobs.hpp"

#include <system_error>

namespace vexa {

CabinetJobs::~CabinetJobs() {
    makeCancel = true;
    expandCancel = true;
    overwriteAnswer = kOverwriteCancel;
    WaitForWorker();
}

// The flags are set here, on the starting thread, rather than by the worker, so that a
// second start or a cancel right after this one cannot slip in before the worker runs.
bool CabinetJobs::Start(Job job, std::function<void()> work) {
    Job idle = Job::None;
    if (!running_.compare_exchange_strong(idle, job)) return false;
    Reset(job);
    std::lock_guard lock(workerMutex_);
    // The last worker has cleared its flags, so it is returning: this wait is short.
    if (worker_.joinable()) worker_.join();
    try {
        worker_ = std::thread([this, job, work = std::move(work)] {
            work();
            Finish(job);
        });
    } catch (const std::system_error&) {  // no thread to be had: the job does not start
        running_ = Job::None;
        return false;
    }
    return true;
}

void CabinetJobs::WaitForWorker() {
    std::lock_guard lock(workerMutex_);
    if (worker_.joinable()) worker_.join();
}

void CabinetJobs::Reset(Job job) {
    if (job == Job::Make) {
        makeCancel = false;
        uncompressedTotal = 0;
        compressedTotal = 0;
    } else {
        expandCancel = false;
        expansionPosition = 0;
        extractedCount = 0;
        overwriteAnswer = kOverwriteWaiting;
    }
    SetCurrentFile({});
    SetFailureCause({});
}

void CabinetJobs::Finish(Job job) {
    (job == Job::Make ? makeCancel : expandCancel) = false;
    if (job == Job::Make) SetCurrentFile({});
    running_ = Job::None;
}

void CabinetJobs::SetCurrentFile(std::string path) {
    std::lock_guard lock(fileMutex_);
    currentFile_ = std::move(path);
}

std::string CabinetJobs::CurrentFile() const {
    std::lock_guard lock(fileMutex_);
    return currentFile_;
}

void CabinetJobs::SetFailureCause(std::string cause) {
    std::lock_guard lock(fileMutex_);
    failureCause_ = std::move(cause);
}

std::string CabinetJobs::FailureCause() const {
    std::lock_guard lock(fileMutex_);
    return failureCause_;
}

}  // namespace vexa
