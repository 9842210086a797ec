#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>

#ifdef _WIN32
#include <windows.h>
#endif

#include "cabcodec/expander.hpp"
#include "cabcodec/maker.hpp"
#include "cabcodec/signature_slot.hpp"
#include "tests/support/under_wine.hpp"
#include "tests/support/cabinet_shapes.hpp"
#include "tests/support/memory_cabinet.hpp"

namespace vexa::cab {
namespace {

using test::FileSpec;
using test::MemoryExpandHandler;
using test::MemoryMakeCallbacks;
using test::MemorySource;

std::uint32_t Le(const std::string& bytes, std::size_t at, int width) {
    std::uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return v;
}

struct FileEntry {
    std::uint32_t folder;
    std::uint32_t attributes;
    std::string name;
};

// Every file entry, read straight from the cabinet's tables.
std::vector<FileEntry> FileEntries(const std::string& cabinet) {
    std::vector<FileEntry> entries;
    std::size_t at = Le(cabinet, 16, 4);
    for (std::uint32_t i = 0, files = Le(cabinet, 28, 2); i < files; ++i) {
        std::size_t end = cabinet.find('\0', at + 16);
        entries.push_back({Le(cabinet, at + 8, 2), Le(cabinet, at + 14, 2), cabinet.substr(at + 16, end - at - 16)});
        at = end + 1;
    }
    return entries;
}

std::vector<std::uint32_t> FolderOfEachFile(const std::string& cabinet) {
    std::vector<std::uint32_t> folders;
    for (const FileEntry& entry : FileEntries(cabinet)) folders.push_back(entry.folder);
    return folders;
}

std::vector<MemoryExpandHandler::Member> ExpandAll(const std::string& cabinet, ExpandStatus expected = ExpandStatus::Done) {
    MemorySource source(cabinet);
    MemoryExpandHandler handler;
    EXPECT_EQ(Expand(source, 0, handler), expected);
    return handler.members;
}

class CabinetRoundTrip : public ::testing::TestWithParam<test::CabinetShape> {};

TEST_P(CabinetRoundTrip, ExpandsToTheSameBytesAndStamps) {
    const auto& shape = GetParam();
    bool noData = std::all_of(shape.files.begin(), shape.files.end(), [](const auto& f) { return f.bytes.empty(); });
    if (test::UnderWine() && noData) {
        GTEST_SKIP() << "Wine's cabinet.dll cannot make a cabinet without data: "
                        "it seeks in a data file it never opened";
    }
    MakeParameters parameters;
    parameters.name = "shape.cab";
    parameters.headerReserve = shape.headerReserve;
    std::string cabinet = test::MakeCabinet(shape.files, parameters);
    ASSERT_FALSE(cabinet.empty());

    MemorySource source(cabinet);
    auto info = IsCabinet(source);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->length + shape.headerReserve, cabinet.size());
    EXPECT_EQ(info->setId, 10001);
    EXPECT_EQ(info->cabinetIndex, 1);
    EXPECT_EQ(info->headerReserve, HeaderReserveFor(shape.headerReserve));
    EXPECT_EQ(info->files, shape.files.size());

