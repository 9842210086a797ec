#include "loader/cache.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/format_path.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/fake_registry.hpp"
#include "platform/native.hpp"
#include "signature/signature.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::loader {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kCounterKey = {"SOFTWARE", "Brindell Wayfarer", "Reg"};

// Real files in a fresh folder; the clock and the registry are fakes, so ages and counters
// are whatever a test makes them.
class LocalCacheTest : public ::testing::Test {
protected:
    void SetUp() override { clock_.SetLocalNow(now_); }

    Files& files() { return native_.Get().files; }
    std::string Temp() { return cache_.GetTempFolder(); }
    std::string MakeDir(const std::string& folder, const std::string& name) {
        fs::create_directories(folder + name);
        return folder + name;
    }
    std::string MakeFile(const std::string& folder, const std::string& name, const std::string& bytes = "") {
        testing::WriteFile(folder + name, bytes);
        return folder + name;
    }
    void Age(const std::string& path, std::int64_t seconds) {
        ASSERT_TRUE(files().SetFileTime(path, TimeStampFromSeconds(TimeStampSeconds(now_) - seconds), false)) << path;
    }
    std::string StoredCounter(const char* name) {
        return registry_.ReadString(RegistryRoot::LocalMachine, kCounterKey, name).value_or("");
    }
    // Makes every entry of `folder` a "*.CAB" file of `size` bytes (sparse where the disk allows).
    void FillCache(const std::string& folder, int count, std::uint64_t size) {
        for (int i = 0; i < count; ++i) fs::resize_file(MakeFile(folder, std::to_string(i) + ".CAB"), size);
    }
    static std::size_t CountIn(const std::string& folder) {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }

    testing::TempDir dir_;
    NativePlatform native_;
    FakeClock clock_{123456};
    FakeRegistry registry_;
    TimeStamp now_{2026, 6, 15, 12, 0, 0};
    LocalCache cache_{files(), clock_, registry_, (dir_.path() / "windows").string()};
};

TEST_F(LocalCacheTest, FoldersAreMadeUnderTheWindowsDirectoryWhenAskedFor) {
    std::string root = (dir_.path() / "windows" / "Temporary VexaWeb Files").string() + kNativeSeparator;
    EXPECT_EQ(cache_.GetCacheRoot(), root);
    EXPECT_EQ(cache_.GetTempFolder(), root + "Temp" + kNativeSeparator);
    EXPECT_EQ(cache_.GetInstalledScriptsFolder(), root + "Installed Scripts" + kNativeSeparator);
    EXPECT_EQ(cache_.GetDownloadedProgramsFolder(), root + "Downloaded Programs" + kNativeSeparator);
    for (const auto& folder : {"Temp", "Installed Scripts", "Downloaded Programs"})
        EXPECT_TRUE(fs::is_directory(root + folder)) << folder;
}

TEST_F(LocalCacheTest, UniqueDirectoriesTakeTheTickCountThenNumberedFallbacks) {
    std::string first = cache_.MakeUniqueTempDir("~pr");
    EXPECT_EQ(first, Temp() + "~pr123456" + kNativeSeparator);
    EXPECT_TRUE(fs::is_directory(first));
    EXPECT_EQ(cache_.MakeUniqueTempDir("~pr"), Temp() + "~pr1234560" + kNativeSeparator);
    for (int i = 1; i <= 300; ++i) MakeDir(Temp(), "~tm123456" + std::to_string(i));
    MakeDir(Temp(), "~tm123456");
    MakeDir(Temp(), "~tm1234560");
    EXPECT_EQ(cache_.MakeUniqueTempDir("~tm"), "");
    fs::remove(Temp() + "~tm123456300");
    EXPECT_EQ(cache_.MakeUniqueTempDir("~tm"), Temp() + "~tm123456300" + kNativeSeparator);
}

TEST_F(LocalCacheTest, RemoveTempTreeTakesOnlyRunPieceAndWorkDirectoriesOfTheTemporaryFolder) {
    std::string outside = MakeDir(dir_.path().string() + kNativeSeparator, "~pr1");
    std::string other = MakeDir(Temp(), "~xx1");
    std::string nested = MakeDir(Temp(), std::string("~pr2") + kNativeSeparator + "~tm3");
    for (const std::string& refused : {outside, other, Temp(), Temp() + "~pr2" + kNativeSeparator + ".." + kNativeSeparator + "~pr2",
                                       std::string()}) {
        EXPECT_FALSE(cache_.RemoveTempTree(refused)) << refused;
    }
    EXPECT_TRUE(fs::exists(outside) && fs::exists(other) && fs::exists(nested));

    for (std::string name : {"~pr5", "~US6", "~Tm7"}) {
        std::string tree = MakeDir(Temp(), name);
        MakeFile(tree + kNativeSeparator, "inside", "x");
        EXPECT_TRUE(cache_.RemoveTempTree(tree + kNativeSeparator)) << name;
        EXPECT_FALSE(fs::exists(tree)) << name;
    }
}

