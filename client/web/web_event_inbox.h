#pragma once
// Where the web tasks report. Each report is handed to the UI thread through
// the UI queue, in the order it was made, and goes to the window attached
// then. Picture results that arrive before a window is attached (the
// downloads start right after the login, before the main window exists) are
// kept, the latest of each kind, and given to the window when it attaches.
#include <memory>
#include <string>

#include "platform/ui_queue.h"
#include "web_event_receiver.h"

class WebEventInbox final : public zv::WebEventReceiver {
public:
    explicit WebEventInbox(zv::UiQueue& queue = zv::UiQueue::Main());
    ~WebEventInbox() override;
    WebEventInbox(const WebEventInbox&) = delete;
    WebEventInbox& operator=(const WebEventInbox&) = delete;

    // Any thread.
    void OnWebapiEvent(const zv::RoomResult& result) override;
    void SetHeadIcon(const std::string& path) override;
    void SetLogo(const std::string& path, int32_t position, int32_t width, int32_t height) override;

    // UI thread. Reports handled from now on go to `window` (null: none);
    // kept picture results are given to it at once.
    void Attach(zv::WebEventReceiver* window);

    struct State;

private:
    zv::UiQueue& queue_;
    std::shared_ptr<State> state_;
};