    auto members = ExpandAll(cabinet);
    ASSERT_EQ(members.size(), shape.files.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
        EXPECT_EQ(members[i].info.name, shape.files[i].name);
        EXPECT_EQ(members[i].info.size, shape.files[i].bytes.size());
        EXPECT_TRUE(members[i].bytes == shape.files[i].bytes) << shape.files[i].name;
        EXPECT_TRUE(members[i].complete);
        EXPECT_EQ(members[i].info.dosDate, test::kDosDate);
        EXPECT_EQ(members[i].info.dosTime, test::kDosTime);
        EXPECT_EQ(members[i].info.attributes, 0x20);
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, CabinetRoundTrip, ::testing::ValuesIn(test::CabinetShapes()),
                         [](const auto& param) { return param.param.label; });

// Signing tools take only a 20-byte header reserve laid out as a signed cabinet's; the room
// asked for is the zeroed slot after the cabinet that it points at. Both makers lay it out
// alike, FCI's zeroed reserve filled in afterwards.
TEST(CabinetMaking, KeepsTheCertificateReserveWhereASignedCabinetKeepsItsSignature) {
    const std::vector<FileSpec> files = {{"a.txt", "abc"}, {"b.bin", test::RandomBytes(70'000, 3)}};
    for (std::uint16_t reserve : {std::uint16_t{1}, std::uint16_t{6144}, kMaxHeaderReserve}) {
        SCOPED_TRACE(reserve);
        MakeParameters parameters;
        parameters.name = "reserve.cab";
        parameters.headerReserve = reserve;
        std::string cabinet = test::MakeCabinet(files, parameters);
        std::uint32_t length = Le(cabinet, 8, 4);
        ASSERT_EQ(cabinet.size(), length + reserve);
        EXPECT_EQ(Le(cabinet, 30, 2), 0x0004u);  // a reserve, no other cabinets
        EXPECT_EQ(Le(cabinet, 36, 4), 20u);      // no folder or data block reserve
        EXPECT_EQ(Le(cabinet, 40, 4), 0x00100000u);
        EXPECT_EQ(Le(cabinet, 44, 4), length);
        EXPECT_EQ(Le(cabinet, 48, 4), reserve);
        EXPECT_EQ(cabinet.substr(52, 8), std::string(8, '\0'));
        EXPECT_EQ(cabinet.find_first_not_of('\0', length), std::string::npos);
        auto members = ExpandAll(cabinet);
        ASSERT_EQ(members.size(), 2u);
        EXPECT_TRUE(members[1].bytes == files[1].bytes);
    }
}

// Readers decode a name marked as UTF-8 alike on every system; without the mark a name beyond
// ASCII is read in the reader's own code page. Names given to the Windows maker are in the
// ANSI code page and are stored in UTF-8 too.
TEST(CabinetMaking, MarksANameBeyondAsciiAsUtf8AndNoOther) {
    const struct {
        std::string given;
        std::string stored;
        std::uint32_t attributes;
    } cases[] = {
        {"plain.txt", "plain.txt", 0x20},
#ifdef _WIN32
        {"\xe9t\xe9.txt", "\xc3\xa9t\xc3\xa9.txt", 0xa0},  // code page 1252
        {"dir\\caf\xe9", "dir\\caf\xc3\xa9", 0xa0},
#else
        {"\xc3\xa9t\xc3\xa9.txt", "\xc3\xa9t\xc3\xa9.txt", 0xa0},
        {"dir\\\xe6\x97\xa5\xe8\xa8\x98.txt", "dir\\\xe6\x97\xa5\xe8\xa8\x98.txt", 0xa0},
        {"\xe9t\xe9.txt", "\xe9t\xe9.txt", 0x20},  // not UTF-8: stored as it is
#endif
    };
#ifdef _WIN32
    if (::GetACP() != 1252) GTEST_SKIP() << "the cases are written in code page 1252";
#endif
    std::vector<FileSpec> files;
    for (const auto& c : cases) files.push_back({c.given, "x"});
    std::vector<FileEntry> entries = FileEntries(test::MakeCabinet(files));
    ASSERT_EQ(entries.size(), std::size(cases));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].name, cases[i].stored) << cases[i].given;
        EXPECT_EQ(entries[i].attributes, cases[i].attributes) << cases[i].given;
    }
}

TEST(CabinetMaking, ClosesAFolderOnceItHoldsTheThreshold) {
    std::string part = test::TextBytes(600'000, 1);
    std::string cabinet = test::MakeCabinet({{"1", part}, {"2", part}, {"3", part}, {"4", "x"}});
    // 1.2 MB after the second file closes the first folder; the second holds less and stays open.
    EXPECT_EQ(FolderOfEachFile(cabinet), (std::vector<std::uint32_t>{0, 0, 1, 1}));
}

TEST(CabinetMaking, FlushFolderStartsANewFolderButNeverAnEmptyOne) {
    MemoryMakeCallbacks callbacks;
    for (const char* path : {"a", "b", "c"}) callbacks.Put(path, test::TextBytes(40'000, 3));
    MakeParameters parameters;
    parameters.name = "folders.cab";
    CabinetMaker maker(parameters, callbacks);
    // First file alone; second and third together, as a cab image of three files is made.
    ASSERT_TRUE(maker.FlushFolder());
    ASSERT_TRUE(maker.AddFile("a", "a.txt"));
    ASSERT_TRUE(maker.FlushFolder());
    ASSERT_TRUE(maker.FlushFolder());
    ASSERT_TRUE(maker.AddFile("b", "b.txt"));
    ASSERT_TRUE(maker.AddFile("c", "c.txt"));
    ASSERT_TRUE(maker.FlushFolder());
    ASSERT_TRUE(maker.FlushCabinet());
    EXPECT_EQ(FolderOfEachFile(callbacks.Cabinet()), (std::vector<std::uint32_t>{0, 1, 1}));
    MemorySource source(callbacks.Cabinet());
    EXPECT_EQ(IsCabinet(source)->folders, 2);
    EXPECT_EQ(ExpandAll(callbacks.Cabinet()).size(), 3u);
}

TEST(CabinetMaking, ReportsEveryCompressedBlock) {
    MemoryMakeCallbacks callbacks;
    callbacks.Put("text", test::TextBytes(100'000, 4));
    callbacks.Put("random", test::RandomBytes(1'000'000, 5));
    MakeParameters parameters;
    parameters.name = "progress.cab";
    CabinetMaker maker(parameters, callbacks);
    ASSERT_TRUE(maker.AddFile("text", "text.txt"));
    ASSERT_TRUE(maker.AddFile("random", "random.bin"));
    ASSERT_TRUE(maker.FlushCabinet());

    const auto& progress = callbacks.Progress();
    std::uint64_t uncompressed = 0, compressed = 0;
    for (auto [c, u] : progress) {
        compressed += c;
        uncompressed += u;
    }
    EXPECT_EQ(uncompressed, 1'100'000u);
    EXPECT_EQ(progress.size(), (100'000 + 1'000'000 + 32'767) / 32'768);
    // Every block and its 8-byte header lie in the cabinet's data area, which ends the file.
    EXPECT_LT(compressed + 8 * progress.size(), callbacks.Cabinet().size());
    EXPECT_GT(compressed, 1'000'000u);  // the random part cannot shrink
}

// Blocks compressed on several threads must come out in order and exactly as one thread makes them.
TEST(CabinetMaking, ParallelOutputEqualsSerialOutput) {
    std::vector<FileSpec> files;
    for (unsigned i = 0; i < 12; ++i) {
        files.push_back({"f" + std::to_string(i), i % 3 == 0 ? test::RandomBytes(90'000 + i, i) : test::TextBytes(150'000 + i, i)});
    }
    MakeParameters serial;
    serial.name = "x.cab";
    serial.threads = 1;
    MakeParameters parallel = serial;
    parallel.threads = 4;
    std::string one = test::MakeCabinet(files, serial);
    ASSERT_FALSE(one.empty());
    EXPECT_TRUE(one == test::MakeCabinet(files, parallel));
}

// Each block is primed with the previous 32 KiB, so data that repeats across blocks is
// stored once, as a serial compressor would.
TEST(CabinetMaking, BlocksReachBackIntoThePreviousBlock) {
    std::string chunk = test::RandomBytes(20'000, 6);  // within deflate's reach of 32 KiB
    std::string repeated;
    for (int i = 0; i < 13; ++i) repeated += chunk;
    std::string cabinet = test::MakeCabinet({{"r.bin", repeated}});
    ASSERT_FALSE(cabinet.empty());
    EXPECT_TRUE(ExpandAll(cabinet).at(0).bytes == repeated);
    if (test::UnderWine()) {
        GTEST_SKIP() << "Wine's cabinet.dll compresses each MSZIP block on its own, "
                        "without the block before as history";
    }
    EXPECT_LT(cabinet.size(), 20'000u + 8'000u);
}

struct FailureCase {
    const char* label;
    std::function<void(MemoryMakeCallbacks&, MakeParameters&)> arrange;
    std::string source;
    std::string name;  // in the cabinet
    MakeError error;
};

class MakeFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(MakeFailure, FailsCleanlyAndStaysFailed) {
    MemoryMakeCallbacks callbacks;
    callbacks.Put("src", test::RandomBytes(200'000, 7));
    MakeParameters parameters;
    parameters.name = "fail.cab";
    GetParam().arrange(callbacks, parameters);
    CabinetMaker maker(parameters, callbacks);
    bool added = maker.AddFile(GetParam().source, GetParam().name);
    EXPECT_FALSE(added && maker.FlushCabinet());
    EXPECT_EQ(maker.Error(), GetParam().error);
    EXPECT_FALSE(maker.AddFile("src", "again.bin"));
    EXPECT_FALSE(maker.FlushCabinet());
    EXPECT_EQ(maker.Error(), GetParam().error);
}

auto Nothing = [](MemoryMakeCallbacks&, MakeParameters&) {};

INSTANTIATE_TEST_SUITE_P(
    Cases, MakeFailure,
    ::testing::Values(
        FailureCase{"MissingSource", Nothing, "missing", "a.bin", MakeError::OpenSource},
        FailureCase{"SourceReadError", [](auto& c, auto&) { c.At("src").failReadsFrom = 70'000; }, "src", "a.bin",
                    MakeError::ReadSource},
        FailureCase{"TemporaryWriteRefused", [](auto& c, auto&) { c.FailTemporaryWritesAfter(50'000); }, "src",
                    "a.bin", MakeError::WriteFailed},
        FailureCase{"CabinetWriteRefused", [](auto& c, auto&) { c.FailCabinetWritesAfter(100'000); }, "src", "a.bin",
                    MakeError::WriteFailed},
        FailureCase{"NoTemporaryFile", [](auto& c, auto&) { c.RefuseTemporary(); }, "src", "a.bin",
                    MakeError::TemporaryFile},
        FailureCase{"UnsafeName", Nothing, "src", "..\\a.bin", MakeError::BadName},
        FailureCase{"EmptyName", Nothing, "src", "", MakeError::BadName},
        FailureCase{"OverlongName", Nothing, "src", std::string(kMaxMemberName + 1, 'n'), MakeError::BadName},
        FailureCase{"BeyondMaximumSize", [](auto&, auto& p) { p.maxCabinetSize = 100'000; }, "src", "a.bin",
                    MakeError::TooLarge},
        FailureCase{"CertificateReserveBeyondMaximumSize",
                    [](auto&, auto& p) {
                        p.maxCabinetSize = 230'000;
                        p.headerReserve = kMaxHeaderReserve;
                    },
                    "src", "a.bin", MakeError::TooLarge},
        FailureCase{"ReserveTooLarge", [](auto&, auto& p) { p.headerReserve = kMaxHeaderReserve + 1; }, "src",
                    "a.bin", MakeError::BadParameters}),
    [](const auto& param) { return param.param.label; });

TEST(CabinetMaking, RefusesACabinetWithoutFilesAndAnyCallAfterTheFlush) {
    MemoryMakeCallbacks callbacks;
    callbacks.Put("src", "abc");
    MakeParameters parameters;
    parameters.directory = "out/";
    parameters.name = "empty.cab";
    CabinetMaker empty(parameters, callbacks);
    EXPECT_FALSE(empty.FlushCabinet());
    EXPECT_EQ(empty.Error(), MakeError::NoFiles);
    EXPECT_TRUE(callbacks.CabinetPath().empty());

    CabinetMaker once(parameters, callbacks);
    ASSERT_TRUE(once.AddFile("src", "a.txt"));
    ASSERT_TRUE(once.FlushCabinet());
    EXPECT_EQ(callbacks.CabinetPath(), "out/empty.cab");
    EXPECT_FALSE(once.AddFile("src", "b.txt"));
    EXPECT_EQ(once.Error(), MakeError::Finished);
}

}  // namespace
}  // namespace vexa::cab
