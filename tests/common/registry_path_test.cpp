#include "common/registry_path.hpp"

#include <gtest/gtest.h>

namespace vexa {
namespace {

using Levels = std::vector<std::string>;

TEST(RegistryPath, SplitsIntoLevels) {
    EXPECT_EQ(SplitRegistryPath("SOFTWARE->Microsoft->Windows->CurrentVersion"),
              (Levels{"SOFTWARE", "Microsoft", "Windows", "CurrentVersion"}));
    EXPECT_EQ(SplitRegistryPath("Software->Brindell Wayfarer->Temp Programs"),
              (Levels{"Software", "Brindell Wayfarer", "Temp Programs"}));
    EXPECT_EQ(SplitRegistryPath("CLSID->{5A7E1C42-3B9D-4F60-8E21-C7D4A9B03F15}->InprocServer32"),
              (Levels{"CLSID", "{5A7E1C42-3B9D-4F60-8E21-C7D4A9B03F15}", "InprocServer32"}));
    EXPECT_EQ(SplitRegistryPath("Single"), (Levels{"Single"}));
    EXPECT_EQ(SplitRegistryPath("a-b>c->d"), (Levels{"a-b>c", "d"}));
    EXPECT_EQ(SplitRegistryPath("->A->->B->"), (Levels{"A", "B"}));
    EXPECT_EQ(SplitRegistryPath(""), Levels{});
}

TEST(RegistryPath, BackslashesSplitAsArrowsDo) {
    EXPECT_EQ(SplitRegistryPath("SOFTWARE\\Brindell Wayfarer\\Reg"), (Levels{"SOFTWARE", "Brindell Wayfarer", "Reg"}));
    EXPECT_EQ(SplitRegistryPath("Software->Classes\\CLSID->{X}"), (Levels{"Software", "Classes", "CLSID", "{X}"}));
    EXPECT_EQ(SplitRegistryPath("\\A\\\\B->\\C\\"), (Levels{"A", "B", "C"}));
    EXPECT_EQ(SplitRegistryPath("a-\\>b"), (Levels{"a-", ">b"}));
}

}  // namespace
}  // namespace vexa
