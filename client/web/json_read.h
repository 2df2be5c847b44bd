#pragma once
// Reading the platform's JSON replies. Values of an unexpected type never
// throw and never crash; the rule is:
//  - text:    a string as is; a boolean as "true"/"false"; a number in
//             jsoncpp's text form; null, object, array or a missing key -> "".
//  - boolean: a boolean as is; a number -> non-zero; anything else -> false
//             (a string "true" is not a boolean).
//  - integer: an integral number that fits 32 bits, a real cut toward zero
//             when it fits, a boolean as 0/1; anything else -> 0.
// Reading a key of something that is not an object reads as a missing key.
#include <json/json.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace zv::json {

// Parses `body` as exactly one JSON document: no comments, nothing but white
// space after the value, nesting limited. False for an empty or malformed
// body; never throws.
bool Parse(std::string_view body, Json::Value& out);

// The member `key` of `object`, or a null value.
const Json::Value& Member(const Json::Value& object, const char* key);

std::string Text(const Json::Value& object, const char* key);
bool Bool(const Json::Value& object, const char* key);
int32_t Int(const Json::Value& object, const char* key);

}  // namespace zv::json
