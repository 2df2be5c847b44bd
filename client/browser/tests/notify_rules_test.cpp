// The argument rules of the page function "notify", as a table.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "notify_rules.h"

namespace zv::browser {
namespace {

struct Arg {
    ScriptType type;
    double number = 0;
    std::string text;
};

Arg Str(std::string s) {
    return {ScriptType::String, 0, std::move(s)};
}
Arg Num(double d) {
    return {ScriptType::Number, d, {}};
}
Arg Of(ScriptType t) {
    return {t, 0, {}};
}

// Records which texts the rules read, to prove unused arguments stay untouched.
class TableArgs final : public ScriptArgs {
public:
    explicit TableArgs(std::vector<Arg> args) : args_(std::move(args)) {}
    size_t Count() const override { return args_.size(); }
    ScriptType TypeAt(size_t i) const override { return args_.at(i).type; }
    double NumberAt(size_t i) const override {
        EXPECT_EQ(args_.at(i).type, ScriptType::Number) << "number read from a non-number";
        return args_.at(i).number;
    }
    std::string TextAt(size_t i) const override {
        EXPECT_EQ(args_.at(i).type, ScriptType::String) << "text read from a non-string";
        ++textReads;
        return args_.at(i).text;
    }
    mutable int textReads = 0;

private:
    std::vector<Arg> args_;
};

struct Row {
    const char* label;
    std::string function;
    std::vector<Arg> args;
    bool sends;
    std::string name;
    std::variant<int32_t, std::string> value;
};

TEST(NotifyRules, Table) {
    const std::string kCn = "主播违规，房间已关闭";
    const std::vector<Row> rows = {
        {"count 42", "notify", {Str("updateOnlineCount"), Num(42)}, true, "updateOnlineCount", 42},
        {"count 0", "notify", {Str("updateOnlineCount"), Num(0)}, true, "updateOnlineCount", 0},
        {"negative count",
         "notify",
         {Str("updateOnlineCount"), Num(-7)},
         true,
         "updateOnlineCount",
         -7},
        {"largest int32",
         "notify",
         {Str("updateOnlineCount"), Num(2147483647.0)},
         true,
         "updateOnlineCount",
         INT32_MAX},
        {"smallest int32",
         "notify",
         {Str("updateOnlineCount"), Num(-2147483648.0)},
         true,
         "updateOnlineCount",
         INT32_MIN},
        {"past int32",
         "notify",
         {Str("updateOnlineCount"), Num(2147483648.0)},
         true,
         "updateOnlineCount",
         0},
        {"fraction", "notify", {Str("updateOnlineCount"), Num(4.5)}, true, "updateOnlineCount", 0},
        {"NaN",
         "notify",
         {Str("updateOnlineCount"), Num(std::nan(""))},
         true,
         "updateOnlineCount",
         0},
        {"infinity",
         "notify",
         {Str("updateOnlineCount"), Num(std::numeric_limits<double>::infinity())},
         true,
         "updateOnlineCount",
         0},
        {"text count",
         "notify",
         {Str("updateOnlineCount"), Str("42")},
         true,
         "updateOnlineCount",
         0},
        {"boolean count",
         "notify",
         {Str("updateOnlineCount"), Of(ScriptType::Boolean)},
         true,
         "updateOnlineCount",
         0},
        {"object count",
         "notify",
         {Str("updateOnlineCount"), Of(ScriptType::Object)},
         true,
         "updateOnlineCount",
         0},
        {"null count",
         "notify",
         {Str("updateOnlineCount"), Of(ScriptType::Null)},
         true,
         "updateOnlineCount",
         0},
        {"chinese reason", "notify", {Str("kickout"), Str(kCn)}, true, "kickout", kCn},
        {"empty reason", "notify", {Str("kickout"), Str("")}, true, "kickout", std::string()},
        {"numeric reason", "notify", {Str("kickout"), Num(12)}, true, "kickout", std::string()},
        {"object reason",
         "notify",
         {Str("kickout"), Of(ScriptType::Object)},
         true,
         "kickout",
         std::string()},
        {"undefined reason",
         "notify",
         {Str("kickout"), Of(ScriptType::Undefined)},
         true,
         "kickout",
         std::string()},
        {"no arguments", "notify", {}, false, "", 0},
        {"one argument", "notify", {Str("updateOnlineCount")}, false, "", 0},
        {"three arguments", "notify", {Str("updateOnlineCount"), Num(1), Num(2)}, false, "", 0},
        {"other case", "notify", {Str("UpdateOnlineCount"), Num(42)}, false, "", 0},
        {"other case kickout", "notify", {Str("Kickout"), Str("x")}, false, "", 0},
        {"kind with space", "notify", {Str("kickout "), Str("x")}, false, "", 0},
        {"unknown kind", "notify", {Str("gift"), Num(1)}, false, "", 0},
        {"empty kind", "notify", {Str(""), Num(1)}, false, "", 0},
        {"kind not text", "notify", {Num(1), Num(1)}, false, "", 0},
        {"kind object", "notify", {Of(ScriptType::Object), Str("x")}, false, "", 0},
        {"other function", "Notify", {Str("updateOnlineCount"), Num(42)}, false, "", 0},
        {"empty function", "", {Str("kickout"), Str("x")}, false, "", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        TableArgs args(row.args);
        const std::optional<NotifyMessage> m = EvaluateNotify(row.function, args);
        ASSERT_EQ(m.has_value(), row.sends);
        if (row.sends) {
            EXPECT_EQ(m->name, row.name);
            EXPECT_EQ(m->value, row.value);
        }
    }
}

TEST(NotifyRules, WrongArityNeverReadsArguments) {
    // A page passing a huge text in a call that cannot match costs nothing.
    TableArgs args({Str("kickout"), Str(std::string(1 << 20, 'x')), Str("third")});
    EXPECT_FALSE(EvaluateNotify("notify", args));
    EXPECT_EQ(args.textReads, 0);
}

TEST(NotifyRules, CountReadDoesNotTouchText) {
    TableArgs args({Str("updateOnlineCount"), Str("99")});
    ASSERT_TRUE(EvaluateNotify("notify", args));
    EXPECT_EQ(args.textReads, 1);  // the kind only
}

TEST(NotifyRules, IntegerValue) {
    EXPECT_EQ(ScriptIntegerValue(ScriptType::Number, -0.0), 0);
    EXPECT_EQ(ScriptIntegerValue(ScriptType::Number, 1e300), 0);
    EXPECT_EQ(ScriptIntegerValue(ScriptType::Number, -2147483649.0), 0);
    EXPECT_EQ(ScriptIntegerValue(ScriptType::Number, 0.0000001), 0);
    EXPECT_EQ(ScriptIntegerValue(ScriptType::Number, 123456789), 123456789);
    EXPECT_EQ(ScriptIntegerValue(ScriptType::String, 5), 0);
}

}  // namespace
}  // namespace zv::browser
