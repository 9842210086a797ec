#include "platform/fake/fake_components.hpp"

namespace vexa {

bool FakeComponents::RegisterServer(const std::string& library) {
    auto found = servers_.find(library);
    if (found == servers_.end() || !found->second.registers) return false;
    calls_.push_back("DllRegisterServer " + library);
    return true;
}

bool FakeComponents::UnregisterServer(const std::string& library) {
    auto found = servers_.find(library);
    if (found == servers_.end() || !found->second.unregisters) return false;
    calls_.push_back("DllUnregisterServer " + library);
    return true;
}

}  // namespace vexa
