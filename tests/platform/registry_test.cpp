// The same contract for the system's registry (SQLite in the prefix on POSIX, advapi32 on
// Windows) and for the fake that tests of the core use.

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "platform/fake/fake_registry.hpp"
#include "platform/native.hpp"

namespace vexa {
namespace {

using Levels = std::vector<std::string>;

constexpr RegistryRoot kRoots[] = {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser, RegistryRoot::ClassesRoot};
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

struct NativeStore {
    NativePlatform platform;
    Registry& registry = platform.Get().registry;
};

struct FakeStore {
    FakeRegistry registry;
};

Levels Upper(Levels levels) {
    for (std::string& level : levels) std::transform(level.begin(), level.end(), level.begin(), ::toupper);
    return levels;
}

Levels Sorted(Levels names) {
    std::sort(names.begin(), names.end());
    return names;
}

// Each test works below a key of its own, which it removes under every root at the end:
// the system's registry outlives the test.
template <typename Store>
class RegistryContract : public ::testing::Test {
protected:
    void TearDown() override {
        for (RegistryRoot root : kRoots) registry_.DeleteKey(root, Below({}));
    }

    Levels Below(const Levels& levels) const {
        Levels key = {"Software", "VexaWeb test " + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())};
        key.insert(key.end(), levels.begin(), levels.end());
        return key;
    }

