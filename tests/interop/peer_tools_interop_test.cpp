// Our cabinets read back by cabextract and gcab, and gcab's cabinets read by us. The peers
// come with the build's dependencies (scripts/bootstrap).

#include <gtest/gtest.h>

#include <algorithm>

#include "cabcodec/expander.hpp"
#include "platform/native.hpp"
#include "tests/interop/scratch_folder.hpp"
#include "tests/support/cabinet_shapes.hpp"
#include "tests/support/memory_cabinet.hpp"

namespace vexa::cab {
namespace {

namespace fs = std::filesystem;
using test::CabinetShape;
using test::Quoted;
using test::RunQuietly;

// Peers turn the stored "\" into folders.
fs::path PeerPath(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

void ExpectPeerExpands(const std::string& peer, const std::string& extractArguments, const CabinetShape& shape) {
    ASSERT_TRUE(RunQuietly("command -v " + peer)) << peer << " is missing; scripts/bootstrap installs it";
    MakeParameters parameters;
    parameters.name = "ours.cab";
    parameters.headerReserve = shape.headerReserve;
    std::string cabinet = test::MakeCabinet(shape.files, parameters);
    ASSERT_FALSE(cabinet.empty());
    test::ScratchFolder scratch;
    auto cabinetPath = scratch.Write("ours.cab", cabinet);
    auto out = scratch.Path() / "out";
    fs::create_directories(out);

    std::string command = peer + " " + extractArguments;
    command.replace(command.find("OUT"), 3, Quoted(out));
    command.replace(command.find("CAB"), 3, Quoted(cabinetPath));
    ASSERT_TRUE(RunQuietly(command)) << command;
    for (const auto& file : shape.files) {
        EXPECT_TRUE(test::ReadWholeFile(out / PeerPath(file.name)) == file.bytes) << file.name;
    }
}

class CabextractInterop : public ::testing::TestWithParam<CabinetShape> {};
TEST_P(CabextractInterop, ExpandsOurCabinet) { ExpectPeerExpands("cabextract", "-q -d OUT CAB", GetParam()); }
INSTANTIATE_TEST_SUITE_P(Shapes, CabextractInterop, ::testing::ValuesIn(test::CabinetShapes()),
                         [](const auto& param) { return param.param.label; });

class GcabInterop : public ::testing::TestWithParam<CabinetShape> {};
TEST_P(GcabInterop, ExpandsOurCabinet) { ExpectPeerExpands("gcab", "-x -C OUT CAB", GetParam()); }
INSTANTIATE_TEST_SUITE_P(Shapes, GcabInterop, ::testing::ValuesIn(test::CabinetShapes()),
                         [](const auto& param) { return param.param.label; });

// Names beyond ASCII carry the UTF-8 mark, so the peers write them under the same name
// rather than reading each byte as a character of a code page of their own.
TEST(PeerInterop, ReadTheNamesBeyondAsciiAsWritten) {
    const CabinetShape shape{"NamesBeyondAscii",
                             {{"\xc3\xa9t\xc3\xa9.txt", "summer"},
                              {"dossier\\\xe6\x97\xa5\xe8\xa8\x98.txt", "diary"},
                              {"plain.txt", "plain"}}};
    ExpectPeerExpands("cabextract", "-q -d OUT CAB", shape);
    ExpectPeerExpands("gcab", "-x -C OUT CAB", shape);
}

struct GcabFlavour {
    const char* label;
    const char* options;
};

class GcabMadeInterop : public ::testing::TestWithParam<GcabFlavour> {};

TEST_P(GcabMadeInterop, OurReaderExpandsIt) {
    ASSERT_TRUE(RunQuietly("command -v gcab")) << "gcab is missing; scripts/bootstrap installs it";
    const std::vector<test::FileSpec> tree = {
        {"readme.txt", "two lines\r\nof text\r\n"},
        {"empty.txt", ""},
        {"sub/big.txt", test::TextBytes(300'000, 1)},
        {"sub/random.bin", test::RandomBytes(100'000, 2)},
        {"sub/deeper/notes.txt", "deeper\n"},
    };
    test::ScratchFolder scratch;
    std::string names;
    for (const auto& file : tree) {
        scratch.Write(fs::path("tree") / file.name, file.bytes);
        names += " " + file.name;
    }
    auto cabinetPath = scratch.Path() / "gcab.cab";
    ASSERT_TRUE(RunQuietly("cd " + Quoted(scratch.Path() / "tree") + " && gcab -c " + GetParam().options + " " +
                    Quoted(cabinetPath) + names));

    NativePlatform platform;
    FileCabinetSource source(platform.Get().files.OpenShared(cabinetPath.string()));
    test::MemoryExpandHandler handler;
    ASSERT_EQ(Expand(source, 0, handler), ExpandStatus::Done);
    ASSERT_EQ(handler.members.size(), tree.size());
    for (std::size_t i = 0; i < tree.size(); ++i) {
        EXPECT_EQ(PeerPath(handler.members[i].info.name), fs::path(tree[i].name));
        EXPECT_TRUE(handler.members[i].bytes == tree[i].bytes) << tree[i].name;
    }
}

INSTANTIATE_TEST_SUITE_P(Flavours, GcabMadeInterop,
                         ::testing::Values(GcabFlavour{"Stored", ""}, GcabFlavour{"Mszip", "-z"}),
                         [](const auto& param) { return std::string(param.param.label); });

}  // namespace
}  // namespace vexa::cab
