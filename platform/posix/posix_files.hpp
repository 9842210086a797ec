#pragma once

#include "platform/files.hpp"

namespace vexa {

class PosixFiles final : public Files {
public:
    std::unique_ptr<ReadableFile> OpenShared(const std::string& path) override;
};

}  // namespace vexa
