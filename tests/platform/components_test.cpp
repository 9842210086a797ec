#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/native.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa {
namespace {

void SetEnvironment(const char* name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

TEST(Components, RegistrationCallsTheEntryPointWhateverItReturns) {
    testing::TempDir dir;
    std::string log = dir / "calls.log";
    SetEnvironment("VEXA_SERVER_LOG", log);
    NativePlatform platform;
    Components& components = platform.Get().components;

    EXPECT_TRUE(components.RegisterServer(VEXA_SERVER_FIXTURE));
    EXPECT_EQ(testing::ReadFile(log), "DllRegisterServer\n");
    // Loaded and unloaded again: a second call runs the entry point again.
    EXPECT_TRUE(components.RegisterServer(VEXA_SERVER_FIXTURE));
    EXPECT_EQ(testing::ReadFile(log), "DllRegisterServer\nDllRegisterServer\n");
}

TEST(Components, NoLibraryOrNoEntryPointIsAFailure) {
    testing::TempDir dir;
    testing::WriteFile(dir / "not-a-library.dll", "plain text");
    NativePlatform platform;
    Components& components = platform.Get().components;
    EXPECT_FALSE(components.UnregisterServer(VEXA_SERVER_FIXTURE));
    EXPECT_FALSE(components.RegisterServer(dir / "missing.dll"));
    EXPECT_FALSE(components.RegisterServer(dir / "not-a-library.dll"));
}

}  // namespace
}  // namespace vexa
