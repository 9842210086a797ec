#include "download/line_list.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_files.hpp"

namespace vexa::download {
namespace {

std::vector<std::string> Lines(const LineList& list, std::int32_t count) {
    std::vector<std::string> lines;
    for (std::int32_t i = 0; i < count; ++i) lines.push_back(list.GetTextFileLine(i));
    EXPECT_EQ(list.GetTextFileLine(count), "");
    EXPECT_EQ(list.GetTextFileLine(-1), "");
    return lines;
}

TEST(LineList, SplitsAtEveryOccurrence) {
    const struct {
        std::string text;
        std::string separator;
        std::vector<std::string> lines;
    } cases[] = {
        {"a,b,c", ",", {"a", "b", "c"}},
        {"abc", ",", {"abc"}},
        {"a,b,", ",", {"a", "b", ""}},
        {"", ",", {""}},
        {",", ",", {"", ""}},
        {"a\r\nb\r\n\r\nc", "\r\n", {"a", "b", "", "c"}},
        {"aaa", "aa", {"", "a"}},  // left to right, never overlapping
        {"a,b", "", {"a,b"}},      // an empty separator occurs nowhere
    };
    for (const auto& c : cases) {
        LineList list;
        std::int32_t count = list.TextToLines(c.text, c.separator);
        EXPECT_EQ(count, static_cast<std::int32_t>(c.lines.size())) << c.text;
        EXPECT_EQ(Lines(list, count), c.lines) << c.text;
    }
}

TEST(LineList, ReadsTextFilesWholeAndEmptiesTheListForNone) {
    FakeFiles files;
    files.Put("list.txt", "one\r\ntwo\r\n");
    files.Put("empty.txt", "");
    files.Put("huge.txt", std::string(kMaxTextFileBytes + 1, '\n'));
    files.Put("broken.txt", "one\r\ntwo");
    files.FailReadsFrom("broken.txt", 4);

    LineList list;
    ASSERT_EQ(list.TextFileToLines(files, "list.txt", "\r\n"), 3);
    EXPECT_EQ(Lines(list, 3), (std::vector<std::string>{"one", "two", ""}));
    EXPECT_EQ(list.TextFileToLines(files, "list.txt", ""), 1);
    EXPECT_EQ(list.GetTextFileLine(0), "one\r\ntwo\r\n");

    // Unlike an empty text, an empty file has no line at all.
    for (const char* none : {"missing.txt", "empty.txt", "huge.txt", "broken.txt"}) {
        list.TextToLines("left,over", ",");
        EXPECT_EQ(list.TextFileToLines(files, none, "\n"), 0) << none;
        EXPECT_EQ(list.GetTextFileLine(0), "") << none;
    }
}

}  // namespace
}  // namespace vexa::download
