#pragma once
// The desktop shell: opening a program, document or address as a double click would.

#include <string>

namespace vexa {

class Shell {
public:
    virtual ~Shell() = default;
    // Opens `target` in a normal window without waiting for it; true when it was started.
    virtual bool Open(const std::string& target) = 0;
};

}  // namespace vexa
