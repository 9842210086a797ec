#include "loader/stand_alone.hpp"

#include <gtest/gtest.h>

#include <cstring>

#include "common/text.hpp"
#include "platform/fake/fake_files.hpp"
#include "platform/fake/fake_shell.hpp"
#include "tests/loader/loader_machine.hpp"
#include "tests/support/forwarding_files.hpp"

namespace vexa::loader {
namespace {

// What the wizard attaches, and a stub as a linker leaves one: zeros after the code.
std::string Attachment(const std::string& publication = "http://pub.test/web/",
                       const std::string& cabinet = "MyProgScript.Cab",
                       const std::string& version = "2,3,0,35", const std::string& activeX = "http://ax.test/cab/") {
    return activeX + "\r\n" + version + "\r\n" + publication + "\r\n" + cabinet + "\r\n1a2b3c4d-12345\r\nWEBPROG";
}
const std::string kStub = std::string("MZ\x90\x00\x03\x00PE\x00\x00", 10) + std::string(64, '\0');
const StandAloneAttachment kRead{"http://ax.test/cab/", "2,3,0,35", "http://pub.test/web/", "MyProgScript.Cab",
                                 "1a2b3c4d-12345"};

struct AttachmentCase {
    std::string name;
    std::string bytes;
    std::optional<StandAloneAttachment> read;
    std::string refusal;  // a part of it
    bool marked = true;
};

void PrintTo(const AttachmentCase& c, std::ostream* out) { *out << c.name; }

StandAloneAttachment With(std::string StandAloneAttachment::*field, std::string value) {
    StandAloneAttachment attachment = kRead;
    attachment.*field = std::move(value);
    return attachment;
}

const AttachmentCase kCases[] = {
    {"after_a_stub", kStub + Attachment(), kRead, ""},
    {"alone", Attachment(), kRead, ""},
    // The stub's own last bytes are printable, and it holds an earlier marker and lines.
    {"after_printable_stub_bytes", kStub + "xyz:" + Attachment(), kRead, ""},
    {"stub_holding_an_earlier_attachment",
     kStub + Attachment("http://old.test/", "Old.Cab") + std::string(8, '\0') + Attachment(), kRead, ""},
    {"publication_without_slash_between_blanks", kStub + Attachment("  file:///srv/web "),
     With(&StandAloneAttachment::publicationUrl, "file:///srv/web/"), ""},
    {"version_with_blanks", kStub + Attachment("http://pub.test/web/", "MyProgScript.Cab", "2, 3, 0, 35"),
     With(&StandAloneAttachment::loaderVersion, "2, 3, 0, 35"), ""},
    {"empty_file", "", std::nullopt, "does not end with WEBPROG", false},
    {"marker_missing", kStub + Attachment().substr(0, Attachment().size() - 1), std::nullopt,
     "does not end with WEBPROG", false},
    {"marker_not_at_the_end", kStub + Attachment() + "\r\n", std::nullopt, "does not end with WEBPROG", false},
    {"marker_not_on_a_line_of_its_own", ReplaceAll(kStub + Attachment(), "\r\nWEBPROG", "WEBPROG"), std::nullopt,
     "WEBPROG does not stand on a line of its own"},
    {"four_lines", kStub + Attachment().substr(Attachment().find('\n') + 1), std::nullopt,
     "line 2 holds a control character, or fewer than five lines"},
    {"four_lines_alone", Attachment().substr(Attachment().find('\n') + 1), std::nullopt, "fewer than five lines"},
    {"over_long_line", kStub + Attachment("http://pub.test/" + std::string(2048, 'a') + "/"), std::nullopt,
     "line 3 is longer than 2048 bytes"},
    {"zero_byte_in_a_line", kStub + Attachment(std::string("http://pub.test/\0/", 18)), std::nullopt,
     "line 3 holds a control character"},
    {"lone_line_feed", kStub + Attachment("http://pub.test/\n"), std::nullopt, "line 3 holds a control character"},
    {"no_activex_url", kStub + Attachment("http://pub.test/", "S.Cab", "2,3,0,35", "ax.test/"), std::nullopt,
     "line 1 holds no ActiveX URL"},
    {"activex_url_without_slash", kStub + Attachment("http://pub.test/", "S.Cab", "2,3,0,35", "http://ax.test"),
     std::nullopt, "does not end with \"/\""},
    {"publication_of_another_scheme", kStub + Attachment("ftp://pub.test/"), std::nullopt,
     "the scheme \"ftp\" is not one of http, https, file"},
    {"publication_with_a_query", kStub + Attachment("http://pub.test/?x=1"), std::nullopt, "a query or a fragment"},
    {"publication_empty", kStub + Attachment(""), std::nullopt, "line 3, the publication URL \"\": not a URL"},
    {"publication_part_too_long", kStub + Attachment("http://pub.test/" + std::string(300, 'a') + "/"), std::nullopt,
     "longer than 299 characters"},
    {"three_numbers", kStub + Attachment("http://pub.test/", "S.Cab", "2,3,0"), std::nullopt,
     "is not four numbers separated by commas"},
    {"number_too_large", kStub + Attachment("http://pub.test/", "S.Cab", "2,3,0,65536"), std::nullopt,
     "is not four numbers"},
    {"cabinet_with_a_path", kStub + Attachment("http://pub.test/", "cabs/S.Cab"), std::nullopt,
     "is not a file name without a path"},
    {"cabinet_climbing", kStub + Attachment("http://pub.test/", ".."), std::nullopt, "is not a file name"},
    {"no_short_signature", ReplaceAll(kStub + Attachment(), "1a2b3c4d-12345", "1-00ff"), std::nullopt,
     "line 5, the short signature \"1-00ff\""},
};

class AttachmentReadingTest : public ::testing::TestWithParam<AttachmentCase> {};

TEST_P(AttachmentReadingTest, ReadsTheFiveLinesBeforeTheFinalMarkerOrSaysWhyNot) {
    AttachmentReading reading = ReadStandAloneAttachment(GetParam().bytes);
    EXPECT_EQ(reading.marked, GetParam().marked);
    if (!GetParam().read) {
        EXPECT_FALSE(reading.attachment);
        EXPECT_NE(reading.refusal.find(GetParam().refusal), std::string::npos) << reading.refusal;
        return;
    }
    ASSERT_TRUE(reading.attachment) << reading.refusal;
    const StandAloneAttachment& read = *reading.attachment;
    const StandAloneAttachment& expected = *GetParam().read;
    EXPECT_EQ(read.activeXUrl, expected.activeXUrl);
    EXPECT_EQ(read.loaderVersion, expected.loaderVersion);
    EXPECT_EQ(read.publicationUrl, expected.publicationUrl);
    EXPECT_EQ(read.scriptCabinet, expected.scriptCabinet);
    EXPECT_EQ(read.shortSignature, expected.shortSignature);
}

INSTANTIATE_TEST_SUITE_P(StandAlone, AttachmentReadingTest, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return param.param.name; });

// A file of a terabyte whose last bytes are the attachment: anything read before the
// reader's bound fails the test.
class HugeFiles final : public vexa::testing::ForwardingFiles {
public:
    using ForwardingFiles::ForwardingFiles;
    static constexpr std::uint64_t kSize = std::uint64_t{1} << 40;

