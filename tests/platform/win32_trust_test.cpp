#include <gtest/gtest.h>

#include <string>

#include "platform/native.hpp"
#include "tests/support/memory_cabinet.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/under_wine.hpp"

namespace vexa {
namespace {

// With an unsigned file the system's check refuses at once, without a dialog to wait for.
TEST(Win32Trust, UnsignedFilesAreRefused) {
    testing::TempDir dir;
    std::string cabinet = dir / "unsigned.cab";
    testing::WriteFile(cabinet, test::MakeCabinet({{"readme.txt", "not signed by anyone"}}));
    NativePlatform platform;
    Trust& trust = platform.Get().trust;
    ASSERT_TRUE(trust.Available());
    EXPECT_FALSE(trust.Verify(cabinet, TrustSubject::Cabinet));
    EXPECT_FALSE(trust.Verify(VEXA_SHELL_FIXTURE, TrustSubject::PortableExecutable));
    EXPECT_FALSE(trust.Verify(cabinet, TrustSubject::RawFile));
    EXPECT_FALSE(trust.Verify(dir / "missing.exe", TrustSubject::PortableExecutable));
}

// Signed by a certificate made for the test, whose root nobody trusts: Windows refuses both.
// Wine's check does not judge the root and accepts them, which still shows that each subject
// type leads the check to the file's signature (a wrong type refuses every signed file).
TEST(Win32Trust, SignedFilesAreJudgedByTheirCertificate) {
    if (std::string(VEXA_SIGNED_PROGRAM).empty()) GTEST_SKIP() << "osslsigncode, openssl or gcab was not found";
    NativePlatform platform;
    Trust& trust = platform.Get().trust;
    EXPECT_EQ(trust.Verify(VEXA_SIGNED_PROGRAM, TrustSubject::PortableExecutable), test::UnderWine());
    EXPECT_EQ(trust.Verify(VEXA_SIGNED_CABINET, TrustSubject::Cabinet), test::UnderWine());
}

}  // namespace
}  // namespace vexa
