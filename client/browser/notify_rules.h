#pragma once
// The rules of the page function "notify": which calls reach the client and
// with what value. One pure function, shared by the web-process extension
// (which feeds it the script's arguments) and the tests.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace zv::browser {

// Names of the page function and of the two notices (kinds and messages).
inline constexpr std::string_view kNotifyFunction = "notify";
inline constexpr std::string_view kUpdateOnlineCount = "updateOnlineCount";
inline constexpr std::string_view kKickout = "kickout";

// The script types the rules distinguish. Only primitive strings and numbers
// count as text and numbers: a String or Number object is an Object.
enum class ScriptType { Undefined, Null, Boolean, Number, String, Object };

// Read-only view of the arguments of one script call. Text is fetched only
// for the arguments the rules actually use, so a page passing huge values in
// other positions costs nothing.
class ScriptArgs {
public:
    virtual ~ScriptArgs() = default;
    virtual size_t Count() const = 0;
    virtual ScriptType TypeAt(size_t index) const = 0;
    // Only called for a Number argument.
    virtual double NumberAt(size_t index) const = 0;
    // Only called for a String argument; valid UTF-8.
    virtual std::string TextAt(size_t index) const = 0;
};

// The message a call turns into: "updateOnlineCount" with an integer or
// "kickout" with a text.
struct NotifyMessage {
    std::string name;
    std::variant<int32_t, std::string> value;
};

// The integer value of a script value: a Number that is a whole number within
// the 32-bit signed range; anything else (fractions, NaN, infinities, -0 is
// fine as 0, larger numbers, text, objects, booleans) gives 0.
int32_t ScriptIntegerValue(ScriptType type, double number);

// Applies the rules to a call of the function `function` with `args`:
// the name must be "notify", there must be exactly two arguments, and the
// first must be the text "updateOnlineCount" or "kickout" (compared exactly).
// Any other call gives no message. The caller always returns undefined to
// the script, whatever the outcome.
std::optional<NotifyMessage> EvaluateNotify(std::string_view function, const ScriptArgs& args);

}  // namespace zv::browser
