#include "loader/page.hpp"

#include <gtest/gtest.h>

namespace vexa::loader {
namespace {

const std::string kObject = "<object classid=\"clsid:5A7E1C42-3B9D-4F60-8E21-C7D4A9B03F15\">";
const std::string kLong(100'000, 'x');

struct PageCase {
    std::string name;
    std::string html;
    Page page;
};

void PrintTo(const PageCase& c, std::ostream* out) { *out << c.name; }

const PageCase kPages[] = {
    {"the_usual_page",
     kObject + "<param name=\"DefaultURL\" value=\"http://cabs.test/\"></object>"
               "<script>VexaLoader.RunScript(\"Script.Cab\")</script>",
     {true, "Script.Cab", "http://cabs.test/"}},
    {"single_quotes", "RunScript('S.cab') <param name='DefaultURL' value='http://a/'>", {false, "S.cab", "http://a/"}},
    // A value ends at the first quote of either kind.
    {"mixed_quotes", "RunScript(\"S.cab') <param name='DefaultURL\" value=\"it's\">", {false, "S.cab", "it"}},
    {"names_without_regard_to_case",
     "<OBJECT CLASSID=\"CLSID:5a7e1c42-3b9d-4f60-8e21-c7d4a9b03f15\">"
     "<PARAM NAME=\"defaulturl\" VALUE=\"u\"> runscript(\"s\")",
     {true, "s", "u"}},
    {"white_space_around_brackets_and_equals",
     "RunScript \t(\r\n 's' ) <param\n\tname = 'DefaultURL'\r\nvalue\f=\v'u'>",
     {false, "s", "u"}},
    {"empty_values", "RunScript('') <param name='DefaultURL' value=''>", {false, "", ""}},
    {"no_class_id_braces_needed", "{5A7E1C42-3B9D-4F60-8E21-C7D4A9B03F15}", {true, "", ""}},
    // The first occurrence that reads as a call or a parameter counts.
    {"first_that_reads_counts",
     "RunScript; RunScript(x) RunScript(\"one\") RunScript(\"two\")"
     "<param name='Other' value='o'><param name='DefaultURL' value='d1'><param name='DefaultURL' value='d2'>",
     {false, "one", "d1"}},
    // "<param" must be followed by white space, and "value" must be apart from the name.
    {"parameter_words_run_together",
     "<paramname='DefaultURL' value='a'><param name='DefaultURL'value='b'><param value='c' name='DefaultURL'>",
     {false, "", ""}},
    {"unclosed_quotes", "RunScript('never closed <param name='DefaultURL' value='open", {false, "never closed <param name=", ""}},
    {"nothing_at_the_end", "RunScript(", {false, "", ""}},
    {"long_attributes",
     kObject + "<param name='DefaultURL' value='" + kLong + "'> RunScript(\"" + kLong + "\")",
     {true, kLong, kLong}},
    {"nul_bytes_are_text", std::string("RunScript('a\0b')", 16), {false, std::string("a\0b", 3), ""}},
};

class PageReading : public ::testing::TestWithParam<PageCase> {};

TEST_P(PageReading, FindsTheClassIdTheScriptAndTheDefaultUrl) {
    Page page = ReadPage(GetParam().html);
    EXPECT_EQ(page.embedsLoader, GetParam().page.embedsLoader);
    EXPECT_EQ(page.script, GetParam().page.script);
    EXPECT_EQ(page.defaultUrl, GetParam().page.defaultUrl);
}

INSTANTIATE_TEST_SUITE_P(Loader, PageReading, ::testing::ValuesIn(kPages),
                         [](const auto& param) { return param.param.name; });

// Pages built to make a backtracking reader take quadratic time or deep recursion: each of
// these would not end within the test's time.
TEST(PageReadingHostile, ManyFailedTriesEndInTimeProportionalToThePage) {
    auto repeated = [](const std::string& piece) {
        std::string page;
        while (page.size() < (std::size_t{4} << 20)) page += piece;
        return page;
    };
    for (const std::string& piece : {std::string("RunScript "), std::string("RunScript('"), std::string("<param name='"),
                                     std::string("<param name='DefaultURL' value "), std::string(" \t\r\n")}) {
        SCOPED_TRACE(piece);
        Page page = ReadPage(repeated(piece));
        EXPECT_FALSE(page.embedsLoader);
    }
}

}  // namespace
}  // namespace vexa::loader
