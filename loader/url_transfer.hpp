#pragma once
// The transfer of one URL on a worker thread: "FILE://" names a local file at once; HTTP
// and HTTPS are read to their end through the Internet layer, whose cache then holds the
// file. The transfer stops as soon as its marker file is gone or its session is closed.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/clock.hpp"
#include "platform/files.hpp"
#include "platform/internet.hpp"

namespace vexa::loader {

// The session of one transfer, closable from another thread at any time, also before the
// worker has opened it.
class SessionSlot {
public:
    // Null when the slot was closed first.
    std::shared_ptr<InternetSession> Open(Internet& internet, const std::string& agent);
    void Close();

private:
    std::mutex mutex_;
    std::shared_ptr<InternetSession> session_;
    bool closed_ = false;
};

struct TransferPorts {
    Files& files;
    Clock& clock;
    Internet& internet;
};

// Called with the bytes received so far and the length the server announced.
using TransferProgress = std::function<void(std::uint64_t received, std::uint64_t announced)>;

// Why `url` cannot be fetched at all, as one line for a person; empty when it can be: an
// HTTP, HTTPS or FILE URL whose parts each fit the system's buffers.
std::string UrlRefusal(const std::string& url);

struct TransferResult {
    std::optional<std::string> file;  // the local file that holds the URL's content
    std::string cause;                // without a file: why, as one line for a person
};

// The URL's content, or no file when the transfer failed or was stopped. Progress is
// reported after the first block and then at most every 250 ms.
TransferResult TransferUrl(TransferPorts ports, const std::string& url, const std::string& markerFile,
                           SessionSlot& session, const TransferProgress& progress);

}  // namespace vexa::loader
