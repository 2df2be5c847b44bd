#include "broadcast.h"

#include <utility>

#include "main_rules.h"
#include "platform/utf.h"

namespace zv::broadcast {

namespace {

bool RecordWanted(Record record) {
    return record == Record::kStarting || record == Record::kOn;
}

Effect Plain(Effect::Kind kind) {
    Effect e;
    e.kind = kind;
    return e;
}

Effect Status(const StatusLine& line) {
    Effect e = Plain(Effect::Kind::kShowStatus);
    e.key = line.key;
    e.number = line.number;
    return e;
}

Effect Notice(std::string key, std::string caption, std::u16string detail = {}) {
    Effect e = Plain(Effect::Kind::kNotice);
    e.key = std::move(key);
    e.caption = std::move(caption);
    e.detail = std::move(detail);
    return e;
}

Effect RoomNotice(const RoomResult& room) {
    return room.failure == RoomFailure::kRefused
               ? Notice(kRoomRefusedKey, kNoticeCaption, Utf8ToUtf16(room.text))
               : Notice(RoomFailureKey(room.action), kNoticeCaption);
}

Effect Close(bool destroy) {
    Effect e = Plain(Effect::Kind::kClose);
    e.destroy = destroy;
    return e;
}

// Builds one step: effects in `fx`, and the ones that open a box or call out
// of the window (start, ask, close) in `tail`, after the switches' looks.
struct Builder {
    State& s;
    std::vector<Effect> fx;
    std::vector<Effect> tail;

    // The user turns the switch of the current target off.
    void StopByUser() {
        const bool streamed = IsStreaming(s.phase);
        s.phase = Phase::kIdle;
        if (streamed) {
            fx.push_back(Plain(Effect::Kind::kStopStream));
        }
        if (s.target == Target::kLive && RecordWanted(s.record)) {
            s.record = Record::kStopping;
            fx.push_back(Plain(Effect::Kind::kStopRecord));
        }
        fx.push_back(Status({}));
    }

    void Click(Switch which, bool checked, TimePoint now) {
        if (s.locked && now < s.lockEnd) {
            return;  // the box goes back to what the state says
        }
        if (which == Switch::kRecord) {
            if (checked && !RecordWanted(s.record)) {
                s.record = Record::kStarting;
                fx.push_back(Plain(Effect::Kind::kStartRecord));
            } else if (!checked && RecordWanted(s.record)) {
                s.record = Record::kStopping;
                fx.push_back(Plain(Effect::Kind::kStopRecord));
            }
        } else {
            const Target target = which == Switch::kOnline ? Target::kLive : Target::kRecordOnly;
            if (checked && (s.phase == Phase::kIdle ||
                            (s.phase == Phase::kAwaitingAddress && s.target != target))) {
                // While an address is awaited the other switch takes the
                // request over; the first reply starts the new target.
                s.target = target;
                s.phase = Phase::kAwaitingAddress;
                fx.push_back(Plain(Effect::Kind::kRequestAddress));
            } else if (!checked && s.phase != Phase::kIdle && s.target == target) {
                StopByUser();
            }
        }
        s.locked = true;
        s.lockEnd = now + kSwitchLock;
        Effect lock = Plain(Effect::Kind::kLockSwitches);
        lock.until = s.lockEnd;
        fx.push_back(lock);
    }

    void Address(const RoomResult& room) {
        if (s.phase != Phase::kAwaitingAddress) {
            return;  // late, or a second reply: the switches moved on
        }
        if (!room.ok()) {
            s.phase = Phase::kIdle;
            tail.push_back(RoomNotice(room));
            return;
        }
        Effect start = Plain(Effect::Kind::kStartStream);
        start.address =
            s.target == Target::kRecordOnly ? mainwin::RecordAddress(room.text) : room.text;
        tail.push_back(start);
    }

