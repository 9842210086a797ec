#include "download/variable_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/fake/fake_files.hpp"
#include "tests/support/system_files.hpp"
#include "tests/support/temp_dir.hpp"

namespace vexa::download {
namespace {

namespace fs = std::filesystem;
using vexa::testing::ReadFile;
using vexa::testing::SystemFiles;
using vexa::testing::TempDir;
using vexa::testing::WriteFile;

const std::string H(kVariableFileHeader);

class VariableFileTest : public ::testing::Test {
protected:
    bool Put(const std::string& name, const std::string& value) { return PutVarInTextFile(files_, name, value, file_); }
    std::string Get(const std::string& name) { return GetVarFromTextFile(files_, name, file_); }
    bool Is(const std::string& name) { return IsVarInTextFile(files_, name, file_); }
    bool Delete(const std::string& name) { return DeleteVarInTextFile(files_, name, file_); }

    TempDir dir_;
    Files& files_ = SystemFiles();
    std::string file_ = dir_ / "vars.txt";
};

TEST_F(VariableFileTest, KeepsValuesInTheFileFormat) {
    ASSERT_TRUE(Put("Color", "red"));
    EXPECT_EQ(ReadFile(file_), H + "\r\nColor=red");
    ASSERT_TRUE(Put("Size", "a=b"));
    EXPECT_EQ(ReadFile(file_), H + "\r\nColor=red\r\nSize=a=b");
    // Replaced where it stands, in the new spelling.
    ASSERT_TRUE(Put("COLOR", "blue"));
    EXPECT_EQ(ReadFile(file_), H + "\r\nCOLOR=blue\r\nSize=a=b");

    EXPECT_EQ(Get("color"), "blue");
    EXPECT_EQ(Get("size"), "a=b");
    EXPECT_TRUE(Is("SIZE"));
    EXPECT_FALSE(Is("Siz"));
    EXPECT_EQ(Get("Missing"), "");

    ASSERT_TRUE(Delete("size"));
    EXPECT_EQ(ReadFile(file_), H + "\r\nCOLOR=blue");
    EXPECT_FALSE(Delete("size"));
    ASSERT_TRUE(Delete("color"));
    EXPECT_EQ(ReadFile(file_), H);
    // The emptied file gains no blank line from the next value.
    ASSERT_TRUE(Put("Empty", ""));
    EXPECT_EQ(ReadFile(file_), H + "\r\nEmpty=");
    EXPECT_TRUE(Is("empty"));
}

TEST(VariableValue, ReadsLinesByTheFileRules) {
    const struct {
        std::string file;
        std::string name;
        std::optional<std::string> value;
    } cases[] = {
        {H + "\r\na=1", "A", "1"},
        {H + "\r\n\na=1\n\r\nb=2", "b", "2"},        // every LF is dropped
        {H + "\r\na\n=1", "a", "1"},                 // even inside a line
        {H + "XYa=1", "a", "1"},                     // the two bytes after the header are skipped
        {H + "\r\na=1\r", "a", "1"},                 // a last, empty line
        {H + "\r\nab=1\r\na=2", "a", "2"},           // the name ends at the first "="
        {H + "\r\na=1\r\nA=2", "a", "1"},            // the first line wins
        {H + "\r\n=x", "", "x"},                     // an empty name
        {H + "\r\na=1", "a=1", std::nullopt},        // a name holding "=" is on no line
        {H + "\r\na 1", "a", std::nullopt},          // a line without "="
        {H + "\r\n", "", std::nullopt},              // one empty line
        {H, "", std::nullopt},                       // the header alone holds no lines
        {"[vx var file header]\r\na=1", "a", std::nullopt},
        {"\xEF\xBB\xBF" + H + "\r\na=1", "a", std::nullopt},
        {H.substr(0, 10), "a", std::nullopt},
        {"", "a", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(VariableValue(c.file, c.name), c.value) << c.file << " / " << c.name;
}

TEST(VariableValue, WritingAgainNormalisesLineBreaks) {
    EXPECT_EQ(WithVariable(H + "\n\r\na=1\nb\r\r\nc=3", "c", "4"), H + "\r\na=1b\r\n\r\nc=4");
    EXPECT_EQ(WithoutVariable(H + "\r\na=1\r\n", "a"), H + "\r\n");
}

// A file without the header may be anyone's: it is read as holding nothing and never written.
TEST_F(VariableFileTest, LeavesFilesWithoutTheHeaderAlone) {
    for (const std::string& bytes : {std::string("Color=red\r\n"), std::string(), H.substr(1) + "\r\nColor=red"}) {
        WriteFile(file_, bytes);
        EXPECT_FALSE(Put("Color", "blue"));
        EXPECT_FALSE(Delete("Color"));
        EXPECT_EQ(Get("Color"), "");
        EXPECT_FALSE(Is("Color"));
        EXPECT_EQ(ReadFile(file_), bytes);
    }
}

TEST_F(VariableFileTest, RefusesWhatItCannotWriteAndKeepsTheOldFile) {
    const std::string old = H + "\r\nColor=red";
    WriteFile(file_, old);
    // Texts that would not read back as written: an unfindable name, forged lines.
    const std::pair<std::string, std::string> unwritable[] = {{"a=b", "1"}, {"a\r", "1"}, {"a", "x\r\nColor=green"},
                                                              {"a", "x\ny"}};
    for (const auto& [name, value] : unwritable) EXPECT_FALSE(Put(name, value)) << name << value;
    EXPECT_EQ(ReadFile(file_), old);

    fs::permissions(file_, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_FALSE(Put("Color", "blue"));
    EXPECT_FALSE(Delete("Color"));
    EXPECT_EQ(ReadFile(file_), old);
    EXPECT_EQ(Get("Color"), "red");

    EXPECT_FALSE(PutVarInTextFile(files_, "a", "1", dir_ / "no/such/folder/vars.txt"));
    const std::string folder = dir_ / "folder";
    fs::create_directory(folder);
    EXPECT_FALSE(PutVarInTextFile(files_, "a", "1", folder));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), {}), 2);  // nothing left beside them
}

// Larger than a text file may be: not read at all, so neither found in nor changed.
TEST_F(VariableFileTest, ATooLargeFileIsNotRead) {
    WriteFile(file_, H + "\r\nColor=red\r\n");
    fs::resize_file(file_, kMaxTextFileBytes + 1);
    EXPECT_EQ(Get("Color"), "");
    EXPECT_FALSE(Put("Color", "blue"));
    EXPECT_FALSE(Delete("Color"));
    EXPECT_EQ(fs::file_size(file_), kMaxTextFileBytes + 1);
}

// A read that fails partway is no file to take values from, nor to rewrite with lines lost.
TEST(VariableFileReads, AFailedReadIsNoVariableFile) {
    FakeFiles files;
    files.Put("vars.txt", H + "\r\nColor=red\r\nSize=10");
    EXPECT_EQ(GetVarFromTextFile(files, "size", "vars.txt"), "10");
    files.FailReadsFrom("vars.txt", H.size() + 4);
    EXPECT_EQ(GetVarFromTextFile(files, "color", "vars.txt"), "");
    EXPECT_FALSE(IsVarInTextFile(files, "color", "vars.txt"));
    EXPECT_FALSE(PutVarInTextFile(files, "Color", "blue", "vars.txt"));
    EXPECT_FALSE(DeleteVarInTextFile(files, "Color", "vars.txt"));
}

}  // namespace
}  // namespace vexa::download
