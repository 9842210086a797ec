#pragma once
// Messages to a window of another process: each process that owns windows listens on a
// Unix socket, and a sender writes one frame per connection and waits for one byte back.
// The byte comes once the message is queued (a post), once its handler has run (a send),
// or at once for a question whether the window exists; a closed connection is a no.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

namespace vexa {

struct MessageFrame {
    enum class Kind : std::uint32_t { Post, Send, Probe };

    std::uint64_t window;
    std::uint64_t wParam;
    std::int64_t lParam;
    std::uint32_t message;
    Kind kind;
};

// The receiving end of one connection: confirming answers yes, and the connection closes
// when the last owner lets go, which the sender takes as a no if nothing was confirmed.
class Acknowledgement {
public:
    explicit Acknowledgement(int connection) : connection_(connection) {}
    ~Acknowledgement();
    Acknowledgement(const Acknowledgement&) = delete;
    Acknowledgement& operator=(const Acknowledgement&) = delete;

    void Confirm();

private:
    int connection_;
};

// Listens at `socket` on a thread of its own and hands each arriving frame to `arrive`,
// on that thread. The socket file goes with the listener.
class MessageListener {
public:
    using Arrival = std::function<void(const MessageFrame&, std::shared_ptr<Acknowledgement>)>;

    MessageListener(std::filesystem::path socket, Arrival arrive);
    ~MessageListener();
    MessageListener(const MessageListener&) = delete;
    MessageListener& operator=(const MessageListener&) = delete;

    // False when the socket could not be made: nothing reaches this process then.
    bool Listening() const { return listener_ >= 0; }

private:
    void Run();
    void Receive(int connection);

    std::filesystem::path socket_;
    Arrival arrive_;
    int listener_ = -1;
    int stop_[2] = {-1, -1};  // a pipe whose reading end wakes the thread to end
    std::thread thread_;
};

// Delivers `frame` to whoever listens at `socket`; true when the answer was yes within
// `timeoutMs`. A missing socket, a listener that is gone or a stale file fail at once.
bool DeliverFrame(const std::filesystem::path& socket, const MessageFrame& frame, std::uint32_t timeoutMs);

}  // namespace vexa
