#pragma once
// The login exchange: posts the user name and password to the platform's
// login endpoint and fills the login record from the JSON reply. On success
// it queues the avatar and logo downloads and sets logged in last.
#include <string>
#include <string_view>

#include "async_task.h"
#include "login_record.h"
#include "web_api.h"
#include "web_event_receiver.h"

class WebLogin : public WebApi, public AsyncTask {
public:
    // `record` and `receiver` must outlive the task and the picture tasks it
    // queues; `receiver` may be null (the pictures are then only stored).
    WebLogin(zv::LoginRecord& record, zv::WebEventReceiver* receiver);

    void Run() override;

    // "username=<user>&userpwd=<password>&clientversion=2.0", both values
    // percent-encoded with `api`'s Escape.
    static std::string FormBody(WebApi& api, const std::string& user, const std::string& password);

    // Reads a login reply into `record`: the failure on refusal or an
    // unreadable body (a refusal whose "errmsg" is empty or not text has no
    // reason), otherwise the reply fields without setting logged in.
    // Returns the accepted reply's fields through `reply`; true when accepted.
    static bool ReadReply(std::string_view body, zv::LoginRecord& record, zv::LoginReply& reply);

private:
    zv::LoginRecord& record_;
    zv::WebEventReceiver* receiver_;
};