    void Started(StartOutcome outcome, const std::string& refusalKey) {
        if (s.phase != Phase::kAwaitingAddress) {
            return;
        }
        if (outcome != StartOutcome::kStarted) {
            s.phase = Phase::kIdle;
            const std::string key = outcome == StartOutcome::kNoEngine ? kNoEngine
                                    : refusalKey.empty()               ? kStartFailed
                                                                       : refusalKey;
            tail.push_back(Notice(key, kNoticeCaption));
            return;
        }
        // The engine may have reported already while it started.
        switch (s.stream.state) {
            case StreamState::Live:
                s.phase = Phase::kLive;
                break;
            case StreamState::Reconnecting:
                s.phase = Phase::kReconnecting;
                break;
            default:
                s.phase = Phase::kStarting;
                break;
        }
        fx.push_back(Status(StatusOf(s)));
    }

    void RecordReply(const RoomResult& room) {
        const bool start = room.action == RoomAction::kStartRecord;
        if (s.record == (start ? Record::kStarting : Record::kStopping)) {
            s.record = room.ok() == start ? Record::kOn : Record::kOff;
        }
        if (!room.ok()) {
            tail.push_back(RoomNotice(room));
        } else if (s.target == Target::kLive && IsStreaming(s.phase)) {
            fx.push_back(Status(StatusOf(s)));
        }
    }

    void Stream(const StreamStatus& status) {
        s.stream = status;
        if (!IsStreaming(s.phase)) {
            return;  // a stop the user asked for, or a start not yet answered
        }
        switch (status.state) {
            case StreamState::Live:
                s.phase = Phase::kLive;
                break;
            case StreamState::Reconnecting:
                s.phase = Phase::kReconnecting;
                break;
            case StreamState::Connecting:
                s.phase = Phase::kStarting;
                break;
            case StreamState::Failed: {
                s.phase = Phase::kIdle;
                if (RecordWanted(s.record)) {
                    s.record = Record::kStopping;
                    fx.push_back(Plain(Effect::Kind::kStopRecord));
                }
                const char* reason = StreamFailureKey(status.code);
                fx.push_back(Status({reason, 0}));
                tail.push_back(Notice(reason, kNoticeCaption));
                return;
            }
            default:
                return;
        }
        fx.push_back(Status(StatusOf(s)));
    }

    void Tick(TimePoint now) {
        if (s.locked && now >= s.lockEnd) {
            s.locked = false;
            fx.push_back(Plain(Effect::Kind::kUnlockSwitches));
        }
    }

    void KickOut(const std::u16string& message) {
        // The page says this broadcaster was removed: no stoprecord is sent.
        s.phase = Phase::kIdle;
        s.closed = true;
        fx.push_back(Plain(Effect::Kind::kStopStream));
        tail.push_back(
            Notice(kKickedOut, kReminderCaption, message.substr(0, kKickOutMessageLimit)));
        tail.push_back(Close(true));
    }

    // The source shows black and the stream goes on: only the line says so,
    // until the stream's next change replaces it.
    void Capture(CaptureKind kind, CaptureProblem problem) {
        fx.push_back(Status({std::string(CaptureProblemKey(kind, problem)), 0}));
    }

