#include "download/vexa_dnld.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "download/dnld_dispatch.hpp"
#include "signature/signature.hpp"
#include "tests/loader/loader_machine.hpp"
#include "tests/support/memory_cabinet.hpp"

namespace vexa::download {
namespace {

namespace fs = std::filesystem;
using loader::test::kPage;
using loader::test::LoaderMachine;

const std::string kCabinet = vexa::test::CabinetOf({{"hello.exe", "MZ hello"}, {"data\\notes.txt", "notes"}});

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

class VexaDnldTest : public ::testing::Test {
protected:
    VexaDnldTest() { control_.SetCurrentUrl(kPage + "index.htm"); }

    std::string Dest() const { return (m_.root.path() / "dest").string(); }
    fs::path Kept(const std::string& signature) const {
        return fs::path(m_.WindowsDirectory()) / "Temporary VexaWeb Files" / "Downloaded Programs" /
               (LongSigToShortSig(signature) + ".CAB");
    }
    fs::path PieceDirectory(const std::string& signature) const {
        return fs::path(m_.WindowsDirectory()) / "Temporary VexaWeb Files" / "Temp" / ("~us" + LongSigToShortSig(signature));
    }
    bool Install(const std::string& name, std::int64_t size, std::int32_t pieces, const std::string& signature) {
        return control_.InstallProgram(name, static_cast<std::int32_t>(size), "20261210120000", pieces, 0, Dest(),
                                       signature);
    }
    // Runs the control until its job has ended with its final event.
    std::string RunJob() {
        EXPECT_TRUE(m_.RunUntil([this] { return !control_.Busy(); }));
        return m_.events.lines.empty() ? std::string() : m_.events.lines.back();
    }

