#pragma once

#include "platform/components.hpp"

namespace vexa {

class Win32Components final : public Components {
public:
    bool RegisterServer(const std::string& library) override;
    bool UnregisterServer(const std::string& library) override;
};

}  // namespace vexa
