#pragma once
// What the windows are given through their constructors instead of reaching
// for the application object: the login record, where the web tasks report,
// the platform's requests, the page runtime and the media engine. The
// application object implements the interfaces over the real parts; tests
// hand in fakes. Every call is made on the UI thread.
#include <chrono>
#include <string>

#include "login_record.h"
#include "media_engine.h"
#include "room_result.h"
#include "web_event_inbox.h"

typedef struct _GtkWidget GtkWidget;

namespace zv::browser {
class WebViewCallback;
}

namespace zv {

// The media engine's lifetime: made on first use, released at the end.
class EngineHost {
public:
    virtual ~EngineHost() = default;
    // The engine, started on the first call.
    virtual MediaEngine& Engine() = 0;
    // Destroys the engine (after a failed start); a later Engine() starts afresh.
    virtual void Release() = 0;
    // The release at the end of the process, bounded by `budget`.
    virtual void ReleaseForExit(std::chrono::milliseconds budget) = 0;
    // The mixed sound level (0..1, more for a peak over full scale).
    virtual float MixedLevel() = 0;
};

// Where the embedded pages are made.
class PageRuntime {
public:
    virtual ~PageRuntime() = default;
    // A view of `url` as a child of `area` of `width` x `height`, reporting to
    // `receiver` (may be null); false when there is no runtime.
    virtual bool CreateView(GtkWidget* area, int width, int height, const std::string& url,
                            browser::WebViewCallback* receiver) = 0;
};

// The platform's exchanges, each queued on the worker; results reach the
// inbox.
class PlatformRequests {
public:
    virtual ~PlatformRequests() = default;
    // A login with the attempt the record was given (BeginAttempt).
    virtual void Login() = 0;
    virtual void Room(RoomAction action) = 0;
};

struct WindowServices {
    LoginRecord& record;
    WebEventInbox& inbox;
    PlatformRequests& requests;
    PageRuntime& pages;
    EngineHost& engine;
};

}  // namespace zv
