#include "web_room.h"

#include "json_read.h"
#include "platform/registry.h"
#include "platform/utf.h"
#include "room_credentials.h"

WebRoomTask::WebRoomTask(Kind kind, zv::LoginRecord& record, zv::WebEventReceiver& receiver)
    : kind_(kind), record_(record), receiver_(receiver) {}

std::string WebRoomTask::BuildUrl(const std::string& endpoint, const std::string& roomId,
                                  const std::string& version) {
    return endpoint + "?id=" + roomId + "&ver=" + version;
}

WebRoomTask::Outcome WebRoomTask::ReadReply(std::string_view body, bool withUrl,
                                            const std::string& failureText) {
    namespace json = zv::json;
    Json::Value root;
    if (!json::Parse(body, root)) {
        return {false, failureText};
    }
    if (json::Bool(root, "result")) {
        if (!withUrl) {
            return {true, std::string()};
        }
        // An accepted reply without an address gives nothing to push to.
        std::string url = json::Text(root, "url");
        return url.empty() ? Outcome{false, failureText} : Outcome{true, std::move(url)};
    }
    // A refusal always says something the streamer can read.
    std::string message = json::Text(root, "message");
    return {false, message.empty() ? failureText : std::move(message)};
}

void WebRoomTask::Run() {
    const zv::LoginEndpoints endpoints = record_.Endpoints();
    std::string action;
    std::string endpoint;
    std::u16string failure;
    switch (kind_) {
        case Kind::kGetUrl:
            action = "geturl";
            endpoint = endpoints.getUrlUrl;
            failure = u"获取授权信息失败！";
            break;
        case Kind::kStartRecord:
            action = "startrecord";
            endpoint = endpoints.startRecordUrl;
            failure = u"启动录制失败！";
            break;
        case Kind::kStopRecord:
            action = "stoprecord";
            endpoint = endpoints.stopRecordUrl;
            failure = u"停止录制失败！";
            break;
    }
    const std::string url = BuildUrl(endpoint, record_.Reply().roomId, zv::ReadInstalledVersion());
    GetWithBasicAuth(url, zv::RoomControlUser(), zv::RoomControlPassword());
    const Outcome outcome = ReadReply(response, kind_ == Kind::kGetUrl, zv::Utf16ToUtf8(failure));
    receiver_.OnWebapiEvent(action, outcome.ok, outcome.message);
}