    Store store_;
    Registry& registry_ = store_.registry;
};

using Stores = ::testing::Types<NativeStore, FakeStore>;
TYPED_TEST_SUITE(RegistryContract, Stores);

TYPED_TEST(RegistryContract, WritingCreatesTheKeysAndStringsReadBack) {
    Registry& registry = this->registry_;
    const Levels key = this->Below({"Brindell Wayfarer", "Reg"});
    EXPECT_FALSE(registry.KeyExists(kMachine, key));
    EXPECT_EQ(registry.ReadString(kMachine, key, "WebDirSize"), std::nullopt);

    ASSERT_TRUE(registry.WriteString(kMachine, key, "WebDirSize", "1024"));
    EXPECT_TRUE(registry.KeyExists(kMachine, this->Below({"Brindell Wayfarer"})));
    EXPECT_EQ(registry.ReadString(kMachine, key, "WebDirSize"), "1024");
    EXPECT_EQ(registry.ReadString(kMachine, key, "NumScripts"), std::nullopt);

    // Overwritten, emptied (an empty string is still a value), 8-bit text, the default value.
    ASSERT_TRUE(registry.WriteString(kMachine, key, "WebDirSize", "2048"));
    EXPECT_EQ(registry.ReadString(kMachine, key, "WebDirSize"), "2048");
    ASSERT_TRUE(registry.WriteString(kMachine, key, "WebDirSize", ""));
    EXPECT_EQ(registry.ReadString(kMachine, key, "WebDirSize"), "");
    ASSERT_TRUE(registry.WriteString(kMachine, key, "NumScripts", "caf\xe9"));
    EXPECT_EQ(registry.ReadString(kMachine, key, "NumScripts"), "caf\xe9");
    ASSERT_TRUE(registry.WriteString(kMachine, key, "", "C:\\Program Files\\Product\\"));
    EXPECT_EQ(registry.ReadString(kMachine, key, ""), "C:\\Program Files\\Product\\");
    EXPECT_EQ(Sorted(registry.ValueNames(kMachine, key)), (Levels{"", "NumScripts", "WebDirSize"}));

    ASSERT_TRUE(registry.CreateKey(kMachine, this->Below({"Empty", "Key"})));
    EXPECT_TRUE(registry.KeyExists(kMachine, this->Below({"Empty", "Key"})));
    EXPECT_TRUE(registry.ValueNames(kMachine, this->Below({"Empty", "Key"})).empty());
    EXPECT_TRUE(registry.KeyExists(kMachine, {}));
}

TYPED_TEST(RegistryContract, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
    Registry& registry = this->registry_;
    const Levels key = this->Below({"Installed Programs", "My Product"});
    ASSERT_TRUE(registry.WriteString(RegistryRoot::CurrentUser, key, "Directory", "one"));
    EXPECT_TRUE(registry.KeyExists(RegistryRoot::CurrentUser, Upper(key)));
    EXPECT_EQ(registry.ReadString(RegistryRoot::CurrentUser, Upper(key), "DIRECTORY"), "one");

    ASSERT_TRUE(registry.WriteString(RegistryRoot::CurrentUser, Upper(key), "directory", "two"));
    ASSERT_TRUE(registry.CreateKey(RegistryRoot::CurrentUser, this->Below({"INSTALLED PROGRAMS", "my product"})));
    EXPECT_EQ(registry.ReadString(RegistryRoot::CurrentUser, key, "Directory"), "two");
    EXPECT_EQ(registry.ValueNames(RegistryRoot::CurrentUser, key), Levels{"Directory"});
    EXPECT_EQ(registry.SubKeys(RegistryRoot::CurrentUser, this->Below({})), Levels{"Installed Programs"});
    EXPECT_EQ(registry.SubKeys(RegistryRoot::CurrentUser, this->Below({"installed programs"})), Levels{"My Product"});
}

TYPED_TEST(RegistryContract, SubKeysAreListedAlphabeticallyWithoutRegardToCase) {
    Registry& registry = this->registry_;
    // Letters, digits and the marks of class identifiers only: where "_" and the like sort
    // among the letters differs between Windows and Wine.
    for (const char* name : {"beta", "Alpha", "{B-2}", "Gamma", "delta", "a9", "a10", "{a-1}"})
        ASSERT_TRUE(registry.CreateKey(kMachine, this->Below({"CLSID", name})));
    ASSERT_TRUE(registry.WriteString(kMachine, this->Below({"CLSID", "beta", "InprocServer32"}), "", "x.dll"));
    ASSERT_TRUE(registry.WriteString(kMachine, this->Below({"CLSID"}), "not a key", "x"));
    EXPECT_EQ(registry.SubKeys(kMachine, this->Below({"CLSID"})),
              (Levels{"a10", "a9", "Alpha", "beta", "delta", "Gamma", "{a-1}", "{B-2}"}));
    EXPECT_EQ(registry.SubKeys(kMachine, this->Below({"CLSID", "beta"})), Levels{"InprocServer32"});
    EXPECT_TRUE(registry.SubKeys(kMachine, this->Below({"CLSID", "missing"})).empty());
}

TYPED_TEST(RegistryContract, DeletingAKeyTakesEverythingBelowIt) {
    Registry& registry = this->registry_;
    const Levels top = this->Below({"Temp Programs"});
    auto under = [&](Levels levels) {
        levels.insert(levels.begin(), top.begin(), top.end());
        return levels;
    };
    ASSERT_TRUE(registry.WriteString(kMachine, under({"run2"}), "Dir", "kept"));
    ASSERT_TRUE(registry.WriteString(kMachine, under({"run1"}), "Dir", "gone"));
    ASSERT_TRUE(registry.WriteString(kMachine, under({"run1", "inner"}), "", "gone too"));

    ASSERT_TRUE(registry.DeleteKey(kMachine, under({"RUN1"})));
    EXPECT_FALSE(registry.KeyExists(kMachine, under({"run1"})));
    EXPECT_FALSE(registry.KeyExists(kMachine, under({"run1", "inner"})));
    EXPECT_EQ(registry.SubKeys(kMachine, top), Levels{"run2"});
    EXPECT_EQ(registry.ReadString(kMachine, under({"run2"}), "Dir"), "kept");

    // Made again, the newest key starts empty, even in a store that reuses its place.
    ASSERT_TRUE(registry.WriteString(kMachine, under({"run3"}), "Dir", "gone"));
    ASSERT_TRUE(registry.DeleteKey(kMachine, under({"run3"})));
    ASSERT_TRUE(registry.CreateKey(kMachine, under({"run3"})));
    EXPECT_TRUE(registry.ValueNames(kMachine, under({"run3"})).empty());

    EXPECT_FALSE(registry.DeleteKey(kMachine, under({"missing"})));
    EXPECT_FALSE(registry.DeleteKey(kMachine, {}));
    EXPECT_TRUE(registry.KeyExists(kMachine, this->Below({})));
}

TYPED_TEST(RegistryContract, DeletingValues) {
    Registry& registry = this->registry_;
    const Levels key = this->Below({"Reg"});
    ASSERT_TRUE(registry.WriteString(kMachine, key, "WebDirSize", "1"));
    ASSERT_TRUE(registry.WriteString(kMachine, key, "", "default"));

    EXPECT_TRUE(registry.DeleteValue(kMachine, key, "WEBDIRSIZE"));
    EXPECT_EQ(registry.ReadString(kMachine, key, "WebDirSize"), std::nullopt);
    EXPECT_FALSE(registry.DeleteValue(kMachine, key, "WebDirSize"));
    EXPECT_TRUE(registry.DeleteValue(kMachine, key, ""));
    EXPECT_TRUE(registry.ValueNames(kMachine, key).empty());
    EXPECT_TRUE(registry.KeyExists(kMachine, key));
    EXPECT_FALSE(registry.DeleteValue(kMachine, this->Below({"missing"}), "WebDirSize"));
}

TYPED_TEST(RegistryContract, EachRootHasItsOwnKeys) {
    Registry& registry = this->registry_;
    const Levels key = this->Below({"Shared Name"});
    for (RegistryRoot root : kRoots)
        ASSERT_TRUE(registry.WriteString(root, key, "Root", std::to_string(static_cast<int>(root))));
    for (RegistryRoot root : kRoots)
        EXPECT_EQ(registry.ReadString(root, key, "Root"), std::to_string(static_cast<int>(root)));
    ASSERT_TRUE(registry.DeleteKey(RegistryRoot::CurrentUser, key));
    EXPECT_TRUE(registry.KeyExists(kMachine, key));
    EXPECT_TRUE(registry.KeyExists(RegistryRoot::ClassesRoot, key));
}

TYPED_TEST(RegistryContract, ThreadsSharingOneRegistryLoseNothing) {
    Registry& registry = this->registry_;
    const Levels key = this->Below({"Counters"});
    constexpr int kThreads = 4;
    constexpr int kWrites = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kWrites; ++i) {
                std::string name = std::to_string(t) + "-" + std::to_string(i);
                registry.WriteString(kMachine, key, name, name);
                registry.CreateKey(kMachine, this->Below({"Counters", "Thread " + std::to_string(t)}));
            }
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(registry.ValueNames(kMachine, key).size(), std::size_t{kThreads * kWrites});
    EXPECT_EQ(registry.SubKeys(kMachine, key).size(), std::size_t{kThreads});
    EXPECT_EQ(registry.ReadString(kMachine, key, "3-24"), "3-24");
}

}  // namespace
}  // namespace vexa