    void CloseAsked(bool confirmed) {
        if (!confirmed) {
            return;  // Cancel: the window stays and the stream goes on
        }
        s.closed = true;
        tail.push_back(Close(false));
    }
};

}  // namespace

Event Event::Clicked(Switch which, bool checked) {
    Event e;
    e.kind = Kind::kSwitchClicked;
    e.which = which;
    e.checked = checked;
    return e;
}

Event Event::Room(const RoomResult& result) {
    Event e;
    e.kind = result.action == RoomAction::kGetUrl ? Kind::kAddressReply : Kind::kRecordReply;
    e.room = result;
    return e;
}

Event Event::Started(StartOutcome outcome, const char* refusalKey) {
    Event e;
    e.kind = Kind::kStartResult;
    e.started = outcome;
    e.refusalKey = refusalKey ? refusalKey : "";
    return e;
}

Event Event::Stream(const StreamStatus& status) {
    Event e;
    e.kind = Kind::kStreamStatus;
    e.stream = status;
    return e;
}

Event Event::Tick() {
    return Event{};
}

Event Event::KickOut(std::u16string message) {
    Event e;
    e.kind = Kind::kKickOut;
    e.text = std::move(message);
    return e;
}

Event Event::Close() {
    Event e;
    e.kind = Kind::kClose;
    return e;
}

Event Event::CloseAnswer(bool confirmed) {
    Event e;
    e.kind = Kind::kCloseAnswer;
    e.confirmed = confirmed;
    return e;
}

Event Event::Capture(CaptureKind kind, CaptureProblem problem) {
    Event e;
    e.kind = Kind::kCapture;
    e.capture = kind;
    e.problem = problem;
    return e;
}

bool IsStreaming(Phase phase) {
    return phase == Phase::kStarting || phase == Phase::kLive || phase == Phase::kReconnecting;
}

bool ClosingAsks(const State& state) {
    return state.phase != Phase::kIdle && state.target == Target::kLive;
}

Looks LooksOf(const State& s) {
    Looks looks;
    const bool on = s.phase != Phase::kIdle;
    looks.onlineChecked = on && s.target == Target::kLive;
    looks.recordOnlyChecked = on && s.target == Target::kRecordOnly;
    looks.recordChecked = RecordWanted(s.record);
    if (IsStreaming(s.phase) && s.target == Target::kRecordOnly) {
        looks.onlineShown = false;
        looks.recordShown = false;
        looks.recordOnlyShown = true;
    } else {
        looks.onlineShown = true;
        looks.recordShown = s.allowRecord;
        looks.recordOnlyShown = s.allowRecord && !IsStreaming(s.phase);
    }
    looks.enabled = !s.locked;
    return looks;
}

StatusLine StatusOf(const State& s) {
    switch (s.phase) {
        case Phase::kLive:
            if (s.target == Target::kRecordOnly) {
                return {kStatusRecordOnly, 0};
            }
            return {s.record == Record::kOn ? kStatusLiveRecording : kStatusLive, 0};
        case Phase::kReconnecting:
            return {kStatusReconnecting, s.stream.retryDelaySec};
        case Phase::kStarting:
            return {kStatusConnecting, 0};
        default:
            return {};
    }
}

Step Next(const State& state, const Event& event, TimePoint now) {
    Step step{state, {}};
    if (state.closed) {
        return step;
    }
    Builder b{step.state, {}, {}};
    switch (event.kind) {
        case Event::Kind::kSwitchClicked:
            b.Click(event.which, event.checked, now);
            break;
        case Event::Kind::kAddressReply:
            b.Address(event.room);
            break;
        case Event::Kind::kStartResult:
            b.Started(event.started, event.refusalKey);
            break;
        case Event::Kind::kRecordReply:
            b.RecordReply(event.room);
            break;
        case Event::Kind::kStreamStatus:
            b.Stream(event.stream);
            break;
        case Event::Kind::kTick:
            b.Tick(now);
            break;
        case Event::Kind::kKickOut:
            b.KickOut(event.text);
            break;
        case Event::Kind::kClose:
            if (ClosingAsks(state)) {
                b.tail.push_back(Plain(Effect::Kind::kAskExit));
            } else {
                b.CloseAsked(true);
            }
            break;
        case Event::Kind::kCloseAnswer:
            b.CloseAsked(event.confirmed);
            break;
        case Event::Kind::kCapture:
            b.Capture(event.capture, event.problem);
            break;
    }
    step.effects = std::move(b.fx);
    // A click has toggled its box already: the looks always follow a click.
    const Looks looks = LooksOf(step.state);
    if (!step.state.closed &&
        (event.kind == Event::Kind::kSwitchClicked || looks != LooksOf(state))) {
        Effect e = Plain(Effect::Kind::kSwitchLooks);
        e.looks = looks;
        step.effects.push_back(e);
    }
    for (Effect& e : b.tail) {
        step.effects.push_back(std::move(e));
    }
    return step;
}

const char* PhaseName(Phase phase) {
    switch (phase) {
        case Phase::kIdle:
            return "idle";
        case Phase::kAwaitingAddress:
            return "awaiting address";
        case Phase::kStarting:
            return "starting";
        case Phase::kLive:
            return "live";
        case Phase::kReconnecting:
            return "reconnecting";
    }
    return "?";
}

}  // namespace zv::broadcast
