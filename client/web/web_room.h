#pragma once
// The room-control exchanges: an authenticated GET on the route host with the
// room id and the installed version, answered by a JSON object with a boolean
// "result". Each task reports exactly once through OnWebapiEvent, on the
// worker thread.
#include <string>
#include <string_view>

#include "async_task.h"
#include "login_record.h"
#include "web_api.h"
#include "web_event_receiver.h"

class WebRoomTask : public WebApi, public AsyncTask {
public:
    struct Outcome {
        bool ok = false;
        std::string message;
    };

    void Run() override;

    // endpoint + "?id=" + room id + "&ver=" + version, nothing escaped.
    static std::string BuildUrl(const std::string& endpoint, const std::string& roomId,
                                const std::string& version);

    // "result" true: ok with the "url" text when `withUrl`, else empty text;
    // "result" false or missing: the "message" text; not JSON: `failureText`.
    static Outcome ReadReply(std::string_view body, bool withUrl, const std::string& failureText);

protected:
    enum class Kind { kGetUrl, kStartRecord, kStopRecord };
    WebRoomTask(Kind kind, zv::LoginRecord& record, zv::WebEventReceiver& receiver);

private:
    Kind kind_;
    zv::LoginRecord& record_;
    zv::WebEventReceiver& receiver_;
};

// Fetches the RTMP push address: ("geturl", ok, address or message).
class WebGetURL : public WebRoomTask {
public:
    WebGetURL(zv::LoginRecord& record, zv::WebEventReceiver& receiver)
        : WebRoomTask(Kind::kGetUrl, record, receiver) {}
};

// Tells the platform that recording begins: ("startrecord", ok, message).
class WebStartRecord : public WebRoomTask {
public:
    WebStartRecord(zv::LoginRecord& record, zv::WebEventReceiver& receiver)
        : WebRoomTask(Kind::kStartRecord, record, receiver) {}
};

// Tells the platform that recording ends: ("stoprecord", ok, message).
class WebStopRecord : public WebRoomTask {
public:
    WebStopRecord(zv::LoginRecord& record, zv::WebEventReceiver& receiver)
        : WebRoomTask(Kind::kStopRecord, record, receiver) {}
};
