#pragma once

#include "platform/files.hpp"

namespace vexa {

class Win32Files final : public Files {
public:
    std::unique_ptr<ReadableFile> OpenShared(const std::string& path) override;
};

}  // namespace vexa
