#pragma once
// The room-control exchanges: an authenticated GET on the route host with the
// room id and the installed version, answered by a JSON object with a boolean
// "result". Each task reports exactly once through OnWebapiEvent, on the
// worker thread.
#include <string>
#include <string_view>

#include "async_task.h"
#include "login_record.h"
#include "room_result.h"
#include "web_api.h"
#include "web_event_receiver.h"

class WebRoomTask : public WebApi, public AsyncTask {
public:
    void Run() override;

    // endpoint + "?id=" + room id + "&ver=" + version, nothing escaped.
    static std::string BuildUrl(const std::string& endpoint, const std::string& roomId,
                                const std::string& version);

    // The reply to `action`: "result" true is accepted, with the "url" text
    // for "geturl" (unreadable without one); "result" false or missing is
    // refused with the "message" text (unreadable without one); a body that
    // is not a JSON object is unreadable.
    static zv::RoomResult ReadReply(std::string_view body, zv::RoomAction action);

protected:
    WebRoomTask(zv::RoomAction action, zv::LoginRecord& record, zv::WebEventReceiver& receiver);

private:
    zv::RoomAction action_;
    zv::LoginRecord& record_;
    zv::WebEventReceiver& receiver_;
};

// Fetches the RTMP push address (the result's text when accepted).
class WebGetURL : public WebRoomTask {
public:
    WebGetURL(zv::LoginRecord& record, zv::WebEventReceiver& receiver)
        : WebRoomTask(zv::RoomAction::kGetUrl, record, receiver) {}
};

// Tells the platform that recording begins.
class WebStartRecord : public WebRoomTask {
public:
    WebStartRecord(zv::LoginRecord& record, zv::WebEventReceiver& receiver)
        : WebRoomTask(zv::RoomAction::kStartRecord, record, receiver) {}
};

// Tells the platform that recording ends.
class WebStopRecord : public WebRoomTask {
public:
    WebStopRecord(zv::LoginRecord& record, zv::WebEventReceiver& receiver)
        : WebRoomTask(zv::RoomAction::kStopRecord, record, receiver) {}
};
