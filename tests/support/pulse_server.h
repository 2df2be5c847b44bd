#pragma once
// A private PulseAudio server for tests that need sound to flow.
#include <string>

#include "support/process.h"

namespace zvtest {

// A private PulseAudio server with one null sink (its monitor is the default
// source) and one null source "zvmic" (a microphone to list), reached through PULSE_SERVER. Start
// it before AVCore::Instance(): the pulse sources do not pick up a server that appears later.
// Throws when the server does not come up.
class PulseServer {
public:
    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;
    const std::string& Address() const { return address_; }
    // Plays a media file's sound into the null sink (blocks for its length).
    bool Play(const std::string& file);

private:
    std::string folder_;
    std::string address_;
    ChildProcess process_;
};

}  // namespace zvtest