    LoaderMachine m_;
    VexaDnld control_{m_.platform, m_.events};
};

TEST_F(VexaDnldTest, InstallsAFetchedCabinetKeepsItAndReportsProgress) {
    std::string signature = m_.Serve("prog.cab", kCabinet);
    ASSERT_TRUE(Install("prog.cab", kCabinet.size(), 1, signature));
    EXPECT_TRUE(control_.Busy());
    EXPECT_FALSE(Install("prog.cab", kCabinet.size(), 1, signature)) << "a busy control refuses another job";
    EXPECT_FALSE(control_.DownloadFile("prog.cab", Dest()));

    EXPECT_EQ(RunJob(), "DoneInstall " + kPage + "prog.cab");
    EXPECT_EQ(Read(fs::path(Dest()) / "data" / "notes.txt"), "notes");
    EXPECT_TRUE(VerifyFile(m_.files, Kept(signature).string(), signature));
    const std::string size = std::to_string(kCabinet.size());
    EXPECT_EQ(m_.events.lines[m_.events.lines.size() - 2],
              "Progress " + kPage + "prog.cab 100 " + size + " " + size + " 100 " + size + " " + size);
}

TEST_F(VexaDnldTest, AKeptCabinetIsExpandedAtOnceWithoutAFetch) {
    std::string signature = m_.Serve("prog.cab", kCabinet);
    ASSERT_TRUE(Install("prog.cab", kCabinet.size(), 1, signature));
    RunJob();
    fs::remove_all(Dest());
    m_.events.lines.clear();

    EXPECT_TRUE(control_.IsProgCabOnLocal("elsewhere.cab", static_cast<std::int32_t>(kCabinet.size()), "", signature));
    EXPECT_FALSE(control_.IsProgCabOnLocal("prog.cab", static_cast<std::int32_t>(kCabinet.size()) + 1, "", signature));
    ASSERT_TRUE(Install("renamed.cab", kCabinet.size(), 1, signature));
    EXPECT_EQ(m_.events.lines, std::vector<std::string>{"DoneInstall " + kPage + "renamed.cab"})
        << "raised before the call returns";
    EXPECT_FALSE(control_.Busy());
    EXPECT_EQ(m_.Fetches("renamed.cab"), 0u);
    EXPECT_EQ(Read(fs::path(Dest()) / "hello.exe"), "MZ hello");

    fs::remove_all(Dest());
    m_.events.lines.clear();
    EXPECT_TRUE(control_.InstallProgramIfOnLocal("x.cab", static_cast<std::int32_t>(kCabinet.size()), "", 1, 0, Dest(),
                                                 signature));
    EXPECT_TRUE(m_.events.lines.empty()) << "InstallProgramIfOnLocal raises nothing";
    EXPECT_TRUE(fs::exists(fs::path(Dest()) / "hello.exe"));
    EXPECT_FALSE(control_.InstallProgramIfOnLocal("x.cab", 5, "", 1, 0, Dest(), signature));
}

TEST_F(VexaDnldTest, JobsEndInTheirErrors) {
    const std::string other = vexa::test::CabinetOf({{"a.txt", "a"}});
    const std::string notACabinet = "not a cabinet at all";
    std::string goodSignature = m_.Serve("other.cab", other);
    std::string junkSignature = m_.Serve("junk.cab", notACabinet);
    m_.Serve("spoilt.cab", kCabinet);
    const struct {
        std::string name;
        std::int64_t size;
        std::string signature;
        std::string end;
    } cases[] = {
        {"spoilt.cab", static_cast<std::int64_t>(kCabinet.size()), goodSignature,
         "InstallError 5 Signature does not match " + kPage + "spoilt.cab"},
        {"missing.cab", 10, goodSignature, "InstallError 3 Download error " + kPage + "missing.cab"},
        {"junk.cab", static_cast<std::int64_t>(notACabinet.size()), junkSignature,
         "InstallError 1 Cannot expand Cab file " + kPage + "junk.cab"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Install(c.name, c.size, 1, c.signature)) << c.name;
        EXPECT_EQ(RunJob(), c.end);
    }
    EXPECT_FALSE(fs::exists(Kept(goodSignature))) << "a cabinet that fails its signature is not kept";
    EXPECT_FALSE(control_.InstallProgram("other.cab", static_cast<std::int32_t>(other.size()), "", 1, 0, "",
                                         goodSignature))
        << "no destination, no install";
}

TEST_F(VexaDnldTest, ASplitSetResumesFromThePiecesAlreadyThere) {
    std::string whole = vexa::test::CabinetOf({{"big.bin", std::string(5000, 'b') + std::string(5000, 'c')}});
    std::string signature = m_.Serve("whole", whole);
    const std::size_t piece = (whole.size() + 4) / 5;
    for (int k = 1; k <= 5; ++k) m_.internet.Script(kPage + "set.cab" + std::to_string(k), whole.substr((k - 1) * piece, piece));
    // An earlier visit ended after pieces 5 and 4 had arrived.
    for (int k : {5, 4}) Write(PieceDirectory(signature) / ("set.cab" + std::to_string(k)), whole.substr((k - 1) * piece, piece));

    ASSERT_TRUE(Install("set.cab", whole.size(), 5, signature));
    EXPECT_EQ(RunJob(), "DoneInstall " + kPage + "set.cab");
    for (int k = 1; k <= 5; ++k) EXPECT_EQ(m_.Fetches("set.cab" + std::to_string(k)), k <= 3 ? 1u : 0u) << k;
    EXPECT_EQ(Read(fs::path(Dest()) / "big.bin").size(), 10000u);
    EXPECT_FALSE(fs::exists(PieceDirectory(signature))) << "pieces and their directory go once joined";
    // The overall figures count the pieces found as done from the start.
    const std::string& firstProgress = m_.events.lines.front();
    EXPECT_TRUE(firstProgress.starts_with("Progress " + kPage + "set.cab3 ")) << firstProgress;
}

TEST_F(VexaDnldTest, ACancelTakesEffectAtTheNextProgressNotice) {
    std::string signature = m_.Serve("prog.cab", kCabinet);
    m_.internet.Script(kPage + "prog.cab", kCabinet).pieces = {10};
    ASSERT_TRUE(Install("prog.cab", kCabinet.size(), 1, signature));
    control_.CancelInstallProgram();
    EXPECT_EQ(RunJob(), "InstallWasCanceled " + kPage + "prog.cab");
    EXPECT_FALSE(fs::exists(Kept(signature)));
    EXPECT_TRUE(Install("prog.cab", kCabinet.size(), 1, signature)) << "a new job clears the cancel";
    EXPECT_EQ(RunJob(), "DoneInstall " + kPage + "prog.cab");
}

TEST_F(VexaDnldTest, DownloadFilePlacesTheFileUnderTheUrlsName) {
    m_.internet.Script(kPage + "files/readme.txt?v=2", "read me");
    ASSERT_TRUE(control_.DownloadFile("files/readme.txt?v=2", Dest()));
    EXPECT_EQ(RunJob(), "DoneInstall " + kPage + "files/readme.txt?v=2");
    EXPECT_EQ(Read(fs::path(Dest()) / "readme.txt"), "read me");

    m_.internet.Script(kPage + "files/", "a listing");
    ASSERT_TRUE(control_.DownloadFile("files/", Dest()));
    EXPECT_EQ(RunJob(), "InstallError 3 Download error " + kPage + "files/") << "a URL that names no file";
}

TEST_F(VexaDnldTest, RegistryPathsUnderNumericRootKeys) {
    constexpr std::int32_t kLocalMachine = static_cast<std::int32_t>(0x80000002u);
    EXPECT_TRUE(control_.SetRegistryKeyValue(kLocalMachine, "Software->Test->Temp Programs", "Last", "x"));
    EXPECT_EQ(control_.GetRegistryKeyValue(kLocalMachine, "Software->Test->Temp Programs", "Last"), "x");
    EXPECT_EQ(*m_.registry.ReadString(RegistryRoot::LocalMachine, {"SOFTWARE", "test", "temp programs"}, "last"), "x");
    EXPECT_EQ(control_.GetRegistryKeyValue(kLocalMachine, "Software->Test", "Missing"), "");
    EXPECT_FALSE(control_.SetRegistryKeyValue(0x1234, "Software", "a", "b")) << "not a root key";
}

TEST_F(VexaDnldTest, ClassIdentifiersAreFoundByTheirServersPath) {
    fs::path ocx = m_.root.path() / "Grid.ocx";
    fs::path dll = m_.root.path() / "lib" / "helper.dll";
    Write(ocx, "MZ");
    Write(dll, "MZ");
    auto registerClass = [this](const std::string& clsId, const fs::path& server, bool control) {
        m_.registry.WriteString(RegistryRoot::ClassesRoot, {"CLSID", clsId, "InprocServer32"}, "", server.string());
        m_.registry.WriteString(RegistryRoot::ClassesRoot, {"CLSID", clsId, "ProgID"}, "", "Test." + clsId);
        if (control) m_.registry.CreateKey(RegistryRoot::ClassesRoot, {"CLSID", clsId, "Control"});
    };
    registerClass("{00000000-0000-0000-0000-00000000000A}", dll, false);
    registerClass("{00000000-0000-0000-0000-00000000000B}", ocx, true);
    registerClass("{00000000-0000-0000-0000-00000000000C}", m_.root.path() / "other" / "GRID.OCX", true);

    EXPECT_EQ(control_.GetControlClsId(ocx.string(), true), "{00000000-0000-0000-0000-00000000000B}");
    EXPECT_EQ(control_.GetControlClsId(dll.string(), true), "") << "a library is no control";
    EXPECT_EQ(control_.GetControlOrDllClsId(dll.string(), true), "{00000000-0000-0000-0000-00000000000A}");
    EXPECT_EQ(control_.GetControlOrDllClsId((m_.root.path() / "missing.dll").string(), true), "");
    EXPECT_EQ(control_.GetControlClsId("C:\\elsewhere\\grid.ocx", false), "{00000000-0000-0000-0000-00000000000B}")
        << "by file name, in registry order";
    EXPECT_EQ(control_.ClsIdToFilename("{00000000-0000-0000-0000-00000000000B}"), ocx.string());
    EXPECT_EQ(control_.ClsIdToProgId("{00000000-0000-0000-0000-00000000000A}"),
              "Test.{00000000-0000-0000-0000-00000000000A}");
}

TEST_F(VexaDnldTest, FileAndPathUtilities) {
    fs::path a = m_.root.path() / "a.bin";
    fs::path b = m_.root.path() / "b.bin";
    Write(a, "first ");
    Write(b, "second");
    EXPECT_TRUE(control_.AddFiles(a.string(), b.string(), a.string())) << "the result may be one of its parts";
    EXPECT_EQ(Read(a), "first second");
    EXPECT_FALSE(control_.AddFiles(a.string(), (m_.root.path() / "missing").string(), b.string()));
    EXPECT_EQ(Read(b), "second") << "a failed join leaves the target";
    EXPECT_EQ(control_.GetFileSize(a.string()), 12);

    m_.components.SetFileVersion(a.string(), "2, 0, 0. 39");
    EXPECT_EQ(control_.GetFileVersion(a.string()), "2,0,0,39");
    EXPECT_EQ(control_.Filename2FilenameNoExt("C:\\x\\setup.tar.gz"), "C:\\x\\setup.tar");
    EXPECT_EQ(control_.PathnameToFilename("C:\\x/y\\z.txt"), "z.txt");
    EXPECT_EQ(control_.FullPathnameToPathname("C:\\x/y\\z.txt"), "C:\\x/y\\");
    EXPECT_EQ(control_.Cmd("longsigtoshortsig", ""), "0-0");
    EXPECT_EQ(control_.Cmd("Other", "x"), "");
    EXPECT_EQ(control_.GetWinDir().back(), static_cast<char>(fs::path::preferred_separator));

    m_.ui.screen = {1920, 1080, 16};
    EXPECT_EQ(control_.GetHorizResolution(), 1920);
    EXPECT_EQ(control_.GetVertResolution(), 1080);
    EXPECT_EQ(control_.GetNumBitsPerPixel(), 16);
    m_.files.space = DriveSpace{100, 5368709120};
    EXPECT_EQ(control_.GetDriveFreeSpace(m_.root.path().string()), 5368709120.0);
}

TEST_F(VexaDnldTest, TemporarySubDirectoriesAreNew) {
    std::string first = control_.CreateTempSubDirectory("~pr");
    std::string second = control_.CreateTempSubDirectory("~pr");
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);
    EXPECT_TRUE(fs::is_directory(first));
    EXPECT_EQ(first.back(), static_cast<char>(fs::path::preferred_separator));
    EXPECT_TRUE(fs::path(first).parent_path().filename().string().starts_with("~pr"));
    EXPECT_FALSE(fs::exists(first.substr(0, first.size() - 1) + ".tmp")) << "the system's temporary file is deleted";
    fs::remove(first);
    fs::remove(second);
}

TEST_F(VexaDnldTest, ExecutingIsAskedOnlyOfItsOwnProcesses) {
    std::int32_t handle = control_.Execute2("signer.exe", "/sign \"a b.cab\"", true);
    ASSERT_NE(handle, 0);
    EXPECT_EQ(m_.processes.Starts().back().arguments, "/sign \"a b.cab\"");
    EXPECT_EQ(m_.processes.Starts().back().show, WindowShow::Hidden);
    EXPECT_TRUE(control_.IsExecuting(handle));
    EXPECT_FALSE(control_.IsExecuting(handle + 1));
    m_.processes.Exit(static_cast<ProcessHandle>(handle));
    EXPECT_FALSE(control_.IsExecuting(handle));
    m_.processes.FailEveryStart();
    EXPECT_EQ(control_.Execute2("missing.exe", "", false), 0);
}

TEST_F(VexaDnldTest, DialogsAndTheTableAgree) {
    m_.ui.Answer(std::string("/home/a"));
    EXPECT_EQ(control_.SelectDirectory(0), "/home/a" + std::string(1, static_cast<char>(fs::path::preferred_separator)));
    m_.ui.Answer(std::nullopt);
    EXPECT_EQ(control_.SelectDirectory2(0, "Where?"), "");
    EXPECT_EQ(m_.ui.Questions().front().title, "Select a directory.");
    EXPECT_EQ(m_.ui.Questions().back().title, "Where?");

    const auto& table = VexaDnldDispatch();
    EXPECT_EQ(table.FindMethod("AboutBox")->id, -552);
    EXPECT_EQ(table.FindMethod("TextToLines")->id, 53);
    EXPECT_EQ(table.FindMethod("GetDriveFreeSpace")->result, ValueType::Double);
    EXPECT_EQ(table.FindMethod("installprogram")->parameters.size(), 7u);
}

}  // namespace
}  // namespace vexa::download
