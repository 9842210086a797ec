#include "tests/support/under_wine.hpp"

#ifdef _WIN32
#include <windows.h>
#endif

namespace vexa::test {

// Wine's ntdll exports its version; Windows' does not.
bool UnderWine() {
#ifdef _WIN32
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

}  // namespace vexa::test
