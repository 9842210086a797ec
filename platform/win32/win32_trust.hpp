#pragma once
// The system's certificate check, loaded by name: it shows the publisher and lets the user
// refuse the file.

#include "platform/trust.hpp"

namespace vexa {

class Win32Trust final : public Trust {
public:
    Win32Trust();
    ~Win32Trust() override;
    Win32Trust(const Win32Trust&) = delete;
    Win32Trust& operator=(const Win32Trust&) = delete;

    bool Available() override { return verify_ != nullptr; }
    bool Verify(const std::string& path, TrustSubject subject) override;

private:
    void* module_;  // the trust library
    void* verify_;  // its check, looked up once
};

}  // namespace vexa
