#include "web_login.h"

#include "json_read.h"
#include "web_pictures.h"

WebLogin::WebLogin(zv::LoginRecord& record, zv::WebEventReceiver* receiver)
    : record_(record), receiver_(receiver) {}

std::string WebLogin::FormBody(WebApi& api, const std::string& user, const std::string& password) {
    const std::string escapedPassword = api.Escape(password);
    const std::string escapedUser = api.Escape(user);
    return "username=" + escapedUser + "&userpwd=" + escapedPassword + "&clientversion=2.0";
}

bool WebLogin::ReadReply(std::string_view body, zv::LoginRecord& record, zv::LoginReply& reply) {
    namespace json = zv::json;
    Json::Value root;
    if (!json::Parse(body, root)) {
        record.SetFailure(zv::LoginFailure::kUnreadable, std::string(body));
        return false;
    }
    if (json::Text(root, "success") != "true") {
        // The login window waits for an error text: a refusal without one
        // would leave it waiting for ever.
        const std::string reason = json::Text(root, "errmsg");
        record.SetFailure(reason.empty() ? zv::LoginFailure::kNoReason : zv::LoginFailure::kRefused,
                          reason);
        return false;
    }
    const Json::Value& data = json::Member(root, "dataresult");
    reply = zv::LoginReply();
    reply.nickname = json::Text(data, "nickname");
    reply.avatarUrl = json::Text(data, "headimage");
    reply.signature = json::Text(data, "signature");
    reply.chatUrl = json::Text(data, "chaturl");
    reply.giftUrl = json::Text(data, "gifturl");
    reply.onlineCount = json::Text(data, "onlineusercount");
    reply.roomId = json::Text(data, "roomid");
    reply.loginTime = json::Text(data, "logintime");
    reply.allowRecord = json::Bool(data, "allowrecord");
    reply.logoUrl = "http:" + json::Text(data, "logo");
    reply.logoWidth = json::Int(data, "lwith");
    reply.logoHeight = json::Int(data, "lheight");
    reply.logoPosition = json::Int(data, "position");
    return true;
}

void WebLogin::Run() {
    const zv::LoginEndpoints endpoints = record_.Endpoints();
    Post(endpoints.loginUrl, FormBody(*this, record_.User(), record_.Password()));
    record_.SetAllowRecord(false);

    zv::LoginReply reply;
    if (!ReadReply(response, record_, reply)) {
        return;
    }
    record_.SetReply(reply);
    // The pictures run after this task on the same worker, reading the
    // addresses just stored.
    AsyncTask::Start(new WebFetchHeaderIcon(record_, receiver_));
    AsyncTask::Start(new WebFetchLogoPng(record_, receiver_));
    // Last, so that a window that sees the flag sees a complete record.
    record_.SetLoggedIn();
}
