// The control on the system's own windows and clock: worker threads post real messages
// and the overwrite hand-shake polls in real time.

#include "tests/cabinet/control_fixture.hpp"

namespace vexa::testing {
namespace {

TEST(ControlOnSystemWindows, MakesAndExpandsWithEventsPostedByTheWorker) {
    TempDir dir;
    NativePlatform native;
    Platform& platform = native.Get();
    CabinetJobs jobs;
    EventRecorder events;
    VexaCB control(platform, jobs, events, kStub);
    auto runUntil = [&](const std::string& name, std::size_t count) {
        bool seen = platform.windows.RunUntil([&] { return events.Count(name) == count; }, 30'000);
        jobs.WaitForWorker();
        return seen;
    };

    WriteFile(dir / "a.txt", "alpha");
    WriteFile(dir / "b.txt", "beta");
    control.AddFileToCabImage(dir / "a.txt", "");
    control.AddFileToCabImage(dir / "b.txt", "sub\\b.txt");
    ASSERT_TRUE(control.MakeCabFile(dir / "two.cab", 0));
    ASSERT_TRUE(runUntil("MakeCabDone", 1));

    ASSERT_TRUE(control.OpenCabForExpansion(dir / "two.cab"));
    ASSERT_TRUE(control.ExpandCabFile(dir / "out"));
    ASSERT_TRUE(runUntil("ExpandCabDone", 1));
    WriteFile(dir / "out/a.txt", "changed");
    ASSERT_TRUE(control.ExpandCabFile(dir / "out"));
    ASSERT_TRUE(runUntil("ExpandCabDone", 2));

    EXPECT_EQ(events.Count("ExpandCabOverwriteExistingFile"), 1u);
    EXPECT_EQ(events.Last().Long(2), 2);
    EXPECT_EQ(ReadFile(dir / "out/a.txt"), "alpha");
    EXPECT_EQ(ReadFile(dir / "out/sub/b.txt"), "beta");
}

}  // namespace
}  // namespace vexa::testing
