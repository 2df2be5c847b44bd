#include "room_result.h"

namespace zv {

const char* RoomActionName(RoomAction action) {
    switch (action) {
        case RoomAction::kGetUrl:
            return "geturl";
        case RoomAction::kStartRecord:
            return "startrecord";
        case RoomAction::kStopRecord:
            return "stoprecord";
    }
    return "";
}

const char* RoomFailureKey(RoomAction action) {
    switch (action) {
        case RoomAction::kGetUrl:
            return "s.room.error.geturl";
        case RoomAction::kStartRecord:
            return "s.room.error.startrecord";
        case RoomAction::kStopRecord:
            return "s.room.error.stoprecord";
    }
    return "";
}

}  // namespace zv
