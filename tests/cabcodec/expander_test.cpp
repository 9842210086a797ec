#include <gtest/gtest.h>

#include "cabcodec/expander.hpp"
#include "platform/fake/fake_files.hpp"
#include "tests/support/cabinet_shapes.hpp"
#include "tests/support/memory_cabinet.hpp"

namespace vexa::cab {
namespace {

using test::MemoryExpandHandler;
using test::MemorySource;

// Two members, the second spanning several blocks.
std::string SmallCabinet() {
    static const std::string cabinet =
        test::MakeCabinet({{"good.txt", test::TextBytes(3'000, 1)}, {"xx\\evil.txt", test::RandomBytes(70'000, 2)}});
    return cabinet;
}

// Small reads come from a window read ahead; what they deliver must not show it.
TEST(CabinetReading, AFileDeliversItsBytesHoweverTheReadsFallAcrossTheWindow) {
    FakeFiles files;
    const std::string bytes = test::RandomBytes(600'000, 3);
    files.Put("cab", bytes);
    FileCabinetSource source(files.OpenShared("cab"));
    struct Read {
        std::uint64_t offset;
        std::size_t n;
    };
    for (Read read : {Read{0, 8}, Read{8, 32'780}, Read{250'000, 20'000}, Read{100, 200'000}, Read{599'990, 64},
                      Read{600'000, 8}, Read{7, 1}}) {
        std::string got(read.n, '\0');
        auto delivered = source.ReadAt(read.offset, reinterpret_cast<unsigned char*>(got.data()), read.n);
        ASSERT_TRUE(delivered) << read.offset;
        got.resize(*delivered);
        EXPECT_EQ(got, bytes.substr(read.offset, read.n)) << read.offset;
    }
    // A read that comes up short before the end fails, even inside a window read ahead.
    files.FailReadsFrom("cab", 400'000);
    FileCabinetSource failing(files.OpenShared("cab"));
    unsigned char into[8];
    EXPECT_TRUE(failing.ReadAt(100'000, into, sizeof into));
    EXPECT_FALSE(failing.ReadAt(390'000, into, sizeof into));
}

TEST(CabinetReading, ReadsACabinetAfterAStubAndNothingAfterItsDeclaredEnd) {
    std::string stub = "MZ stub with a stray MSCF inside " + std::string(1'000, 's');
    std::string signature = "MSCF fake trailer " + std::string(4'000, 't');
    std::string cabinet = SmallCabinet();
    MemorySource file(stub + cabinet + signature);
    // Reading past the cabinet's end would fail the pass.
    file.FailReadsFrom(stub.size() + cabinet.size());

    EXPECT_FALSE(IsCabinet(file, 0));
    auto info = IsCabinet(file, stub.size());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->length, cabinet.size());
    MemoryExpandHandler handler;
    EXPECT_EQ(Expand(file, stub.size(), handler), ExpandStatus::Done);
    ASSERT_EQ(handler.members.size(), 2u);
    EXPECT_TRUE(handler.members[1].bytes == test::RandomBytes(70'000, 2));
}

TEST(CabinetReading, FindsEveryCabinetInAFile) {
    std::string a = SmallCabinet();
    std::string b = test::MakeCabinet({{"only.txt", "only"}});
    std::string junk = "FILLER MSCF and more filler";
    MemorySource file(junk + a + junk + b + "MSCF");
    auto found = FindCabinets(file);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 2u);
    EXPECT_EQ((*found)[0].offset, junk.size());
    EXPECT_EQ((*found)[0].length, a.size());
    EXPECT_EQ((*found)[1].offset, 2 * junk.size() + a.size());
    EXPECT_EQ((*found)[1].length, b.size());

    MemorySource failing(junk + a);
    failing.FailReadsFrom(10);
    EXPECT_FALSE(FindCabinets(failing));
}

TEST(CabinetReading, ListingSkipsEveryMember) {
    MemorySource source(SmallCabinet());
    std::vector<MemberInfo> members;
    ASSERT_EQ(ListMembers(source, 0, members), ExpandStatus::Done);
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0].name, "good.txt");
    EXPECT_EQ(members[1].name, "xx\\evil.txt");
    EXPECT_EQ(members[1].size, 70'000u);
}

TEST(CabinetReading, AFailedReadStopsThePassInsideAMember) {
    std::string cabinet = SmallCabinet();
    MemorySource source(cabinet);
    source.FailReadsFrom(cabinet.size() - 100);
    MemoryExpandHandler handler;
    EXPECT_EQ(Expand(source, 0, handler), ExpandStatus::ReadFailed);
    ASSERT_EQ(handler.members.size(), 2u);
    EXPECT_TRUE(handler.members[0].complete);
    EXPECT_FALSE(handler.members[1].complete);
}

TEST(CabinetReading, ASinkOrHandlerFailureStopsThePass) {
    MemorySource source(SmallCabinet());
    MemoryExpandHandler refusingWrites;
    refusingWrites.failWrites = true;
    EXPECT_EQ(Expand(source, 0, refusingWrites), ExpandStatus::WriteFailed);
    EXPECT_EQ(refusingWrites.offered.size(), 1u);

    MemoryExpandHandler refusingCompletion;
    refusingCompletion.refuseComplete = true;
    EXPECT_EQ(Expand(source, 0, refusingCompletion), ExpandStatus::Refused);
    EXPECT_EQ(refusingCompletion.offered.size(), 1u);
}

// Readers take the file entries from where the folder entries end, so a header that points
// its file table elsewhere neither hides members nor offers others.
TEST(CabinetReading, FileEntriesFollowTheFolderEntriesWhateverTheHeaderSays) {
    std::string cabinet = test::MakeCabinet({{"first.txt", "1"}, {"second.txt", "22"}});
    ASSERT_FALSE(cabinet.empty());
    std::size_t secondEntry = 36 + 8 + 16 + std::string("first.txt").size() + 1;
    cabinet[16] = static_cast<char>(secondEntry);
    MemorySource source(cabinet);
    MemoryExpandHandler handler;
    ASSERT_EQ(Expand(source, 0, handler), ExpandStatus::Done);
    ASSERT_EQ(handler.members.size(), 2u);
    EXPECT_EQ(handler.members[0].info.name, "first.txt");
    EXPECT_EQ(handler.members[1].bytes, "22");
}

class UnsafeStoredName : public ::testing::TestWithParam<const char*> {};

// The maker refuses such names, so they are written over a safe one of the same length.
TEST_P(UnsafeStoredName, IsRefusedBeforeItIsOffered) {
    std::string cabinet = SmallCabinet();
    std::string safe = "xx\\evil.txt";
    std::string hostile = GetParam();
    ASSERT_EQ(hostile.size(), safe.size());
    cabinet.replace(cabinet.find(safe), safe.size(), hostile);

    MemorySource source(cabinet);
    MemoryExpandHandler handler;
    EXPECT_EQ(Expand(source, 0, handler), ExpandStatus::UnsafeName);
    EXPECT_EQ(handler.offered, std::vector<std::string>{"good.txt"});
    std::vector<MemberInfo> members;
    EXPECT_EQ(ListMembers(source, 0, members), ExpandStatus::UnsafeName);
}

INSTANTIATE_TEST_SUITE_P(Names, UnsafeStoredName,
                         ::testing::Values("..\\evil.txt", "\\x\\evil.txt", "/x/evil.txt", "C:\\evil.txt",
                                           "x\\..\\..\\evl", "\\\\\\\\\\\\\\\\\\\\\\"));

TEST(CabinetReading, EveryTruncationFailsWithoutCrashing) {
    std::string cabinet = SmallCabinet();
    for (std::size_t length = 0; length < cabinet.size(); ++length) {
        MemorySource source(cabinet.substr(0, length));
        MemoryExpandHandler handler;
        ASSERT_NE(Expand(source, 0, handler), ExpandStatus::Done) << length;
    }
}

TEST(CabinetReading, ACorruptedDataBlockFailsItsMember) {
    std::string cabinet = SmallCabinet();
    cabinet[cabinet.size() - 500] ^= 0x10;
    MemorySource source(cabinet);
    MemoryExpandHandler handler;
#ifdef _WIN32
    EXPECT_EQ(Expand(source, 0, handler), ExpandStatus::BadData);  // FDI tells no checksum apart
#else
    EXPECT_EQ(Expand(source, 0, handler), ExpandStatus::BadChecksum);
#endif
    EXPECT_FALSE(handler.members.back().complete);
}

// A cabinet of three 40,000-byte members with names of one length: "a" and "b" share the
// first folder, "c" has the second.
std::string ThreeMembersTwoFolders() {
    test::MemoryMakeCallbacks callbacks;
    MakeParameters parameters;
    parameters.name = "order.cab";
    CabinetMaker maker(parameters, callbacks);
    for (const char* name : {"a", "b", "c"}) {
        callbacks.Put(name, test::TextBytes(40'000, static_cast<unsigned>(name[0])));
        EXPECT_TRUE(maker.AddFile(name, std::string(name) + ".txt"));
        if (name[0] == 'b') {
            EXPECT_TRUE(maker.FlushFolder());
        }
    }
    EXPECT_TRUE(maker.FlushCabinet());
    return callbacks.Cabinet();
}

// Rewrites the file table in another order; every entry has the same size here.
std::string WithFileEntriesInOrder(std::string cabinet, const std::vector<std::size_t>& order) {
    std::size_t start = static_cast<unsigned char>(cabinet[16]) | static_cast<unsigned char>(cabinet[17]) << 8;
    std::size_t entry = 16 + std::string("a.txt").size() + 1;
    std::string original = cabinet.substr(start, entry * order.size());
    for (std::size_t i = 0; i < order.size(); ++i) cabinet.replace(start + i * entry, entry, original.substr(order[i] * entry, entry));
    return cabinet;
}

// Copying a member behind the previous one, or back in a folder already left, would make
// the reader decompress that folder again from its start; a hostile cabinet could ask for
// that with each of its members.
TEST(CabinetReading, CopiesOnlyMoveForwardThroughTheFolders) {
    std::string cabinet = ThreeMembersTwoFolders();
    for (const auto& order : {std::vector<std::size_t>{1, 0, 2}, std::vector<std::size_t>{0, 2, 1}}) {
        MemorySource source(WithFileEntriesInOrder(cabinet, order));
        MemoryExpandHandler handler;
        EXPECT_EQ(Expand(source, 0, handler), ExpandStatus::BadData);
        EXPECT_TRUE(handler.members[0].complete);
        EXPECT_FALSE(handler.members.back().complete);

        MemoryExpandHandler onlyOne;
        onlyOne.wanted = [](const MemberInfo& member) { return member.name == "a.txt"; };
        EXPECT_EQ(Expand(source, 0, onlyOne), ExpandStatus::Done);
        EXPECT_TRUE(onlyOne.members.at(0).bytes == test::TextBytes(40'000, 'a'));
    }
}

}  // namespace
}  // namespace vexa::cab
