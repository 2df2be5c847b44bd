#pragma once
// The outcome of one room-control request as the web tasks report it: no
// text for a person in it but the platform's own; the window picks the words
// for a failure by its kind from the package.
#include <string>

namespace zv {

enum class RoomAction { kGetUrl, kStartRecord, kStopRecord };

enum class RoomFailure {
    kNone,        // accepted
    kRefused,     // "result" false with the platform's "message" in text
    kUnreadable,  // not JSON, no "message", or an accepted "geturl" without "url"
};

struct RoomResult {
    RoomAction action = RoomAction::kGetUrl;
    RoomFailure failure = RoomFailure::kNone;
    std::string text;  // UTF-8: the push address, or the platform's message

    bool ok() const { return failure == RoomFailure::kNone; }
    bool operator==(const RoomResult&) const = default;
};

// "geturl", "startrecord", "stoprecord".
const char* RoomActionName(RoomAction action);

// The text resource of an unreadable reply to `action` ("s.room.error.*").
const char* RoomFailureKey(RoomAction action);

// The text resource that shows a refusal: "{message}" is the platform's text.
inline constexpr const char* kRoomRefusedKey = "s.room.refused";

}  // namespace zv
