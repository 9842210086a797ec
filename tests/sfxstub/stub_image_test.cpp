// The stub as the libraries that write self-extracting cabinets carry it: the padded
// program, byte for byte, from where the system keeps it (a resource on Windows).

#include "sfxstub/stub_image.hpp"

#include <gtest/gtest.h>

#include "cabinet/self_extracting.hpp"
#include "tests/sfxstub/stub_fixtures.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::sfx {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(SelfExtractStub, IsThePaddedStubProgramAndGoesFirstInEverySelfExtractingCabinet) {
    TempDir dir;
    Files& files = testing::SystemFiles();
    const std::string program = ReadFile(VEXA_SFXSTUB_PROGRAM);
    const std::span<const unsigned char> stub = SelfExtractStub();
    ASSERT_EQ(program.size(), std::uint64_t{VEXA_SFX_STUB_SIZE});
    ASSERT_EQ(stub.size(), program.size());
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(stub.data()), stub.size()) == program);

    const std::string cabinet = CabinetOf({{"readme.txt", "text"}, {"sub\\data.bin", test::RandomBytes(5000, 1)}});
    WriteFile(dir / "files.cab", cabinet);
    ASSERT_TRUE(Cab2Exe(files, stub, dir / "files.cab", dir / "setup.exe"));
    EXPECT_TRUE(ReadFile(dir / "setup.exe") == program + cabinet);
}

}  // namespace
}  // namespace vexa::sfx
