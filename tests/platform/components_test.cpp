#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "common/text.hpp"
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

TEST(Components, FileVersionReadsTheFirstTranslationsTableElseUsEnglish) {
    NativePlatform platform;
    Components& components = platform.Get().components;
    EXPECT_EQ(components.FileVersion(VEXA_VERSION_TRANSLATED_FIXTURE), "5,00,3724");
    EXPECT_EQ(components.FileVersion(VEXA_VERSION_FALLBACK_FIXTURE), "2.1.0.7");
    EXPECT_EQ(components.FileVersion(VEXA_VERSION_NONE_FIXTURE), "");
}

TEST(Components, WhatIsNoWholeLibraryHasNoVersion) {
    testing::TempDir dir;
    std::string library = testing::ReadFile(VEXA_VERSION_TRANSLATED_FIXTURE);
    // Cut inside the version block, whose key is the first thing in it.
    std::string key("V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0", 30);
    std::size_t block = library.find(key);
    ASSERT_NE(block, std::string::npos);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"cut-in-block.dll", library.substr(0, block + key.size() + 8)},
        {"headers-only.dll", library.substr(0, 512)},
        {"garbage.dll", "MZ" + std::string(4096, '\xFF')},
        {"empty.dll", ""},
    };
    NativePlatform platform;
    Components& components = platform.Get().components;
    for (const auto& c : cases) {
        testing::WriteFile(dir / c.name, c.bytes);
        EXPECT_EQ(components.FileVersion(dir / c.name), "") << c.name;
    }
    EXPECT_EQ(components.FileVersion(dir / "missing.dll"), "");
}

TEST(Components, ASharedFileBelongsInTheSystemDirectoryAndIsFoundWhereItIs) {
    testing::TempDir app;
    NativePlatform platform;
    Components& components = platform.Get().components;
    std::string windows = platform.Get().shell.FolderPath(SpecialFolder::Windows);
    std::string system = platform.Get().shell.FolderPath(SpecialFolder::System);
    const std::string name = "vexa-shared-fixture.dll";
    std::filesystem::path inSystem = std::filesystem::path(system) / name;

    SharedFileLocation absent = components.FindSharedFile(name, windows, app.path().string());
    EXPECT_EQ(absent.current, "");
    EXPECT_TRUE(EqualsIgnoreCase(absent.destination, system)) << absent.destination;

    // A copy in the application's directory is found there, but one in the system
    // directory comes first.
    testing::WriteFile(app / name, "private copy");
    SharedFileLocation inApp = components.FindSharedFile(name, windows, app.path().string());
    EXPECT_EQ(inApp.current, app.path().string());
    EXPECT_TRUE(EqualsIgnoreCase(inApp.destination, system)) << inApp.destination;

    testing::WriteFile(inSystem.string(), "library");
    SharedFileLocation present = components.FindSharedFile(name, windows, app.path().string());
    std::filesystem::remove(inSystem);
    EXPECT_TRUE(EqualsIgnoreCase(present.current, system)) << present.current;
    EXPECT_TRUE(EqualsIgnoreCase(present.destination, system)) << present.destination;
}

}  // namespace
}  // namespace vexa
