#include "common/url.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <ostream>
#include <string>

namespace vexa {

// Readable failure messages instead of byte dumps.
void PrintTo(const UrlParts& p, std::ostream* os) {
    *os << p.scheme << " | " << p.user << " | " << p.password << " | " << p.host << " | " << p.port
        << " | " << p.path << " | " << p.extra;
}

namespace {

struct SplitCase {
    std::string url;
    std::optional<UrlParts> expected;
};

TEST(SplitUrlTest, SplitsIntoParts) {
    const SplitCase cases[] = {
        {"http://user:pw@host:8080/dir/page.htm?q=1#top",
         UrlParts{"http", "user", "pw", "host", "8080", "/dir/page.htm", "?q=1#top"}},
        {"ftp://user@host/", UrlParts{"ftp", "user", "", "host", "", "/", ""}},
        {"https://host", UrlParts{"https", "", "", "host", "", "", ""}},
        {"http://host:81?x=a/b", UrlParts{"http", "", "", "host", "81", "", "?x=a/b"}},
        // A "?" after the "#" belongs to the fragment; the extra text stays as written.
        {"HTTP://h/p#f?x", UrlParts{"HTTP", "", "", "h", "", "/p", "#f?x"}},
        {"http://[::1]:8080/", UrlParts{"http", "", "", "[::1]", "8080", "/", ""}},
        {"http://host\\dir\\a", UrlParts{"http", "", "", "host", "", "\\dir\\a", ""}},
        {"file:///C:/dir/", UrlParts{"file", "", "", "", "", "/C:/dir/", ""}},
        {"mailto:a@b", UrlParts{"mailto", "", "", "", "", "a@b", ""}},
        {"C:\\dir\\page.htm", std::nullopt},
        {"page.htm?x=a:b", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitUrl(c.url), c.expected) << c.url;
}

struct CanonicalCase {
    std::string url;
    std::string expected;
};

TEST(CanonicalizeUrlTest, DecodesEscapesAndRemovesDotSegments) {
    const CanonicalCase cases[] = {
        {"http://host/My%20Dir/a%2ecab", "http://host/My Dir/a.cab"},
        {"http://h%6Fst/%7e%7E", "http://host/~~"},
        // Malformed escapes and %00 stay; nothing is encoded.
        {"http://host/100%/%4/%zz/%00/a b%4", "http://host/100%/%4/%zz/%00/a b%4"},
        {"http://host/a/./b/../c/..", "http://host/a/"},
        {"http://host/a\\b\\..\\c", "http://host/a\\c"},
        // Dot segments in the query and fragment are data.
        {"http://host/a?x=/../y#/./z", "http://host/a?x=/../y#/./z"},
        {"file:///C:/dir/../../x", "file:///C:/x"},
        {"FILE:///c:\\..\\x", "FILE:///c:\\x"},
        {"file://server/share/../x", "file://server/x"},
        {"dir/../My%20Prog.cab", "dir/../My Prog.cab"},
    };
    for (const auto& c : cases) EXPECT_EQ(CanonicalizeUrl(c.url), c.expected) << c.url;
}

struct CombineCase {
    std::string base;
    std::string reference;
    std::optional<std::string> expected;
};

void ExpectCombinations(std::span<const CombineCase> cases) {
    for (const auto& c : cases) {
        EXPECT_EQ(CombineUrl(c.base, c.reference), c.expected) << c.base << " + " << c.reference;
    }
}

constexpr const char* kRfcBase = "http://a/b/c/d;p?q";

TEST(CombineUrlTest, ResolvesTheRfcExamples) {
    const CombineCase cases[] = {
        // Normal examples.
        {kRfcBase, "g:h", "g:h"},
        {kRfcBase, "g", "http://a/b/c/g"},
        {kRfcBase, "./g", "http://a/b/c/g"},
        {kRfcBase, "g/", "http://a/b/c/g/"},
        {kRfcBase, "/g", "http://a/g"},
        {kRfcBase, "//g", "http://g"},
        {kRfcBase, "?y", "http://a/b/c/d;p?y"},
        {kRfcBase, "g?y", "http://a/b/c/g?y"},
        {kRfcBase, "#s", "http://a/b/c/d;p?q#s"},
        {kRfcBase, "g#s", "http://a/b/c/g#s"},
        {kRfcBase, "g?y#s", "http://a/b/c/g?y#s"},
        {kRfcBase, ";x", "http://a/b/c/;x"},
        {kRfcBase, "g;x", "http://a/b/c/g;x"},
        {kRfcBase, "g;x?y#s", "http://a/b/c/g;x?y#s"},
        {kRfcBase, "", "http://a/b/c/d;p?q"},
        {kRfcBase, ".", "http://a/b/c/"},
        {kRfcBase, "./", "http://a/b/c/"},
        {kRfcBase, "..", "http://a/b/"},
        {kRfcBase, "../", "http://a/b/"},
        {kRfcBase, "../g", "http://a/b/g"},
        {kRfcBase, "../..", "http://a/"},
        {kRfcBase, "../../", "http://a/"},
        {kRfcBase, "../../g", "http://a/g"},
        // Abnormal examples, strict parser.
        {kRfcBase, "../../../g", "http://a/g"},
        {kRfcBase, "../../../../g", "http://a/g"},
        {kRfcBase, "/./g", "http://a/g"},
        {kRfcBase, "/../g", "http://a/g"},
        {kRfcBase, "g.", "http://a/b/c/g."},
        {kRfcBase, ".g", "http://a/b/c/.g"},
        {kRfcBase, "g..", "http://a/b/c/g.."},
        {kRfcBase, "..g", "http://a/b/c/..g"},
        {kRfcBase, "./../g", "http://a/b/g"},
        {kRfcBase, "./g/.", "http://a/b/c/g/"},
        {kRfcBase, "g/./h", "http://a/b/c/g/h"},
        {kRfcBase, "g/../h", "http://a/b/c/h"},
        {kRfcBase, "g;x=1/./y", "http://a/b/c/g;x=1/y"},
        {kRfcBase, "g;x=1/../y", "http://a/b/c/y"},
        {kRfcBase, "g?y/./x", "http://a/b/c/g?y/./x"},
        {kRfcBase, "g?y/../x", "http://a/b/c/g?y/../x"},
        {kRfcBase, "g#s/./x", "http://a/b/c/g#s/./x"},
        {kRfcBase, "g#s/../x", "http://a/b/c/g#s/../x"},
        {kRfcBase, "http:g", "http:g"},
    };
    ExpectCombinations(cases);
}

TEST(CombineUrlTest, PlacesCabinetsNextToThePage) {
    const CombineCase cases[] = {
        {"http://host/dir/", "Prog1.cab", "http://host/dir/Prog1.cab"},
        {"http://host/dir/page.htm", "Prog1.cab", "http://host/dir/Prog1.cab"},
        {"http://host", "Prog1.cab", "http://host/Prog1.cab"},
        {"http://host/dir/", "https://other/x/Prog1.cab", "https://other/x/Prog1.cab"},
        {"http://host/dir/", "My%20Prog.cab", "http://host/dir/My Prog.cab"},
        {"http://host/My%20Dir/", "100%.cab", "http://host/My Dir/100%.cab"},
        {"http://host/dir/sub/", "..\\Prog1.cab", "http://host/dir\\Prog1.cab"},
        {"file:///C:/dir/", "Prog1.cab", "file:///C:/dir/Prog1.cab"},
        {"file:///C:\\dir\\", "Prog1.cab", "file:///C:\\dir\\Prog1.cab"},
        {"file:///C:/dir/", "../../Prog1.cab", "file:///C:/Prog1.cab"},
        {"File:///C:/dir/", "/cabs/Prog1.cab", "File:///C:/cabs/Prog1.cab"},
        {"file:///C:/dir/", "/D:/Prog1.cab", "file:///D:/Prog1.cab"},
        {"file://server/share/", "Prog1.cab", "file://server/share/Prog1.cab"},
        {"file://server\\share\\", "Prog1.cab", "file://server\\share\\Prog1.cab"},
        {"http://host/dir/", "/cabs/Prog1.cab", "http://host/cabs/Prog1.cab"},
        // What cannot be combined is kept as it is by the caller.
        {"host/dir/", "Prog1.cab", std::nullopt},
        {"C:\\dir\\", "Prog1.cab", std::nullopt},
        {"", "Prog1.cab", std::nullopt},
        {"http://host/dir/", "C:\\cabs\\Prog1.cab", std::nullopt},
        {"http://host/dir/", "\\\\server\\share\\Prog1.cab", std::nullopt},
    };
    ExpectCombinations(cases);
}

struct PageBaseCase {
    std::string page;
    std::string expected;
};

TEST(PageBaseUrlTest, KeepsTheDirectoryOfThePage) {
    // The canonical address must fit 300 characters with the terminating zero.
    const std::string longDir = "http://host/a%20b/";
    const std::string fits = longDir + std::string(283, 'x');
    const std::string tooLong = longDir + std::string(284, 'x');
    const PageBaseCase cases[] = {
        {"http://host/dir/page.htm?x=1", "http://host/dir/"},
        {"http://host/dir/page.htm#top", "http://host/dir/"},
        {"http://host/dir/page.htm?next=/a/b#c/d", "http://host/dir/"},
        {"http://host/dir/", "http://host/dir/"},
        {"http://host/My%20Dir/./page.htm", "http://host/My Dir/"},
        {"file:///C:\\pages\\page.htm", "file:///C:\\pages\\"},
        // A backslash before the last character drops that pair before the cut.
        {"file:///C:/pages\\sub\\a", "file:///C:/pages\\"},
        {"http://host/dir/a\\", "http://host/dir/a\\"},
        {fits, "http://host/a b/"},
        {tooLong, longDir},
        {"page.htm", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(PageBaseUrl(c.page), c.expected) << c.page;
}

}  // namespace
}  // namespace vexa
