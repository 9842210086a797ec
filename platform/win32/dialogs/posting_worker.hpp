#pragma once
// Work on a thread of its own that tells a window when it is done: its last act is to post
// the window a message, which the window's thread handles by joining it. A window belongs
// to its thread, so the worker never waits for that thread; the post is all it leaves.

#include <windows.h>

#include <functional>

namespace vexa::dialogs {

class PostingWorker {
public:
    PostingWorker() = default;
    // A worker still running keeps its function; what that works on must outlive it, or
    // the program ends its process instead.
    ~PostingWorker();
    PostingWorker(const PostingWorker&) = delete;
    PostingWorker& operator=(const PostingWorker&) = delete;

    // Runs `work` on a new thread, which then posts `message` to `window`. False, with
    // nothing run and nothing posted, if the system starts no thread or one runs already.
    bool Start(std::function<void()> work, HWND window, UINT message);
    // Waits up to `milliseconds` for the thread to end; true once it has (or none runs).
    // Called for the posted message, it returns at once: the post was the thread's last act.
    bool Join(DWORD milliseconds = INFINITE);
    bool Running() const;

private:
    HANDLE thread_ = nullptr;
};

}  // namespace vexa::dialogs
