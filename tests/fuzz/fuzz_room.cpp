// The room-control reply reader (push address, start and stop record) on
// arbitrary bytes: never crashes, and a refusal shown by its text has one.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "web_room.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    for (const zv::RoomAction action :
         {zv::RoomAction::kGetUrl, zv::RoomAction::kStartRecord, zv::RoomAction::kStopRecord}) {
        const zv::RoomResult r = WebRoomTask::ReadReply(body, action);
        if (r.failure == zv::RoomFailure::kRefused && r.text.empty()) {
            std::abort();  // a refusal shown as the platform's text has one
        }
        if (r.ok() && action == zv::RoomAction::kGetUrl && r.text.empty()) {
            std::abort();  // an accepted push address is never empty
        }
    }
    return 0;
}
