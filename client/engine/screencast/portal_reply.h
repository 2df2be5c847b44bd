#pragma once
// The ScreenCast portal's conventions, as pure functions: request object
// paths, what may be asked of a portal with the features it announces, and
// what its response codes mean for the user.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "capture_problem.h"

namespace zv::screencast {

// Portal response codes of org.freedesktop.portal.Request::Response.
inline constexpr uint32_t kResponseSuccess = 0;
inline constexpr uint32_t kResponseCancelled = 1;

// Source types (bit mask) and cursor modes (bit mask) of the ScreenCast API.
inline constexpr uint32_t kSourceMonitor = 1;
inline constexpr uint32_t kSourceWindow = 2;
inline constexpr uint32_t kCursorHidden = 1;
inline constexpr uint32_t kCursorEmbedded = 2;
// Keep the permission until the user revokes it (version 4 and later).
inline constexpr uint32_t kPersistUntilRevoked = 2;

// The object path on which the portal answers the request made with
// handle_token `token` by the connection with unique name `uniqueName`
// (":1.42" answers under ".../request/1_42/<token>").
std::string RequestPath(std::string_view uniqueName, std::string_view token);

uint32_t SourceTypeFor(CaptureKind kind);

// Why the kind cannot be asked for at all, given the portal's
// AvailableSourceTypes; nothing when it can.
std::optional<CaptureProblem> UnavailableKind(CaptureKind kind, uint32_t availableTypes);

// The cursor mode to ask for: drawn into the picture when offered, else
// hidden; 0 (do not ask) when the portal announces neither.
uint32_t CursorModeFor(uint32_t availableModes);

// What a failed response (any code but success) means. A request that
// carried a saved permission and failed for another reason than the user's
// cancel means that permission no longer holds.
CaptureProblem ProblemFromResponse(uint32_t code, bool usedRestoreToken);

// Whether a restore token read back from disk can be handed to the portal:
// non-empty, at most 512 bytes, printable ASCII without spaces.
bool IsUsableRestoreToken(std::string_view token);

}  // namespace zv::screencast
