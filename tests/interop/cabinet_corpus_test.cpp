// The shared corpus of real and hostile cabinets (../shared/testdata/cabinets), driven by its
// expected.tsv: every member marked ok must come out with its recorded SHA-256, everything
// marked fail must fail cleanly.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>

#include "cabcodec/expander.hpp"
#include "cabcodec/member_name.hpp"
#include "platform/native.hpp"
#include "tests/support/under_wine.hpp"
#include "tests/support/temp_dir.hpp"
#include "tests/support/memory_cabinet.hpp"
#include "common/sha256.hpp"

namespace vexa::cab {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = fs::path(VEXA_SHARED_DIR) / "testdata" / "cabinets";

struct Row {
    std::string expect;  // "ok" or "fail"
    std::string member;  // "\" shown as "/", other bytes as \xNN
    std::string size;
    std::string sha256;
};

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\\x") == 0 && i + 4 <= text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The rows of expected.tsv by cabinet file, in cabinet order.
const std::map<std::string, std::vector<Row>>& Expected() {
    static const auto rows = [] {
        std::map<std::string, std::vector<Row>> byFile;
        std::istringstream lines(testing::ReadFile((kCorpus / "expected.tsv").string()));
        std::string line;
        std::getline(lines, line);  // the header
        while (std::getline(lines, line)) {
            std::vector<std::string> fields;
            std::istringstream cells(line);
            for (std::string cell; std::getline(cells, cell, '\t');) fields.push_back(cell);
            fields.resize(5);
            byFile[fields[0]].push_back({fields[1], Unescape(fields[2]), fields[3], fields[4]});
        }
        return byFile;
    }();
    return rows;
}

// Null, and the test fails, when the corpus is not where the build expects it.
std::unique_ptr<ReadableFile> OpenCorpusFile(const std::string& file) {
    NativePlatform platform;
    auto opened = platform.Get().files.OpenShared((kCorpus / file).string());
    EXPECT_NE(opened, nullptr) << kCorpus / file;
    return opened;
}

// Copies only the member at `wanted` (in cabinet order), hashing it as it streams.
class HashingHandler final : public ExpandHandler {
public:
    explicit HashingHandler(std::size_t wanted) : wanted_(wanted) {}
    std::unique_ptr<MemberSink> CopyFile(const MemberInfo&) override {
        return offered_++ == wanted_ ? std::make_unique<Sink>(*this) : nullptr;
    }
    bool FileComplete(std::unique_ptr<MemberSink>, const MemberInfo&) override {
        complete_ = true;
        return true;
    }
    bool Complete() const { return complete_; }
    std::uint64_t Size() const { return size_; }
    std::string Digest() { return sha_.HexDigest(); }

private:
    struct Sink final : MemberSink {
        explicit Sink(HashingHandler& owner) : handler(owner) {}
        bool Write(const unsigned char* data, std::size_t n) override {
            handler.sha_.Update(data, n);
            handler.size_ += n;
            return true;
        }
        HashingHandler& handler;
    };
    std::size_t wanted_;
    std::size_t offered_ = 0;
    bool complete_ = false;
    std::uint64_t size_ = 0;
    Sha256 sha_;
};

struct Outcome {
    std::string name;  // "\" shown as "/", as in expected.tsv
    bool ok = false;
    std::uint64_t size = 0;
    std::string sha256;
};

// Every cabinet found in the file, every member extracted on its own: one member's
// failure must not hide whether the others come out.
std::vector<Outcome> ExtractEachMember(const std::string& file) {
    auto opened = OpenCorpusFile(file);
    if (!opened) return {};
    FileCabinetSource source(std::move(opened));
    std::vector<Outcome> outcomes;
    for (const auto& cabinet : FindCabinets(source).value_or(std::vector<CabinetLocation>{})) {
        std::vector<MemberInfo> members;
        if (ListMembers(source, cabinet.offset, members) != ExpandStatus::Done) continue;
        for (std::size_t i = 0; i < members.size(); ++i) {
            HashingHandler handler(i);
            Outcome outcome;
            outcome.name = members[i].name;
            std::replace(outcome.name.begin(), outcome.name.end(), '\\', '/');
            outcome.ok = Expand(source, cabinet.offset, handler) == ExpandStatus::Done && handler.Complete();
            outcome.size = handler.Size();
            outcome.sha256 = handler.Digest();
            outcomes.push_back(outcome);
        }
    }
    return outcomes;
}

bool CoveredElsewhere(const std::string& file) { return file == "dirwalk-vulns.cab" || file.starts_with("split-"); }

std::vector<std::string> TableFiles() {
    std::vector<std::string> files;
    for (const auto& [file, rows] : Expected()) {
        if (!CoveredElsewhere(file)) files.push_back(file);
    }
    return files;
}

TEST(CabinetCorpus, IsPresent) { EXPECT_GE(Expected().size(), 40u) << kCorpus; }

class CabinetCorpusTable : public ::testing::TestWithParam<std::string> {};

TEST_P(CabinetCorpusTable, MatchesExpectedResults) {
    if (test::UnderWine() && GetParam() == "cve-2010-2801-qtm-flush.cab") {
        GTEST_SKIP() << "Wine's cabinet.dll fails a Quantum block that ends in the middle of a frame";
    }
    const auto& rows = Expected().at(GetParam());
    auto outcomes = ExtractEachMember(GetParam());
    bool wholeFileFails = rows.size() == 1 && rows[0].expect == "fail" && rows[0].member.empty();
    if (wholeFileFails) {
        for (const auto& outcome : outcomes) EXPECT_FALSE(outcome.ok) << outcome.name;
        return;
    }
    ASSERT_EQ(outcomes.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].member);
        EXPECT_EQ(outcomes[i].name, rows[i].member);
        EXPECT_EQ(outcomes[i].ok, rows[i].expect == "ok");
        if (rows[i].expect == "ok") {
            EXPECT_EQ(std::to_string(outcomes[i].size), rows[i].size);
            EXPECT_EQ(outcomes[i].sha256, rows[i].sha256);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, CabinetCorpusTable, ::testing::ValuesIn(TableFiles()), [](const auto& param) {
    std::string name = param.param;
    for (auto& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
});

// Writes members where a careless caller would: destination + stored name.
class JoiningHandler final : public ExpandHandler {
public:
    explicit JoiningHandler(fs::path destination) : destination_(std::move(destination)) {}
    std::unique_ptr<MemberSink> CopyFile(const MemberInfo& member) override {
        std::string name = member.name;
        std::replace(name.begin(), name.end(), '\\', '/');
        auto target = fs::path(destination_.string() + "/" + name);
        fs::create_directories(target.parent_path());
        std::ofstream(target, std::ios::binary).put('!');
        return nullptr;
    }
    bool FileComplete(std::unique_ptr<MemberSink>, const MemberInfo&) override { return true; }

private:
    fs::path destination_;
};

// Absolute names, ".." components, names made of separators and overlong UTF-8 forms of "/":
// the reader refuses the cabinet before a careless caller could write outside its folder.
TEST(CabinetCorpus, DirwalkNamesAreRefusedAndNothingEscapes) {
    testing::TempDir scratch;
    auto destination = scratch.path() / "a" / "b" / "out";
    fs::create_directories(destination);
    auto opened = OpenCorpusFile("dirwalk-vulns.cab");
    ASSERT_NE(opened, nullptr);
    FileCabinetSource source(std::move(opened));
    JoiningHandler handler(destination);
    EXPECT_EQ(Expand(source, 0, handler), ExpandStatus::UnsafeName);
    for (const auto& entry : fs::recursive_directory_iterator(scratch.path())) {
        EXPECT_TRUE(entry.is_directory()) << "written: " << entry.path();
    }
    // Each name on its own is refused too; the names with bytes above 0x7F are marked UTF-8 there.
    for (const auto& row : Expected().at("dirwalk-vulns.cab")) {
        EXPECT_FALSE(IsSafeMemberName(row.member, kUtf8NameAttribute)) << row.member;
    }
}

// Cabinet sets that span several files are not followed: each part is read alone, so only
// the members that lie wholly in it come out, and any member continued from or into
// another part fails the pass instead of yielding partial data.
TEST(CabinetCorpus, SpannedSetPartsYieldOnlyTheirWholeMembers) {
    std::map<std::string, std::string> digests;
    for (const auto& row : Expected().at("split-1.cab")) digests[row.member] = row.sha256;
    for (const char* part : {"split-1.cab", "split-2.cab", "split-3.cab", "split-4.cab", "split-5.cab"}) {
        SCOPED_TRACE(part);
        auto outcomes = ExtractEachMember(part);
        EXPECT_TRUE(std::any_of(outcomes.begin(), outcomes.end(), [](const Outcome& o) { return !o.ok; }));
        for (const auto& outcome : outcomes) {
            if (outcome.ok) {
                EXPECT_EQ(outcome.sha256, digests.at(outcome.name)) << outcome.name;
            }
        }
    }
    // The first part's first member, MSZIP with reserves in every block, is whole.
    auto first = ExtractEachMember("split-1.cab");
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first[0].name, "small1.bin");
    EXPECT_TRUE(first[0].ok);
}

// The member of large-files-cab.cab is itself a cabinet of three 2 GiB files: list it, never expand it.
TEST(CabinetCorpus, LargeFilesInnerCabinetIsListedNotExpanded) {
    auto opened = OpenCorpusFile("large-files-cab.cab");
    ASSERT_NE(opened, nullptr);
    FileCabinetSource outer(std::move(opened));
    test::MemoryExpandHandler handler;
    ASSERT_EQ(Expand(outer, 0, handler), ExpandStatus::Done);
    ASSERT_EQ(handler.members.size(), 1u);
    test::MemorySource inner(handler.members[0].bytes);
    std::vector<MemberInfo> members;
    ASSERT_EQ(ListMembers(inner, 0, members), ExpandStatus::Done);
    ASSERT_EQ(members.size(), 3u);
    for (const auto& member : members) EXPECT_EQ(member.size, 2'147'450'880u) << member.name;
}

}  // namespace
}  // namespace vexa::cab
