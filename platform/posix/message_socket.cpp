#include "platform/posix/message_socket.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <optional>
#include <system_error>

namespace vexa {
namespace {

using SteadyTime = std::chrono::steady_clock::time_point;

constexpr char kYes = 1;
// A sender writes its frame right after connecting; one that stalls loses its message
// rather than holding up the others for longer.
constexpr int kFrameWaitMs = 1000;
constexpr int kBacklog = 64;

// None when the path is too long for a socket address.
std::optional<sockaddr_un> AddressOf(const std::filesystem::path& socket) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string& path = socket.native();
    if (path.size() >= sizeof address.sun_path) return std::nullopt;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

int NewSocket() { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0); }

// Time-outs of 0 would mean none at all to the socket options.
void SetTimeout(int socket, int option, int milliseconds) {
    milliseconds = std::max(milliseconds, 1);
    timeval limit{milliseconds / 1000, (milliseconds % 1000) * 1000};
    ::setsockopt(socket, SOL_SOCKET, option, &limit, sizeof limit);
}

int MillisecondsUntil(SteadyTime deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, INT_MAX));
}

bool WaitReadable(int socket, SteadyTime deadline) {
    pollfd ready{socket, POLLIN, 0};
    for (;;) {
        int got = ::poll(&ready, 1, MillisecondsUntil(deadline));
        if (got >= 0 || errno != EINTR) return got > 0;
    }
}

bool Exchange(int connection, const sockaddr_un& address, const MessageFrame& frame, SteadyTime deadline) {
    // A listener whose queue of connections is full makes connecting wait.
    SetTimeout(connection, SO_SNDTIMEO, MillisecondsUntil(deadline));
    if (::connect(connection, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return false;
    if (::send(connection, &frame, sizeof frame, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof frame)) return false;
    char answer = 0;
    return WaitReadable(connection, deadline) && ::recv(connection, &answer, 1, 0) == 1 && answer == kYes;
}

}  // namespace

Acknowledgement::~Acknowledgement() { ::close(connection_); }

void Acknowledgement::Confirm() { (void)::send(connection_, &kYes, 1, MSG_NOSIGNAL); }

MessageListener::MessageListener(std::filesystem::path socket, Arrival arrive)
    : socket_(std::move(socket)), arrive_(std::move(arrive)) {
    auto address = AddressOf(socket_);
    if (!address || ::pipe2(stop_, O_CLOEXEC) != 0) return;
    // Endpoints are never reused, so a file of this name was left by a process that ended
    // without cleaning up.
    std::error_code ignored;
    std::filesystem::remove(socket_, ignored);
    listener_ = NewSocket();
    if (listener_ < 0) return;
    if (::bind(listener_, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0 ||
        ::listen(listener_, kBacklog) != 0) {
        ::close(listener_);
        listener_ = -1;
        return;
    }
    thread_ = std::thread([this] { Run(); });
}

MessageListener::~MessageListener() {
    if (thread_.joinable()) {
        (void)::write(stop_[1], &kYes, 1);
        thread_.join();
    }
    if (listener_ >= 0) {
        std::error_code ignored;
        std::filesystem::remove(socket_, ignored);
        ::close(listener_);
    }
    for (int end : stop_)
        if (end >= 0) ::close(end);
}

void MessageListener::Run() {
    pollfd waiting[2] = {{listener_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    for (;;) {
        if (::poll(waiting, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (waiting[1].revents != 0) return;
        if (int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC); connection >= 0)
            Receive(connection);
    }
}

void MessageListener::Receive(int connection) {
    auto acknowledgement = std::make_shared<Acknowledgement>(connection);
    MessageFrame frame{};
    SetTimeout(connection, SO_RCVTIMEO, kFrameWaitMs);
    if (::recv(connection, &frame, sizeof frame, MSG_WAITALL) != static_cast<ssize_t>(sizeof frame)) return;
    arrive_(frame, std::move(acknowledgement));
}

bool DeliverFrame(const std::filesystem::path& socket, const MessageFrame& frame, std::uint32_t timeoutMs) {
    auto address = AddressOf(socket);
    if (!address) return false;
    int connection = NewSocket();
    if (connection < 0) return false;
    bool yes = Exchange(connection, *address, frame,
                        std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs));
    ::close(connection);
    return yes;
}

}  // namespace vexa
