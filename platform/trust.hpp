#pragma once
// Whether the user trusts the publisher of a file: the system's certificate check shows
// the publisher and lets the user refuse.

#include <string>

namespace vexa {

// What kind of file is checked, from the last three letters of its path.
enum class TrustSubject { PortableExecutable, JavaClass, Cabinet, RawFile };

class Trust {
public:
    virtual ~Trust() = default;
    // False when the system's check could not be loaded.
    virtual bool Available() = 0;
    // True when the file is trusted; any refusal or failure is false.
    virtual bool Verify(const std::string& path, TrustSubject subject) = 0;
};

}  // namespace vexa
