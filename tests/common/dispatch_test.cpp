#include "common/dispatch.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace vexa {
namespace {

TEST(Dispatch, ValuesAreReadAndWrittenAsText) {
    const struct {
        ValueType type;
        const char* text;
        std::optional<Value> value;
    } cases[] = {
        {ValueType::Bool, "TRUE", Value(true)},
        {ValueType::Bool, "-1", Value(true)},
        {ValueType::Bool, "0", Value(false)},
        {ValueType::Bool, "yes", std::nullopt},
        {ValueType::Long, "-2147483648", Value(std::int32_t{-2147483647 - 1})},
        {ValueType::Long, "2147483648", std::nullopt},
        {ValueType::Long, "12a", std::nullopt},
        {ValueType::Long, "", std::nullopt},
        {ValueType::String, "", Value(std::string())},
        {ValueType::String, "C:\\a b", Value(std::string("C:\\a b"))},
        {ValueType::Double, "5368709120", Value(5368709120.0)},
        {ValueType::Double, "1.5x", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseValue(c.type, c.text), c.value) << c.text;
    EXPECT_EQ(FormatValue(Value(false)), "false");
    EXPECT_EQ(FormatValue(Value(std::int32_t{-5})), "-5");
    EXPECT_EQ(FormatValue(Value()), "");
    EXPECT_EQ(FormatValue(Value(5368709120.0)), "5368709120");
}

struct Counter {
    std::int32_t Add(std::int32_t amount, const std::string& why) {
        if (why == "throw") throw std::runtime_error("inside");
        reasons += why;
        return total += amount;
    }
    void Reset(bool keepReasons) {
        total = 0;
        if (!keepReasons) reasons.clear();
    }
    std::int32_t total = 0;
    std::string reasons;
};

TEST(Dispatch, EntriesFollowTheSignatureAndInvokeChecksArgumentsFirst) {
    DispatchTable<Counter> table(
        {Method(1, "Add", &Counter::Add, "Amount", "Why"), Method(2, "Reset", &Counter::Reset, "KeepReasons")},
        {{1, "Changed", {{"Total", ValueType::Long}}}});
    const auto* add = table.FindMethod("aDD");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->result, ValueType::Long);
    ASSERT_EQ(add->parameters.size(), 2u);
    EXPECT_EQ(add->parameters[1].name, "Why");
    EXPECT_EQ(add->parameters[1].type, ValueType::String);
    EXPECT_EQ(table.FindMethod("Reset")->result, ValueType::Empty);
    EXPECT_EQ(table.FindMethod("Missing"), nullptr);
    EXPECT_EQ(table.FindEvent(1)->name, "Changed");
    EXPECT_EQ(table.FindEvent(2), nullptr);

    Counter counter;
    InvokeResult done = Invoke(counter, *add, {Value(std::int32_t{5}), Value(std::string("a"))});
    EXPECT_EQ(done.status, InvokeStatus::Done);
    EXPECT_EQ(done.value, Value(std::int32_t{5}));
    EXPECT_EQ(Invoke(counter, *add, {Value(std::int32_t{5})}).status, InvokeStatus::BadParameterCount);
    EXPECT_EQ(Invoke(counter, *add, {Value(true), Value(std::string("b"))}).status, InvokeStatus::TypeMismatch);
    EXPECT_EQ(Invoke(counter, *add, {Value(std::int32_t{1}), Value(std::string("throw"))}).status,
              InvokeStatus::Failed);
    EXPECT_EQ(counter.total, 5);
    EXPECT_EQ(Invoke(counter, *table.FindMethod("Reset"), {Value(false)}).value, Value());
    EXPECT_EQ(counter.reasons, "");
}

}  // namespace
}  // namespace vexa
