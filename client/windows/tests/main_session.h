#pragma once
// A signed-in client for the main window's tests: one X server with a window
// manager, one RTMP ingest and one platform stand-in per suite; per test a
// fresh client that is signed in through its login window with real input
// and stands at its main window.
#include <gtest/gtest.h>
#include <json/json.h>

#include <memory>
#include <string>

#include "support/client_harness.h"
#include "support/standin.h"

namespace clienttest {

class MainSession : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // A client that signs in and shows its main window; `account` changes the
    // stand-in's account first (null: the default one).
    void SignIn(const Json::Value& account = Json::Value());

    Json::Value Control(const std::string& name) const;
    // Clicks a switch that is off until it shows on (or a box opens): a
    // click that lands while the window manager still holds a closed box's
    // frame there is lost, and only a switch still off is clicked again.
    void TurnOn(const std::string& name);
    void Click(const std::string& name);
    bool Checked(const std::string& name) const { return Control(name)["checked"].asBool(); }
    bool Visible(const std::string& name) const { return Control(name)["visible"].asBool(); }
    std::string Text(const std::string& name) const { return Control(name)["text"].asString(); }
    // Waits until the control's text is `text`; false on time-out (with the
    // text it had in the failure message of the caller).
    bool WaitText(const std::string& name, const std::string& text, int timeoutMs = 15000) const;
    // Waits until the switch may be clicked again (the 300 ms lock is over).
    bool WaitEnabled(const std::string& name, int timeoutMs = 3000) const;

    // The message box the last action opened, null (with a failure) when none.
    Json::Value Box(int timeoutMs = 15000) const;
    // Answers the open box with Return (OK) or Escape (Cancel).
    void Answer(bool ok);

    // Waits for a stderr trace line that starts with `prefix` and was not
    // there before `since` lines; the line, or empty on time-out.
    std::string WaitTrace(const std::string& prefix, size_t since, int timeoutMs = 8000) const;
    size_t TraceCount() const { return client_->errorLines().size(); }

    // Room requests the stand-in got for a path ("/room/geturl", ...).
    Json::Value RoomRequests(const std::string& path) const;
    bool WaitRoomRequests(const std::string& path, size_t count, int timeoutMs = 8000) const;

    // The next reply of a route-host path, as the stand-in's script command.
    void Script(const std::string& path, const Json::Value& reply);

    static zvtest::OwnDisplay* display_;
    static zvtest::Ingest* ingest_;
    static zvtest::StandIn* platform_;
    static ClientInstall* install_;

    std::unique_ptr<zvtest::XInput> input_;
    std::unique_ptr<ClientHome> home_;
    std::unique_ptr<zvtest::InspectedProgram> client_;
};

// A file's size; -1 when it does not exist.
long FileBytes(const std::string& path);

// Waits until the application's newest recording on the ingest has grown
// past `bytes`; its path, or empty on time-out.
std::string WaitRecording(const zvtest::Ingest& ingest, const std::string& app, long bytes,
                          int timeoutMs = 20000);

}  // namespace clienttest
