#include "web_event_inbox.h"

#include <optional>

struct WebEventInbox::State {
    zv::WebEventReceiver* window = nullptr;
    std::optional<std::string> headIcon;
    struct Logo {
        std::string path;
        int32_t position, width, height;
    };
    std::optional<Logo> logo;
};

WebEventInbox::WebEventInbox(zv::UiQueue& queue)
    : queue_(queue), state_(std::make_shared<State>()) {}

// Posted reports hold the state, not the inbox: one that runs after the
// inbox is gone finds no window and does nothing.
WebEventInbox::~WebEventInbox() {
    state_->window = nullptr;
}

void WebEventInbox::OnWebapiEvent(const zv::RoomResult& result) {
    queue_.Post([state = state_, result] {
        if (state->window) {
            state->window->OnWebapiEvent(result);
        }
    });
}

void WebEventInbox::SetHeadIcon(const std::string& path) {
    queue_.Post([state = state_, path] {
        if (state->window) {
            state->window->SetHeadIcon(path);
        } else {
            state->headIcon = path;
        }
    });
}

void WebEventInbox::SetLogo(const std::string& path, int32_t position, int32_t width,
                            int32_t height) {
    queue_.Post([state = state_, path, position, width, height] {
        if (state->window) {
            state->window->SetLogo(path, position, width, height);
        } else {
            state->logo = State::Logo{path, position, width, height};
        }
    });
}

void WebEventInbox::Attach(zv::WebEventReceiver* window) {
    state_->window = window;
    if (window == nullptr) {
        return;
    }
    if (state_->headIcon) {
        window->SetHeadIcon(*state_->headIcon);
        state_->headIcon.reset();
    }
    if (state_->logo) {
        const State::Logo logo = *state_->logo;
        state_->logo.reset();
        window->SetLogo(logo.path, logo.position, logo.width, logo.height);
    }
}
