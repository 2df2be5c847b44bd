#include "web_room.h"

#include "json_read.h"
#include "platform/registry.h"
#include "room_credentials.h"

WebRoomTask::WebRoomTask(zv::RoomAction action, zv::LoginRecord& record,
                         zv::WebEventReceiver& receiver)
    : action_(action), record_(record), receiver_(receiver) {}

std::string WebRoomTask::BuildUrl(const std::string& endpoint, const std::string& roomId,
                                  const std::string& version) {
    return endpoint + "?id=" + roomId + "&ver=" + version;
}

zv::RoomResult WebRoomTask::ReadReply(std::string_view body, zv::RoomAction action) {
    namespace json = zv::json;
    zv::RoomResult result{action, zv::RoomFailure::kUnreadable, {}};
    Json::Value root;
    if (!json::Parse(body, root)) {
        return result;
    }
    if (json::Bool(root, "result")) {
        if (action != zv::RoomAction::kGetUrl) {
            result.failure = zv::RoomFailure::kNone;
            return result;
        }
        // An accepted reply without an address gives nothing to push to.
        result.text = json::Text(root, "url");
        result.failure =
            result.text.empty() ? zv::RoomFailure::kUnreadable : zv::RoomFailure::kNone;
        return result;
    }
    // A refusal always says something the streamer can read.
    result.text = json::Text(root, "message");
    result.failure = result.text.empty() ? zv::RoomFailure::kUnreadable : zv::RoomFailure::kRefused;
    return result;
}

void WebRoomTask::Run() {
    const zv::LoginEndpoints endpoints = record_.Endpoints();
    const std::string& endpoint = action_ == zv::RoomAction::kGetUrl ? endpoints.getUrlUrl
                                  : action_ == zv::RoomAction::kStartRecord
                                      ? endpoints.startRecordUrl
                                      : endpoints.stopRecordUrl;
    const std::string url = BuildUrl(endpoint, record_.Reply().roomId, zv::ReadInstalledVersion());
    GetWithBasicAuth(url, zv::RoomControlUser(), zv::RoomControlPassword());
    receiver_.OnWebapiEvent(ReadReply(response, action_));
}
