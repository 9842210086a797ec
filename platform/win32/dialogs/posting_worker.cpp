#include "platform/win32/dialogs/posting_worker.hpp"

#include <memory>

namespace vexa::dialogs {
namespace {

struct Job {
    std::function<void()> work;
    HWND window;
    UINT message;
};

DWORD WINAPI RunJob(void* context) {
    std::unique_ptr<Job> job(static_cast<Job*>(context));
    const HWND window = job->window;
    const UINT message = job->message;
    job->work();
    job.reset();  // the work's captures go before the window hears of the end
    ::PostMessageA(window, message, 0, 0);
    return 0;
}

}  // namespace

PostingWorker::~PostingWorker() {
    if (thread_) ::CloseHandle(thread_);
}

bool PostingWorker::Start(std::function<void()> work, HWND window, UINT message) {
    if (Running()) return false;
    Join();
    auto job = std::make_unique<Job>(Job{std::move(work), window, message});
    thread_ = ::CreateThread(nullptr, 0, RunJob, job.get(), 0, nullptr);
    if (!thread_) return false;
    job.release();  // the thread's now
    return true;
}

bool PostingWorker::Join(DWORD milliseconds) {
    if (!thread_) return true;
    if (::WaitForSingleObject(thread_, milliseconds) != WAIT_OBJECT_0) return false;
    ::CloseHandle(thread_);
    thread_ = nullptr;
    return true;
}

bool PostingWorker::Running() const { return thread_ && ::WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT; }

}  // namespace vexa::dialogs
