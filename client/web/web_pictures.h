#pragma once
// The two picture downloads that follow an accepted login: the avatar, cut to
// a round 64 x 64 PNG, and the logo for the video overlay. Each reply body is
// written to a new temporary file "zvtr??????.png" that is kept.
#include <string>

#include "async_task.h"
#include "login_record.h"
#include "web_api.h"
#include "web_event_receiver.h"

namespace zv {

// Writes `body` to a new temporary picture file and returns its path; the
// path of a file that could not be (fully) written is still returned, and it
// is empty only when no file could be made at all.
std::string WriteTempPicture(const std::string& body);

}  // namespace zv

// Downloads the avatar; calls SetHeadIcon only when a round picture was made.
class WebFetchHeaderIcon : public WebApi, public AsyncTask {
public:
    // `receiver` may be null; the picture is then only stored.
    WebFetchHeaderIcon(zv::LoginRecord& record, zv::WebEventReceiver* receiver)
        : record_(record), receiver_(receiver) {}
    void Run() override;

private:
    zv::LoginRecord& record_;
    zv::WebEventReceiver* receiver_;
};

// Downloads the logo; always ends with SetLogo, whatever arrived.
class WebFetchLogoPng : public WebApi, public AsyncTask {
public:
    WebFetchLogoPng(zv::LoginRecord& record, zv::WebEventReceiver* receiver)
        : record_(record), receiver_(receiver) {}
    void Run() override;

private:
    zv::LoginRecord& record_;
    zv::WebEventReceiver* receiver_;
};
