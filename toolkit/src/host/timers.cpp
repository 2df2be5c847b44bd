// Timers of a native window (GLib timeouts), heard by the host as
// XUI_EVENT_TIMER with the timer's id.
#include "host/ms_window_signals.h"
#include "window/window.h"
#include "zudoz.h"

namespace HostWin {

namespace {

struct TimerTag {
    Vcl::Window* owner;
    unsigned id;
};

gboolean TimerFired(gpointer data) {
    auto* tag = static_cast<TimerTag*>(data);
    unsigned id = tag->id;
    // The host may kill this timer or destroy the window inside; the tag
    // stays valid until this dispatch returns.
    tag->owner->notify(tag->owner, XUI_EVENT_TIMER, &id);
    return G_SOURCE_CONTINUE;
}

}  // namespace

bool MsWindow::setTimer(unsigned id, unsigned ms) {
    if (!top_) {
        return false;
    }
    killTimer(id);
    auto* tag = new TimerTag{&window_, id};  // owned by the GLib source
    timers_[id] = g_timeout_add_full(G_PRIORITY_DEFAULT, ms, TimerFired, tag,
                                     [](gpointer p) { delete static_cast<TimerTag*>(p); });
    return true;
}

void MsWindow::killTimer(unsigned id) {
    auto it = timers_.find(id);
    if (it != timers_.end()) {
        g_source_remove(it->second);
        timers_.erase(it);
    }
}

void MsWindow::stopTimers() {
    for (const auto& [id, source] : timers_) {
        g_source_remove(source);
    }
    timers_.clear();
}

}  // namespace HostWin
