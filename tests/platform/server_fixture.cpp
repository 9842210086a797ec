// A self-registering server whose registration fails: it exports DllRegisterServer,
// which notes each call in the file named by VEXA_SERVER_LOG and reports failure, and no
// DllUnregisterServer.

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#define SERVER_ENTRY extern "C" __declspec(dllexport) std::int32_t __stdcall
#else
#define SERVER_ENTRY extern "C" __attribute__((visibility("default"))) std::int32_t
#endif

SERVER_ENTRY DllRegisterServer() {
    if (const char* log = std::getenv("VEXA_SERVER_LOG")) {
        if (std::FILE* file = std::fopen(log, "ab")) {
            std::fputs("DllRegisterServer\n", file);
            std::fclose(file);
        }
    }
    return static_cast<std::int32_t>(0x80004005);  // E_FAIL
}