TEST_F(LocalCacheTest, KeptCabinetsAreFoundByContentAndCountedOnce) {
    std::string program = MakeFile(dir_.path().string() + kNativeSeparator, "program.cab", std::string(5000, 'p'));
    std::string script = MakeFile(dir_.path().string() + kNativeSeparator, "script.cab", "script bytes");
    EXPECT_FALSE(cache_.FindCachedCab(program, CacheKind::Program));

    ASSERT_TRUE(cache_.KeepCachedCab(program, CacheKind::Program));
    ASSERT_TRUE(cache_.KeepCachedCab(program, CacheKind::Program));
    ASSERT_TRUE(cache_.KeepCachedCab(script, CacheKind::Script));
    std::string entry = cache_.GetDownloadedProgramsFolder() +
                        LongSigToShortSig(GenerateFileSignature(files(), program)) + ".CAB";
    EXPECT_EQ(testing::ReadFile(entry), std::string(5000, 'p'));
    EXPECT_EQ(files().LastWriteTime(entry), now_);
    EXPECT_EQ(cache_.ReadCacheCounter(kWebDirSize), 5000u);
    EXPECT_EQ(cache_.ReadCacheCounter(kNumScripts), 1u);
    EXPECT_TRUE(cache_.FindCachedCab(program, CacheKind::Program));
    EXPECT_TRUE(cache_.FindCachedCab(script, CacheKind::Script));
    EXPECT_FALSE(cache_.FindCachedCab(script, CacheKind::Program));
    // Nothing of the work is left behind.
    EXPECT_EQ(CountIn(Temp()), 0u);

    // An entry whose bytes no longer match its name is not the cabinet.
    testing::WriteFile(entry, std::string(4999, 'p') + "q");
    EXPECT_FALSE(cache_.FindCachedCab(program, CacheKind::Program));
}

TEST_F(LocalCacheTest, CountersCarryAChecksumAndAreRecomputedWhenItFails) {
    FillCache(cache_.GetDownloadedProgramsFolder(), 2, 700);
    MakeFile(cache_.GetDownloadedProgramsFolder(), "notes.txt", "not counted");
    cache_.WriteCacheCounter(kWebDirSize, 5);
    std::string stored = StoredCounter(kWebDirSize);
    EXPECT_EQ(stored, "5'" + std::to_string(SignatureChecksum(reinterpret_cast<const unsigned char*>("5"), 1)));
    EXPECT_EQ(cache_.ReadCacheCounter(kWebDirSize), 5u);  // a valid value is trusted

    for (const std::string& edited : {std::string("9") + stored.substr(1), std::string("1400"), std::string("'"),
                                      std::string("x'") + stored.substr(2), std::string()}) {
        registry_.WriteString(RegistryRoot::LocalMachine, kCounterKey, kWebDirSize, edited);
        EXPECT_EQ(cache_.ReadCacheCounter(kWebDirSize), 1400u) << edited;
    }
    registry_.DeleteValue(RegistryRoot::LocalMachine, kCounterKey, kWebDirSize);
    EXPECT_EQ(cache_.ReadCacheCounter(kWebDirSize), 1400u);
    EXPECT_EQ(StoredCounter(kWebDirSize).substr(0, 5), "1400'");

    // A counter recomputed while a cabinet is kept counts that cabinet once.
    registry_.WriteString(RegistryRoot::LocalMachine, kCounterKey, kWebDirSize, "garbage");
    std::string program = MakeFile(dir_.path().string() + kNativeSeparator, "new.cab", std::string(100, 'n'));
    ASSERT_TRUE(cache_.KeepCachedCab(program, CacheKind::Program));
    EXPECT_EQ(cache_.ReadCacheCounter(kWebDirSize), 1500u);
}

TEST_F(LocalCacheTest, HousekeepingSparesLiveProductDirectoriesAndRemovesAbandonedOnes) {
    std::string live = MakeDir(Temp(), "~pr1");
    auto held = files().CreateHeldFile(live + kNativeSeparator + kHeldMarkerName);
    ASSERT_NE(held, nullptr);
    std::string ended = MakeDir(Temp(), "~pr2");
    MakeFile(ended + kNativeSeparator, kHeldMarkerName);
    MakeFile(ended + kNativeSeparator, "program.exe", "x");
    std::string unmarked = MakeDir(Temp(), "~pr3");

    auto report = cache_.Housekeep();
    EXPECT_TRUE(fs::exists(live + kNativeSeparator + kHeldMarkerName));
    EXPECT_FALSE(fs::exists(ended));
    EXPECT_FALSE(fs::exists(unmarked));
    EXPECT_EQ(report.removed.size(), 2u);
    EXPECT_EQ(report.running, std::vector<std::string>{fs::path(live).string()});

    held.reset();
    cache_.Housekeep();
    EXPECT_FALSE(fs::exists(live));
}

