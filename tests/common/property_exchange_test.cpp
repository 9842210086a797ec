#include "common/property_exchange.hpp"

#include <gtest/gtest.h>

namespace vexa {
namespace {

struct Labels {
    std::string title;
    std::string note;
};

template <std::string Labels::*field>
PropertyEntry<Labels> Text(std::int32_t id, std::string_view name) {
    return {id, name, [](const Labels& l) { return l.*field; }, [](Labels& l, const std::string& v) { l.*field = v; }};
}

const DispatchTable<Labels>& Table() {
    static const DispatchTable<Labels> table({}, {}, {Text<&Labels::title>(1, "Title"), Text<&Labels::note>(2, "Note")});
    return table;
}

constexpr PropertyVersion kCurrent{2, 3};

TEST(PropertyExchange, SavesEveryPropertyWithTheVersion) {
    SavedProperties saved = SaveProperties(Table(), Labels{"a", ""}, kCurrent);
    EXPECT_EQ(saved.version, 0x00020003u);
    ASSERT_EQ(saved.values.size(), 2u);
    EXPECT_EQ(saved.values[0], std::make_pair(std::string("Title"), std::string("a")));
    EXPECT_EQ(*saved.Find("NOTE"), "");
}

TEST(PropertyExchange, LoadsUnlessANewerMajorVersionSavedThem) {
    const struct {
        std::optional<std::uint32_t> version;
        bool loaded;
    } cases[] = {
        {std::nullopt, true},   // no version: taken as the control's own
        {65536, true},          // 1.0, as generated pages write it
        {0x00020003, true},     // the same
        {0x0002FFFF, true},     // a newer minor version
        {0x00030000, false},    // a newer major version
        {0xFFFFFFFF, false},
    };
    for (const auto& c : cases) {
        Labels labels{"old", "old"};
        SavedProperties saved{c.version, {{"title", "T"}}};
        EXPECT_EQ(LoadProperties(Table(), labels, kCurrent, saved), c.loaded);
        EXPECT_EQ(labels.title, c.loaded ? "T" : "");
        EXPECT_EQ(labels.note, "") << "a missing property is empty";
    }
}

TEST(PropertyExchange, VersionTextsThatAreNoNumberCannotLoad) {
    EXPECT_EQ(VersionFromText(std::nullopt), std::nullopt);
    EXPECT_EQ(VersionFromText("65536"), 65536u);
    EXPECT_EQ(VersionFromText("2.3"), 0xFFFFFFFFu);
    EXPECT_EQ(VersionFromText(""), 0xFFFFFFFFu);
}

TEST(PropertyExchange, TheStreamFormRoundTrips) {
    SavedProperties saved{0x00020003, {{"Title", std::string("x\0y", 3)}, {"Note", ""}}};
    std::string bytes = EncodeProperties(saved);
    EXPECT_EQ(EncodedRestLength(bytes.substr(0, kEncodedLengthSize)), bytes.size() - kEncodedLengthSize);
    auto decoded = DecodeProperties(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->version, saved.version);
    EXPECT_EQ(decoded->values, saved.values);
}

TEST(PropertyExchange, MalformedBlocksAreRefused) {
    const std::string good = EncodeProperties({1, {{"Title", "abc"}}});
    std::string longText = good;
    longText[4 + 8 + 4 + 5] = '\x7F';  // the value's length beyond the block
    std::string manyProperties = good;
    manyProperties[4 + 4 + 3] = '\x10';  // a count in the hundreds of millions
    for (const std::string& bytes : {std::string(), good.substr(0, 3), good.substr(0, good.size() - 1),
                                     good + "z", longText, manyProperties, std::string("\xFF\xFF\xFF\xFF", 4)})
        EXPECT_FALSE(DecodeProperties(bytes)) << bytes.size();
    EXPECT_EQ(EncodedRestLength(std::string("\x01\x00\x10\x00", 4)), std::nullopt) << "over the bound";
}

}  // namespace
}  // namespace vexa
