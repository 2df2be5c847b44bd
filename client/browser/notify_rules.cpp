#include "notify_rules.h"

#include <cmath>

namespace zv::browser {

int32_t ScriptIntegerValue(ScriptType type, double number) {
    if (type != ScriptType::Number || !std::isfinite(number) || std::trunc(number) != number) {
        return 0;
    }
    // Out-of-range counts are not reinterpreted as other numbers.
    if (number < static_cast<double>(INT32_MIN) || number > static_cast<double>(INT32_MAX)) {
        return 0;
    }
    return static_cast<int32_t>(number);
}

std::optional<NotifyMessage> EvaluateNotify(std::string_view function, const ScriptArgs& args) {
    if (function != kNotifyFunction || args.Count() != 2) {
        return std::nullopt;
    }
    // A kind that is not text has the empty text value and matches nothing;
    // objects are never converted, so no page code runs here.
    if (args.TypeAt(0) != ScriptType::String) {
        return std::nullopt;
    }
    const std::string kind = args.TextAt(0);
    const ScriptType valueType = args.TypeAt(1);
    if (kind == kUpdateOnlineCount) {
        const double number = valueType == ScriptType::Number ? args.NumberAt(1) : 0.0;
        return NotifyMessage{std::string(kUpdateOnlineCount),
                             ScriptIntegerValue(valueType, number)};
    }
    if (kind == kKickout) {
        std::string text = valueType == ScriptType::String ? args.TextAt(1) : std::string();
        return NotifyMessage{std::string(kKickout), std::move(text)};
    }
    return std::nullopt;
}

}  // namespace zv::browser