    std::unique_ptr<ReadableFile> OpenShared(const std::string&) override {
        class Reader final : public ReadableFile {
        public:
            std::uint64_t Size() const override { return kSize; }
            std::size_t ReadAt(std::uint64_t offset, unsigned char* into, std::size_t n) override {
                EXPECT_GE(offset, kSize - kStandAloneTailLimit);
                const std::string tail = Attachment();
                for (std::size_t i = 0; i < n; ++i) {
                    const std::uint64_t at = offset + i;
                    const std::uint64_t start = kSize - tail.size();
                    into[i] = at < start ? 0 : static_cast<unsigned char>(tail[at - start]);
                }
                return n;
            }
        };
        return std::make_unique<Reader>();
    }
};

TEST(StandAloneFile, OnlyTheTailOfALargeProgramIsRead) {
    FakeFiles fake;
    HugeFiles files(fake);
    AttachmentReading reading = ReadStandAloneAttachment(files, "huge.exe");
    ASSERT_TRUE(reading.attachment) << reading.refusal;
    EXPECT_EQ(reading.attachment->scriptCabinet, "MyProgScript.Cab");
}

TEST(StandAloneFile, AMissingOrUnreadableFileIsRefused) {
    FakeFiles files;
    EXPECT_EQ(ReadStandAloneAttachment(files, "none.exe").refusal, "the file cannot be opened");
    files.Put("short.exe", kStub + Attachment());
    files.FailReadsFrom("short.exe", kStub.size());
    EXPECT_EQ(ReadStandAloneAttachment(files, "short.exe").refusal, "the file cannot be read");
    files.Put("small.exe", Attachment());
    EXPECT_TRUE(ReadStandAloneAttachment(files, "small.exe").attachment);
}

// The control is given a page in the publication directory, so the script cabinet's name
// resolves there.
TEST(StandAloneProgram, FetchesTheScriptCabinetFromThePublicationDirectory) {
    test::LoaderMachine machine;
    machine.ServeScript("");
    StandAloneAttachment attachment = kRead;
    attachment.publicationUrl = test::kPage;
    attachment.scriptCabinet = "Script.Cab";
    VexaLoader control(machine.platform, machine.site, machine.events);
    ASSERT_TRUE(CallAsAStandAloneProgram(control, attachment));
    EXPECT_EQ(control.PageBase(), test::kPage);
    ASSERT_TRUE(machine.RunUntil([&] { return !machine.events.lines.empty(); }));
    EXPECT_EQ(machine.Fetches("Script.Cab"), 1u);
}

// In the page's place: addresses go to the shell, "PREVIOUS PAGE" leaves the program.
TEST(StandAloneProgram, FollowsTheCustomEventsAsThePageWould) {
    FakeShell shell;
    int left = 0;
    const auto leave = [&] { ++left; };
    FollowCustomEvent(shell, "GOTO URL", "https://next.test/page.htm", leave);
    FollowCustomEvent(shell, "GOTO URL", "C:\\Windows\\notepad.exe", leave);
    FollowCustomEvent(shell, "GOTO URL", "", leave);
    FollowCustomEvent(shell, "OTHER", "http://other.test/", leave);
    EXPECT_EQ(shell.Opened(), std::vector<std::string>{"https://next.test/page.htm"});
    EXPECT_EQ(left, 0);
    FollowCustomEvent(shell, "PREVIOUS PAGE", "", leave);
    EXPECT_EQ(left, 1);
}

}  // namespace
}  // namespace vexa::loader
