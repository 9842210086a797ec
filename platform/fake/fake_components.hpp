#pragma once
// Servers that exist only as names, with the entry points each one exports; every
// entry point called is recorded.

#include <map>
#include <vector>

#include "platform/components.hpp"

namespace vexa {

class FakeComponents final : public Components {
public:
    void AddServer(const std::string& library, bool registers, bool unregisters) {
        servers_[library] = {registers, unregisters};
    }
    // "DllRegisterServer <library>", in call order.
    const std::vector<std::string>& Calls() const { return calls_; }

    bool RegisterServer(const std::string& library) override;
    bool UnregisterServer(const std::string& library) override;

private:
    struct Server {
        bool registers;
        bool unregisters;
    };
    std::map<std::string, Server> servers_;
    std::vector<std::string> calls_;
};

}  // namespace vexa
