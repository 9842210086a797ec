#pragma once
// Servers are shared objects exporting the registration entry points.

#include "platform/components.hpp"

namespace vexa {

class PosixComponents final : public Components {
public:
    bool RegisterServer(const std::string& library) override;
    bool UnregisterServer(const std::string& library) override;
};

}  // namespace vexa
