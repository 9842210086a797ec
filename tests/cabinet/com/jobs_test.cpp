#include <windows.h>
#include <initguid.h>

#include <filesystem>

#include "cabinet/cab_dispatch.hpp"
#include "cabinet/com/vexacb.h"
#include "tests/cabinet/com/vexacb_support.hpp"

namespace vexa::test {
namespace {

namespace fs = std::filesystem;

constexpr DWORD kJobLimitMs = 30000;

using Jobs = VexaCBTest;

TEST_F(Jobs, AMadeCabinetReachesAdvisedSinksAsMakeCabDone) {
    testing::WriteFile(Path("a.txt"), std::string(5000, 'a'));
    ComPtr<IDispatch> control = CreateCabinetControl();
    EventRecorder sink;
    EventConnection connection(control.Get(), DIID__DVexaCBEvents, &sink);
    ASSERT_TRUE(connection.Connected());
    EXPECT_EQ(Call(control.Get(), "AddFileToCabImage", {Path("a.txt"), std::string("a.txt")}), Value(true));
    ASSERT_EQ(Call(control.Get(), "MakeCabFile", {Path("a.cab"), std::int32_t{0}}), Value(true));

    ASSERT_TRUE(PumpUntil([&] { return sink.Find(kMakeCabDone) || sink.Find(kMakeCabError); }, kJobLimitMs));
    const RecordedEvent* done = sink.Find(kMakeCabDone);
    ASSERT_TRUE(done);
    ASSERT_EQ(done->arguments.size(), 3u);
    EXPECT_EQ(done->arguments[0], Value(Path("a.cab")));
    EXPECT_EQ(done->arguments[1], Value(std::int32_t{5000}));
    EXPECT_GT(std::get<std::int32_t>(done->arguments[2]), 0);
    EXPECT_TRUE(fs::is_regular_file(Path("a.cab")));
}

// Every control of the process shares the one worker, whichever made it first.
TEST_F(Jobs, OneJobRunsInTheProcessAtATime) {
    const std::string big = WriteNoise("big.bin", 8 << 20);
    ComPtr<IDispatch> first = CreateCabinetControl(), second = CreateCabinetControl();
    EventRecorder sink;
    EventConnection connection(first.Get(), DIID__DVexaCBEvents, &sink);
    for (IDispatch* control : {first.Get(), second.Get()})
        Call(control, "AddFileToCabImage", {big, std::string("big.bin")});
    ASSERT_EQ(Call(first.Get(), "MakeCabFile", {Path("first.cab"), std::int32_t{0}}), Value(true));
    EXPECT_EQ(Call(second.Get(), "MakeCabFile", {Path("second.cab"), std::int32_t{0}}), Value(false));

    ASSERT_TRUE(PumpUntil([&] { return sink.Find(kMakeCabDone) || sink.Find(kMakeCabError); }, kJobLimitMs));
    ASSERT_TRUE(PumpUntil([&] { return Call(second.Get(), "OpenCabForExpansion", {Path("first.cab")}) == Value(true); },
                          kJobLimitMs))
        << "the worker is free once its job has ended";
    EXPECT_EQ(Call(second.Get(), "GetNumFilesInCab"), Value(std::int32_t{1}));
}

// The jobs go with the last control, so a page that goes away stops its job, and the
// library can unload at once.
TEST_F(Jobs, ReleasingTheLastControlCancelsItsJobAndLeavesNothing) {
    const std::string big = WriteNoise("big.bin", 8 << 20);
    ComPtr<IDispatch> control = CreateCabinetControl();
    Call(control.Get(), "AddFileToCabImage", {big, std::string("big.bin")});
    ASSERT_EQ(Call(control.Get(), "MakeCabFile", {Path("big.cab"), std::int32_t{0}}), Value(true));
    control.Reset();
    EXPECT_EQ(CallExport("DllCanUnloadNow"), S_OK);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir_.path())) left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"big.bin"});
}

// The program every self-extracting cabinet begins with is the one the library carries.
TEST_F(Jobs, Cab2ExeWritesTheStubTheLibraryCarriesBeforeTheCabinet) {
    testing::WriteFile(Path("a.cab"), "MSCF and the rest of a cabinet");
    ComPtr<IDispatch> control = CreateCabinetControl();
    ASSERT_EQ(Call(control.Get(), "Cab2Exe", {Path("a.cab"), Path("a.exe")}), Value(true));
    const std::string stub = testing::ReadFile(VEXA_SFX_STUB);
    ASSERT_FALSE(stub.empty()) << VEXA_SFX_STUB;
    EXPECT_EQ(testing::ReadFile(Path("a.exe")), stub + testing::ReadFile(Path("a.cab")));
}

}  // namespace
}  // namespace vexa::test
