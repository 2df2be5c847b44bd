// The room-control reply reader (push address, start and stop record) on
// arbitrary bytes: never crashes, and a failure always has a text to show.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "web_room.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    for (const bool withUrl : {true, false}) {
        const WebRoomTask::Outcome o = WebRoomTask::ReadReply(body, withUrl, "获取授权信息失败！");
        if (!o.ok && o.message.empty()) {
            std::abort();
        }
        if (o.ok && withUrl && o.message.empty()) {
            std::abort();  // an accepted push address is never empty
        }
    }
    return 0;
}
