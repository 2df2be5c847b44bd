#pragma once
// One screen or window share asked of the desktop's ScreenCast portal over
// D-Bus: CreateSession, SelectSources, Start, OpenPipeWireRemote. Every call
// is asynchronous on the calling thread's default GLib main context (the
// capture's own thread), so nothing waits on the user's answer to the
// portal's dialog.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>

#include "capture_problem.h"

namespace zv::screencast {

struct PortalGrant {
    int pipewireFd = -1;  // owned by the receiver
    uint32_t nodeId = 0;
    std::string restoreToken;  // empty when the portal gave none
};

using PortalAnswer = std::variant<PortalGrant, CaptureProblem>;

class PortalSession {
public:
    explicit PortalSession(CaptureKind kind);
    // Closes the portal session; an answer still under way is dropped.
    ~PortalSession();
    PortalSession(const PortalSession&) = delete;
    PortalSession& operator=(const PortalSession&) = delete;

    // Asks for a share, with a saved permission when `restoreToken` is not
    // empty. `done` runs once, later, on this thread's main context, unless
    // Close comes first. A new Ask closes the previous share first.
    void Ask(const std::string& restoreToken, std::function<void(PortalAnswer)> done);
    // Ends the share (the compositor stops sending) and drops any request.
    void Close();

    // Portal requests made so far (each Ask that reached the portal counts
    // once), for diagnostics.
    int RequestsMade() const;

    struct Impl;

private:
    std::shared_ptr<Impl> impl_;
};

}  // namespace zv::screencast
