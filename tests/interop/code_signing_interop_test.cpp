// The script cabinet as the page wizard makes it, with room for the author's certificate,
// signed by osslsigncode as the author's sign-code commands sign it, verified, and still
// expanded by our reader, cabextract and gcab. Natively the toolbox makes the cabinet,
// through the cabinet control; under Wine the codec's Windows maker, over cabinet.dll.

#include <gtest/gtest.h>

#include <algorithm>

#include "cabcodec/expander.hpp"
#include "cabcodec/maker.hpp"
#include "tests/interop/build_machine_command.hpp"
#include "tests/interop/scratch_folder.hpp"
#include "tests/support/cabinet_shapes.hpp"
#include "tests/support/memory_cabinet.hpp"
#include "tests/support/under_wine.hpp"
#ifndef _WIN32
#include "tests/support/vexa_program.hpp"
#endif

namespace vexa::cab {
namespace {

namespace fs = std::filesystem;
using test::BuildMachinePath;
using test::RunOnBuildMachine;
using test::ScratchFolder;

constexpr std::uint16_t kScriptReserve = 6144;

const std::vector<test::FileSpec>& Members() {
    static const std::vector<test::FileSpec> members = {
        {"Script.txt", "InstallProgram \"prog.cab\"\r\nExecute \"prog.exe\"\r\n"},
        {"data\\payload.bin", test::RandomBytes(100'000, 21)},
    };
    return members;
}

fs::path MakeScriptCabinet(const ScratchFolder& scratch) {
    const fs::path cabinet = scratch.Path() / "Script.Cab";
#ifdef _WIN32
    MakeParameters parameters;
    parameters.name = "Script.Cab";
    parameters.headerReserve = kScriptReserve;
    scratch.Write(cabinet.filename(), test::MakeCabinet(Members(), parameters));
#else
    std::vector<std::string> arguments = {"cab", "make", cabinet.string(), "--reserve", std::to_string(kScriptReserve)};
    for (std::size_t i = 0; i < Members().size(); ++i) {
        auto source = scratch.Write("in/" + std::to_string(i), Members()[i].bytes);
        arguments.push_back(source.string() + "=" + Members()[i].name);
    }
    testing::Outcome made = testing::Vexa(arguments);
    EXPECT_EQ(made.status, 0) << made.output;
#endif
    return cabinet;
}

std::string InQuotes(const fs::path& path) { return "'" + BuildMachinePath(path) + "'"; }

TEST(CodeSigningInterop, OsslsigncodeSignsAScriptCabinetThatEveryReaderStillExpands) {
#ifdef _WIN32
    if (!test::UnderWine()) GTEST_SKIP() << "the peer tools are the build machine's, reached under Wine only";
#endif
    ScratchFolder scratch;
    auto tools = RunOnBuildMachine("tools", "for t in osslsigncode openssl cabextract gcab; do command -v $t; done",
                                   scratch);
    if (tools.status != 0) {
        GTEST_SKIP() << "a peer tool is missing (scripts/bootstrap installs them):\n" << tools.output;
    }
    const fs::path cabinet = MakeScriptCabinet(scratch);
    ASSERT_TRUE(fs::exists(cabinet));

    // A self-signed code-signing certificate, kept in PKCS#12 as authors keep theirs.
    auto certificate = RunOnBuildMachine(
        "certificate",
        "cd " + InQuotes(scratch.Path()) +
            " && openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=VexaWeb test publisher'"
            " -addext extendedKeyUsage=codeSigning -keyout key.pem -out cert.pem"
            " && openssl pkcs12 -export -inkey key.pem -in cert.pem -passout pass:secret -out cert.p12",
        scratch);
    ASSERT_EQ(certificate.status, 0) << certificate.output;

    // The README's sign-code commands: osslsigncode writes a new file, which then takes the
    // cabinet's place.
    const std::string cab = InQuotes(cabinet);
    const std::string signedCab = InQuotes(cabinet.string() + ".signed");
    const std::string keys = InQuotes(scratch.Path() / "cert.p12");
    auto sign = RunOnBuildMachine("sign",
                                  "osslsigncode sign -pkcs12 " + keys + " -pass secret -n 'Test page' -in " + cab +
                                      " -out " + signedCab + " && mv -f " + signedCab + " " + cab,
                                  scratch);
    ASSERT_EQ(sign.status, 0) << sign.output;
    auto verify = RunOnBuildMachine(
        "verify", "osslsigncode verify -CAfile " + InQuotes(scratch.Path() / "cert.pem") + " -in " + cab, scratch);
    EXPECT_EQ(verify.status, 0) << verify.output;
    EXPECT_NE(verify.output.find("Signature verification: ok"), std::string::npos) << verify.output;

    test::MemorySource source(test::ReadWholeFile(cabinet));
    test::MemoryExpandHandler ours;
    ASSERT_EQ(Expand(source, 0, ours), ExpandStatus::Done);
    ASSERT_EQ(ours.members.size(), Members().size());
    for (std::size_t i = 0; i < Members().size(); ++i) {
        EXPECT_EQ(ours.members[i].info.name, Members()[i].name);
        EXPECT_TRUE(ours.members[i].bytes == Members()[i].bytes) << Members()[i].name;
    }

    for (const auto& [peer, extract] : {std::pair{"cabextract", std::string("cabextract -q -d OUT ") + cab},
                                        std::pair{"gcab", std::string("gcab -x -C OUT ") + cab}}) {
        const fs::path out = scratch.Path() / peer;
        fs::create_directories(out);
        std::string command = extract;
        command.replace(command.find("OUT"), 3, InQuotes(out));
        auto expanded = RunOnBuildMachine(peer, command, scratch);
        ASSERT_EQ(expanded.status, 0) << expanded.output;
        for (const auto& member : Members()) {
            std::string name = member.name;
            std::replace(name.begin(), name.end(), '\\', '/');
            EXPECT_TRUE(test::ReadWholeFile(out / name) == member.bytes) << peer << ": " << member.name;
        }
    }
}

}  // namespace
}  // namespace vexa::cab
