#pragma once
// What the processes of one prefix share about their windows, as a window station holds
// it on Windows: window handles and where the process owning each listens, registered
// message numbers and global atoms. One SQLite database, so every process sees the same
// numbers and handles are never given out twice.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/message_windows.hpp"
#include "platform/posix/sqlite_database.hpp"

namespace vexa {

class WindowStation {
public:
    // Opens the database, creating it if needed; if that fails, every operation fails.
    explicit WindowStation(const std::filesystem::path& database);

    // A number for a listener of this process, never given out before; 0 on failure.
    std::uint64_t NewEndpoint();
    // Forgets the endpoint and the windows still listed for it.
    void ForgetEndpoint(std::uint64_t endpoint);
    // A handle for a window whose messages go to `endpoint`; 0 on failure.
    WindowHandle NewWindow(std::uint64_t endpoint);
    void ForgetWindow(WindowHandle window);
    std::optional<std::uint64_t> EndpointOf(WindowHandle window);

    // The rules of the Windows port: 0xC000 and up for a name of 1 to 255 characters,
    // atoms of 1 to 255 characters with counted references; names without regard to case.
    std::uint32_t RegisterMessage(const std::string& name);
    std::uint16_t AddAtom(const std::string& text);
    std::optional<std::string> AtomName(std::uint16_t atom);
    void DeleteAtom(std::uint16_t atom);

private:
    SqliteDatabase database_;
};

}  // namespace vexa
