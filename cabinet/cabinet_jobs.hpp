#pragma once
// The cabinet jobs of a process: the state that all cabinet controls share and the one
// worker thread that makes or expands a cabinet, so that only one job runs at a time.
// The host owns one, hands it to every control it creates, and keeps it longer than them.
// Flags and counters are written by one side (the controls' thread or the worker) and
// read by the other.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace vexa {

// The host's answers to "overwrite an existing file?" during an expansion.
inline constexpr std::int32_t kOverwriteWaiting = -100;
inline constexpr std::int32_t kOverwriteKeep = -1;
inline constexpr std::int32_t kOverwriteCancel = 0;
inline constexpr std::int32_t kOverwriteYes = 1;
inline constexpr std::int32_t kOverwriteAll = 2;

class CabinetJobs {
public:
    enum class Job { None, Make, Expansion };

    CabinetJobs() = default;
    // Cancels a running job, answering a pending overwrite question with "cancel", and
    // waits for its worker.
    ~CabinetJobs();
    CabinetJobs(const CabinetJobs&) = delete;
    CabinetJobs& operator=(const CabinetJobs&) = delete;

    bool Making() const { return running_ == Job::Make; }
    bool Expanding() const { return running_ == Job::Expansion; }
    bool Running() const { return running_ != Job::None; }

    // Unless a job is running: resets the job's flags and counters and runs `work` on the
    // worker thread; the job ends when `work` returns. False if a job is running.
    bool Start(Job job, std::function<void()> work);
    // Waits until the worker of the last job has finished.
    void WaitForWorker();

    // The file being compressed, or the destination being written.
    void SetCurrentFile(std::string path);
    std::string CurrentFile() const;
    // Why the last job failed, for hosts that show more than the failure event says.
    void SetFailureCause(std::string cause);
    std::string FailureCause() const;

    std::atomic<bool> makeCancel{false};
    std::atomic<std::int64_t> uncompressedTotal{0};
    std::atomic<std::int64_t> compressedTotal{0};

    std::atomic<bool> expandCancel{false};
    std::atomic<std::size_t> expansionPosition{0};  // the expansion list's entry for the next member
    std::atomic<std::int32_t> extractedCount{0};
    std::atomic<std::int32_t> overwriteAnswer{kOverwriteWaiting};
    // Gives `answer` unless the question has been answered already.
    void AnswerIfWaiting(std::int32_t answer) {
        std::int32_t waiting = kOverwriteWaiting;
        overwriteAnswer.compare_exchange_strong(waiting, answer);
    }

private:
    void Reset(Job job);
    void Finish(Job job);

    std::atomic<Job> running_{Job::None};
    mutable std::mutex fileMutex_;
    std::string currentFile_;
    std::string failureCause_;
    std::mutex workerMutex_;
    std::thread worker_;
};

}  // namespace vexa
