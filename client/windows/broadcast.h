#pragma once
// The main window's broadcast state: going live or record-only, recording on
// the platform, the status line, the switches' looks and their 300 ms lock,
// the kick-out and the close. Next is the whole policy: a pure function of
// the state, one event and the time, table-tested with a fake clock. The
// window only turns toolkit and engine events into Events and applies the
// Effects in their order.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "capture_problem.h"
#include "room_result.h"
#include "stream_state.h"

namespace zv::broadcast {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;

// A switch cannot be clicked twice within this time.
inline constexpr std::chrono::milliseconds kSwitchLock{300};

enum class Phase {
    kIdle,             // nothing is sent
    kAwaitingAddress,  // a push address was asked for
    kStarting,         // the engine took the address, not yet connected
    kLive,             // connected and sending
    kReconnecting,     // connection lost, the engine retries
};

// Where a stream goes: the push address, or its record address.
enum class Target { kLive, kRecordOnly };

// Recording on the platform, as its requests and replies stand.
enum class Record { kOff, kStarting, kOn, kStopping };

enum class Switch { kOnline, kRecord, kRecordOnly };

struct State {
    Phase phase = Phase::kIdle;
    Target target = Target::kLive;
    Record record = Record::kOff;
    bool locked = false;
    TimePoint lockEnd{};       // meaningful while locked
    StreamStatus stream;       // the engine's latest report, kept in every phase
    bool allowRecord = false;  // from the login reply, for the switches' parts
    bool closed = false;       // closed or kicked out: nothing more happens
};

// How the start of the stream went (the engine's answer to kStartStream).
enum class StartOutcome { kStarted, kRefused, kNoEngine };

struct Event {
    enum class Kind {
        kSwitchClicked,  // which, checked: the box as the click left it
        kAddressReply,   // room: the "geturl" result
        kStartResult,    // started
        kRecordReply,    // room: a "startrecord" or "stoprecord" result
        kStreamStatus,   // stream
        kTick,           // the clock moved on
        kKickOut,        // text: the page's message
        kClose,          // the user closes the window
        kCloseAnswer,    // confirmed: the answer to kAskExit
        kCapture,        // capture, problem: a portal capture went wrong
    };
    Kind kind = Kind::kTick;
    Switch which = Switch::kOnline;
    bool checked = false;
    RoomResult room;
    StartOutcome started = StartOutcome::kStarted;
    std::string refusalKey;
    StreamStatus stream;
    std::u16string text;
    bool confirmed = false;
    CaptureKind capture = CaptureKind::kDesktop;
    CaptureProblem problem = CaptureProblem::kStreamEnded;

    static Event Clicked(Switch which, bool checked);
    static Event Room(const RoomResult& result);  // address or record reply by its action
    // refusalKey: the engine's reason for a refused start (a text resource
    // key); the generic refusal text when empty.
    static Event Started(StartOutcome outcome, const char* refusalKey = "");
    static Event Stream(const StreamStatus& status);
    static Event Tick();
    static Event KickOut(std::u16string message);
    static Event Close();
    static Event CloseAnswer(bool confirmed);
    static Event Capture(CaptureKind kind, CaptureProblem problem);
};

// Check marks, shown parts and enabling of the three switches.
struct Looks {
    bool onlineChecked = false, recordChecked = false, recordOnlyChecked = false;
    bool onlineShown = true, recordShown = false, recordOnlyShown = false;
    bool enabled = true;
    bool operator==(const Looks&) const = default;
};

struct Effect {
    enum class Kind {
        kRequestAddress,  // queue a "geturl"
        kStartStream,     // text: the address; answer with Event::Started
        kStopStream,
        kStartRecord,   // queue a "startrecord"
        kStopRecord,    // queue a "stoprecord"
        kShowStatus,    // key (empty: clear the line), number for its "%d"
        kNotice,        // a warning box: key with "{message}" := detail, caption key
        kLockSwitches,  // the clock must tick at `until` (at the latest)
        kUnlockSwitches,
        kSwitchLooks,  // looks
        kAskExit,      // ask "s.exit"; answer with Event::CloseAnswer
        kClose,        // release the engine and end; destroy: the window first
    };
    Kind kind = Kind::kStopStream;
    std::string key;
    std::string caption;
    std::u16string detail;
    std::string address;
    int number = 0;
    Looks looks;
    TimePoint until{};
    bool destroy = false;
};

struct Step {
    State state;
    std::vector<Effect> effects;
};

// Effects that show a box come last in their list: a box runs a nested loop
// in which further events may be handled.
Step Next(const State& state, const Event& event, TimePoint now);

// What the switches look like in `state`.
Looks LooksOf(const State& state);

// True while a stream is out (started, live or reconnecting).
bool IsStreaming(Phase phase);

// Whether closing asks first: the live switch is on.
bool ClosingAsks(const State& state);

// The status line of a started stream: key and its number.
struct StatusLine {
    std::string key;
    int number = 0;
    bool operator==(const StatusLine&) const = default;
};
StatusLine StatusOf(const State& state);

// The text keys the machine uses (each one in the package).
inline constexpr const char* kStatusLive = "s.status.live";
inline constexpr const char* kStatusLiveRecording = "s.status.live.recording";
inline constexpr const char* kStatusRecordOnly = "s.status.recordonly";
inline constexpr const char* kStatusConnecting = "s.stream.connecting";
inline constexpr const char* kStatusReconnecting = "s.stream.reconnecting";
inline constexpr const char* kNoticeCaption = "s.notice.title";
inline constexpr const char* kReminderCaption = "s.msg.title";
inline constexpr const char* kKickedOut = "s.kickout";
inline constexpr const char* kStartFailed = "s.stream.error.start";
inline constexpr const char* kNoEngine = "s.stream.error.engine";

// The kick-out message is shown up to this many UTF-16 units.
inline constexpr size_t kKickOutMessageLimit = 1024;

const char* PhaseName(Phase phase);

}  // namespace zv::broadcast