TEST_F(LocalCacheTest, HousekeepingRemovesEntriesByTheirAge) {
    struct Case {
        std::string name;
        bool directory;
        std::string bytes;
        std::int64_t age;
        bool removed;
    };
    const std::int64_t day = 86400, hour = 3600;
    const Case cases[] = {
        {"~dl1.tmp", false, "", 5 * day - 1, false},  // four whole days
        {"~dl2.tmp", false, "", 5 * day, true},
        {"~dl3.tmp", false, "x", 50 * day, false},  // a marker that holds data stays
        {"~ab4.tmp", false, "", 50 * day, false},
        {"~us5", true, "", 30 * day - 1, false},  // twenty-nine whole days
        {"~us6", true, "", 30 * day, true},
        {"~tm7", true, "", 2 * hour - 1, false},  // one whole hour
        {"~tm8", true, "", 2 * hour, true},
        {"~tm9", true, "", -day, false},  // written "in the future"
    };
    for (const Case& c : cases) {
        std::string path = c.directory ? MakeDir(Temp(), c.name) : MakeFile(Temp(), c.name, c.bytes);
        Age(path, c.age);
    }
    cache_.Housekeep();
    for (const Case& c : cases) EXPECT_EQ(fs::exists(Temp() + c.name), !c.removed) << c.name;
}

TEST_F(LocalCacheTest, ScriptCacheKeepsUpTo1999EntriesAndHalvesAt2000) {
    std::string scripts = cache_.GetInstalledScriptsFolder();
    FillCache(scripts, 1999, 0);
    cache_.Housekeep();
    EXPECT_EQ(CountIn(scripts), 1999u);
    MakeFile(scripts, "one more.CAB");
    cache_.WriteCacheCounter(kNumScripts, 2000);
    cache_.Housekeep();
    EXPECT_EQ(CountIn(scripts), 1000u);
    EXPECT_EQ(cache_.ReadCacheCounter(kNumScripts), 1000u);
}

TEST_F(LocalCacheTest, ProgramCacheOverItsLimitLosesAtLeastTenMillionBytes) {
    std::string programs = cache_.GetDownloadedProgramsFolder();
    FillCache(programs, 3, 6'000'000);
    cache_.Housekeep();  // 18 MB is below the limit of any real drive
    EXPECT_EQ(CountIn(programs), 3u);
    cache_.WriteCacheCounter(kWebDirSize, 3'000'000'000);
    auto report = cache_.Housekeep();
    EXPECT_EQ(CountIn(programs), 1u);
    EXPECT_EQ(report.removed.size(), 2u);
    EXPECT_EQ(cache_.ReadCacheCounter(kWebDirSize), 6'000'000u);
}

TEST_F(LocalCacheTest, ClearingEmptiesBothCachesAndSparesLiveRuns) {
    FillCache(cache_.GetDownloadedProgramsFolder(), 3, 10);
    FillCache(cache_.GetInstalledScriptsFolder(), 2, 10);
    std::string live = MakeDir(Temp(), "~pr1");
    auto held = files().CreateHeldFile(live + kNativeSeparator + kHeldMarkerName);
    std::string work = MakeDir(Temp(), "~tm2");  // may be in use by a run

    EXPECT_EQ(cache_.Clear().removed.size(), 5u);
    EXPECT_EQ(CountIn(cache_.GetDownloadedProgramsFolder()) + CountIn(cache_.GetInstalledScriptsFolder()), 0u);
    EXPECT_EQ(cache_.ReadCacheCounter(kWebDirSize), 0u);
    EXPECT_EQ(StoredCounter(kNumScripts).substr(0, 2), "0'");
    EXPECT_TRUE(fs::exists(live) && fs::exists(work));
}

TEST(ProgramCacheLimit, IsFivePercentOfTheDriveWithinItsBounds) {
    EXPECT_EQ(ProgramCacheLimit(0), 10'000'000u);
    EXPECT_EQ(ProgramCacheLimit(100ull * 1024 * 1024), 10'000'000u);
    EXPECT_EQ(ProgramCacheLimit(1'000'000'000), 50'000'000u);
    EXPECT_EQ(ProgramCacheLimit(100ull * 1024 * 1024 * 1024), 2'147'483'647u);
}

}  // namespace
}  // namespace vexa::loader
