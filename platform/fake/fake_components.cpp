#include "platform/fake/fake_components.hpp"

#include "common/file_name.hpp"

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

std::string FakeComponents::FileVersion(const std::string& path) {
    auto found = versions_.find(path);
    if (found == versions_.end()) found = versions_.find(std::string(FileNamePart(path)));
    return found == versions_.end() ? std::string() : found->second;
}

SharedFileLocation FakeComponents::FindSharedFile(const std::string& fileName, const std::string&,
                                                  const std::string&) {
    auto found = shared_.find(fileName);
    return found == shared_.end() ? SharedFileLocation{{}, defaultDestination_} : found->second;
}

bool FakeComponents::ReplaceAtRestart(const std::string& replacement, const std::string& target) {
    pending_.emplace_back(replacement, target);
    return true;
}

bool FakeComponents::DeleteAtRestart(const std::string& target) {
    pending_.emplace_back(std::string(), target);
    return true;
}

bool FakeComponents::Restart() {
    ++restarts_;
    return true;
}

}  // namespace vexa
