#include "json_read.h"

#include <cmath>
#include <limits>
#include <memory>

namespace zv::json {

namespace {

const Json::Value& NullValue() {
    static const Json::Value null;
    return null;
}

}  // namespace

bool Parse(std::string_view body, Json::Value& out) {
    // JSON text never holds a raw zero byte; jsoncpp would take one as the end.
    if (body.find('\0') != std::string_view::npos) {
        return false;
    }
    Json::CharReaderBuilder builder;
    Json::CharReaderBuilder::strictMode(&builder.settings_);
    // Any value may be the root ("5" is a document), duplicate keys keep the last.
    builder.settings_["strictRoot"] = false;
    builder.settings_["rejectDupKeys"] = false;
    builder.settings_["stackLimit"] = 256;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    try {
        // jsoncpp throws when the nesting limit is exceeded.
        if (!reader->parse(body.data(), body.data() + body.size(), &value, &errors)) {
            return false;
        }
    } catch (const std::exception&) {
        return false;
    }
    out = std::move(value);
    return true;
}

const Json::Value& Member(const Json::Value& object, const char* key) {
    if (!object.isObject()) {
        return NullValue();
    }
    const Json::Value* found = object.find(key, key + std::char_traits<char>::length(key));
    return found != nullptr ? *found : NullValue();
}

std::string Text(const Json::Value& object, const char* key) {
    const Json::Value& v = Member(object, key);
    switch (v.type()) {
        case Json::stringValue:
        case Json::booleanValue:
        case Json::intValue:
        case Json::uintValue:
        case Json::realValue:
            return v.asString();
        default:
            return std::string();
    }
}

bool Bool(const Json::Value& object, const char* key) {
    const Json::Value& v = Member(object, key);
    switch (v.type()) {
        case Json::booleanValue:
            return v.asBool();
        case Json::intValue:
            return v.asInt64() != 0;
        case Json::uintValue:
            return v.asUInt64() != 0;
        case Json::realValue:
            return v.asDouble() != 0.0;
        default:
            return false;
    }
}

int32_t Int(const Json::Value& object, const char* key) {
    constexpr double kMin = std::numeric_limits<int32_t>::min();
    constexpr double kMax = std::numeric_limits<int32_t>::max();
    const Json::Value& v = Member(object, key);
    switch (v.type()) {
        case Json::booleanValue:
            return v.asBool() ? 1 : 0;
        case Json::intValue:
        case Json::uintValue:
            return v.isInt() ? v.asInt() : 0;
        case Json::realValue: {
            const double d = std::trunc(v.asDouble());
            return (std::isfinite(d) && d >= kMin && d <= kMax) ? static_cast<int32_t>(d) : 0;
        }
        default:
            return 0;
    }
}

}  // namespace zv::json
