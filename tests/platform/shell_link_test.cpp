#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>
#else
#include "tests/support/child_process.hpp"
#endif

#include "platform/native.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa {
namespace {

namespace fs = std::filesystem;

struct LinkCase {
    const char* label;
    const char* description;
    const char* arguments;
};

const LinkCase kCases[] = {
    {"no arguments", "Temp Lnk", ""},
    {"arguments with blanks", "Vexa Demo", "/open \"my notes.txt\" --fast"},
};

// A target that exists, in a folder with a blank, as the shell would be given it.
ShellLink LinkFor(const testing::TempDir& dir, const LinkCase& c) {
    fs::create_directories(dir.path() / "demo folder");
    std::string target = (dir.path() / "demo folder" / "demo.exe").string();
    testing::WriteFile(target, "MZ");
    return {target, c.description, fs::path(target).parent_path().string(), c.arguments};
}

#ifdef _WIN32

std::optional<ShellLink> LoadLink(const std::string& linkPath) {
    Microsoft::WRL::ComPtr<IShellLinkA> link;
    Microsoft::WRL::ComPtr<IPersistFile> file;
    std::wstring widePath(linkPath.begin(), linkPath.end());
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) ||
        FAILED(link.As(&file)) || FAILED(file->Load(widePath.c_str(), STGM_READ)))
        return std::nullopt;
    char text[4][INFOTIPSIZE] = {};
    link->GetPath(text[0], INFOTIPSIZE, nullptr, SLGP_RAWPATH);
    link->GetDescription(text[1], INFOTIPSIZE);
    link->GetWorkingDirectory(text[2], INFOTIPSIZE);
    link->GetArguments(text[3], INFOTIPSIZE);
    return ShellLink{text[0], text[1], text[2], text[3]};
}

// The system's own reader: the shell's link object, loaded from the file.
std::optional<ShellLink> ReadBack(const std::string& linkPath) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::optional<ShellLink> read = LoadLink(linkPath);
    ::CoUninitialize();
    return read;
}

#else

// A peer reader of the format: lnkinfo prints each part as "<name> : <value>".
std::optional<ShellLink> ReadBack(const std::string& linkPath) {
    test::ChildProcess lnkinfo({"/usr/bin/lnkinfo", linkPath});
    if (lnkinfo.Finish() != 0) return std::nullopt;
    auto value = [&](const std::string& name) {
        std::size_t at = lnkinfo.Output().find("\t" + name + "\t");
        if (at == std::string::npos) return std::string();
        std::size_t start = lnkinfo.Output().find(": ", at) + 2;
        return lnkinfo.Output().substr(start, lnkinfo.Output().find('\n', start) - start);
    };
    return ShellLink{value("Local path"), value("Description"), value("Working directory"),
                     value("Command line arguments")};
}

#endif

void ExpectReadBackAs(const std::string& linkPath, const ShellLink& link, const char* label) {
    std::optional<ShellLink> read = ReadBack(linkPath);
    ASSERT_TRUE(read) << label;
    EXPECT_EQ(read->target, link.target) << label;
    EXPECT_EQ(read->description, link.description) << label;
    EXPECT_EQ(read->workingDirectory, link.workingDirectory) << label;
    EXPECT_EQ(read->arguments, link.arguments) << label;
}

bool ReaderMissing() {
#ifdef _WIN32
    return false;
#else
    return !fs::exists("/usr/bin/lnkinfo");
#endif
}

TEST(ShellLink, TheFileStartsWithTheHeaderSizeAndTheLinkClass) {
    testing::TempDir dir;
    NativePlatform platform;
    const std::string kStart("\x4C\0\0\0\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 20);
    for (const LinkCase& c : kCases) {
        std::string linkPath = dir / "link.lnk";
        testing::WriteFile(linkPath, std::string(4096, 'x'));  // replaced, not overwritten in place
        ASSERT_TRUE(platform.Get().shell.CreateShellLink(LinkFor(dir, c), linkPath)) << c.label;
        std::string bytes = testing::ReadFile(linkPath);
        EXPECT_EQ(bytes.substr(0, kStart.size()), kStart) << c.label;
        EXPECT_LT(bytes.size(), 4096u) << c.label;
    }
}

TEST(ShellLink, AReaderOfTheFormatSeesWhatWasWritten) {
    if (ReaderMissing()) GTEST_SKIP() << "lnkinfo (liblnk-utils) is not installed";
    testing::TempDir dir;
    NativePlatform platform;
    for (const LinkCase& c : kCases) {
        ShellLink link = LinkFor(dir, c);
        std::string linkPath = dir / (std::string(c.label) + ".lnk");
        ASSERT_TRUE(platform.Get().shell.CreateShellLink(link, linkPath)) << c.label;
        ExpectReadBackAs(linkPath, link, c.label);
    }
}

#ifdef _WIN32
// The bytes the POSIX shell writes, read by the system's own link object.
TEST(ShellLink, TheSystemReadsThePortableWritersLinks) {
    testing::TempDir dir;
    for (const LinkCase& c : kCases) {
        ShellLink link = LinkFor(dir, c);
        std::string linkPath = dir / (std::string(c.label) + ".lnk");
        testing::WriteFile(linkPath, ShellLinkBytes(link));
        ExpectReadBackAs(linkPath, link, c.label);
    }
}
#endif

TEST(ShellLink, ALinkToAFolderThatCannotBeWrittenFails) {
    testing::TempDir dir;
    NativePlatform platform;
    EXPECT_FALSE(platform.Get().shell.CreateShellLink(LinkFor(dir, kCases[0]), dir / "missing/link.lnk"));
}

}  // namespace
}  // namespace vexa
