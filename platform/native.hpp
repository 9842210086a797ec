#pragma once
// The adapters of the operating system this program was built for.

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/platform.hpp"

namespace vexa {

// The environment names no machine: on POSIX systems a VEXA_PREFIX that is set but empty.
class MachineUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// This system's file port alone: it keeps no state, so commands that only read files
// need no machine.
std::unique_ptr<Files> NativeFiles();

class NativePlatform {
public:
    // Throws MachineUnavailable, before anything is created, when the environment names no machine.
    NativePlatform();
    ~NativePlatform();
    NativePlatform(const NativePlatform&) = delete;
    NativePlatform& operator=(const NativePlatform&) = delete;

    Platform& Get() { return platform_; }
    // The folder of the Internet cache when this program keeps one of its own (the POSIX
    // prefix's); empty where the system keeps it, shared with its browser.
    std::string OwnInternetCache() const;

private:
    // What this system's adapters share: the POSIX prefix. Windows adapters need none.
    struct Machine;
    std::unique_ptr<Machine> machine_;
    // Made before the adapters that keep their state in it.
    std::unique_ptr<Registry> registry_;
    std::unique_ptr<Files> files_;
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<Windows> windows_;
    std::unique_ptr<Ui> ui_;
    std::unique_ptr<Components> components_;
    std::unique_ptr<Shell> shell_;
    std::unique_ptr<Internet> internet_;
    std::unique_ptr<Trust> trust_;
    std::unique_ptr<Processes> processes_;
    Platform platform_;
};

}  // namespace vexa
