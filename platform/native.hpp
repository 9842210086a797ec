#pragma once
// The adapters of the operating system this program was built for.

#include <memory>

#include "platform/platform.hpp"

namespace vexa {

class NativePlatform {
public:
    NativePlatform();
    ~NativePlatform();
    NativePlatform(const NativePlatform&) = delete;
    NativePlatform& operator=(const NativePlatform&) = delete;

    Platform& Get() { return platform_; }

private:
    std::unique_ptr<Files> files_;
    Platform platform_;
};

}  // namespace vexa
