// The broadcast state machine with a fake clock: every switch in every phase,
// replies that come late or twice, the switches' lock, kick-out and close.
#include "broadcast.h"

#include <gtest/gtest.h>
#include <obs-defs.h>

#include <random>
#include <string>
#include <vector>

namespace zv::broadcast {
namespace {

using namespace std::chrono_literals;
using K = Effect::Kind;

const TimePoint t0 = TimePoint{} + 1h;

State Make(Phase phase, Target target = Target::kLive, Record record = Record::kOff) {
    State s;
    s.phase = phase;
    s.target = target;
    s.record = record;
    s.allowRecord = true;
    if (phase == Phase::kLive) {
        s.stream.state = StreamState::Live;
    }
    return s;
}

// The effects' kinds without the lock and the looks, which every click gives.
std::vector<K> Calls(const std::vector<Effect>& effects) {
    std::vector<K> kinds;
    for (const Effect& e : effects) {
        if (e.kind != K::kLockSwitches && e.kind != K::kSwitchLooks) {
            kinds.push_back(e.kind);
        }
    }
    return kinds;
}

const Effect* Find(const std::vector<Effect>& effects, K kind) {
    for (const Effect& e : effects) {
        if (e.kind == kind) {
            return &e;
        }
    }
    return nullptr;
}

// The effect of `kind`; a missing one fails the test (and reads as empty).
const Effect& Get(const std::vector<Effect>& effects, K kind) {
    static const Effect none{};
    const Effect* found = Find(effects, kind);
    if (found == nullptr) {
        ADD_FAILURE() << "no effect of kind " << static_cast<int>(kind);
        return none;
    }
    return *found;
}

RoomResult Reply(RoomAction action, RoomFailure failure = RoomFailure::kNone,
                 std::string text = {}) {
    return {action, failure, std::move(text)};
}

struct ClickRow {
    const char* name;
    State from;
    Switch which;
    bool checked;
    Phase phase;
    Target target;
    Record record;
    std::vector<K> calls;
};

TEST(Broadcast, EverySwitchInEveryPhase) {
    using P = Phase;
    using T = Target;
    using R = Record;
    const std::vector<ClickRow> rows = {
        {"idle: live on",
         Make(P::kIdle),
         Switch::kOnline,
         true,
         P::kAwaitingAddress,
         T::kLive,
         R::kOff,
         {K::kRequestAddress}},
        {"idle: record-only on",
         Make(P::kIdle),
         Switch::kRecordOnly,
         true,
         P::kAwaitingAddress,
         T::kRecordOnly,
         R::kOff,
         {K::kRequestAddress}},
        {"idle: live off changes nothing",
         Make(P::kIdle),
         Switch::kOnline,
         false,
         P::kIdle,
         T::kLive,
         R::kOff,
         {}},
        {"idle: record on",
         Make(P::kIdle),
         Switch::kRecord,
         true,
         P::kIdle,
         T::kLive,
         R::kStarting,
         {K::kStartRecord}},
        {"idle: record off",
         Make(P::kIdle, T::kLive, R::kOn),
         Switch::kRecord,
         false,
         P::kIdle,
         T::kLive,
         R::kStopping,
         {K::kStopRecord}},
        {"awaiting: live off, nothing was started",
         Make(P::kAwaitingAddress),
         Switch::kOnline,
         false,
         P::kIdle,
         T::kLive,
         R::kOff,
         {K::kShowStatus}},
        {"awaiting: live off with a record pending",
         Make(P::kAwaitingAddress, T::kLive, R::kStarting),
         Switch::kOnline,
         false,
         P::kIdle,
         T::kLive,
         R::kStopping,
         {K::kStopRecord, K::kShowStatus}},
        {"awaiting live: record-only takes the request over",
         Make(P::kAwaitingAddress),
         Switch::kRecordOnly,
         true,
         P::kAwaitingAddress,
         T::kRecordOnly,
         R::kOff,
         {K::kRequestAddress}},
        {"awaiting record-only: live takes it back",
         Make(P::kAwaitingAddress, T::kRecordOnly),
         Switch::kOnline,
         true,
         P::kAwaitingAddress,
         T::kLive,
         R::kOff,
         {K::kRequestAddress}},
        {"awaiting: the same switch again",
         Make(P::kAwaitingAddress),
         Switch::kOnline,
         true,
         P::kAwaitingAddress,
         T::kLive,
         R::kOff,
         {}},
        {"awaiting record-only: off keeps the recording",
         Make(P::kAwaitingAddress, T::kRecordOnly, R::kOn),
         Switch::kRecordOnly,
         false,
         P::kIdle,
         T::kRecordOnly,
         R::kOn,
         {K::kShowStatus}},
        {"starting: live off",
         Make(P::kStarting),
         Switch::kOnline,
         false,
         P::kIdle,
         T::kLive,
         R::kOff,
         {K::kStopStream, K::kShowStatus}},
        {"live: live off",
         Make(P::kLive),
         Switch::kOnline,
         false,
         P::kIdle,
         T::kLive,
         R::kOff,
         {K::kStopStream, K::kShowStatus}},
        {"live: live off while recording",
         Make(P::kLive, T::kLive, R::kOn),
         Switch::kOnline,
         false,
         P::kIdle,
         T::kLive,
         R::kStopping,
         {K::kStopStream, K::kStopRecord, K::kShowStatus}},
        {"live: live off while a stoprecord is out",
         Make(P::kLive, T::kLive, R::kStopping),
         Switch::kOnline,
         false,
         P::kIdle,
         T::kLive,
         R::kStopping,
         {K::kStopStream, K::kShowStatus}},
        {"reconnecting: live off",
         Make(P::kReconnecting),
         Switch::kOnline,
         false,
         P::kIdle,
         T::kLive,
         R::kOff,
         {K::kStopStream, K::kShowStatus}},
        {"live: the hidden record-only switch",
         Make(P::kLive),
         Switch::kRecordOnly,
         true,
         P::kLive,
         T::kLive,
         R::kOff,
         {}},
        {"live: record on",
         Make(P::kLive),
         Switch::kRecord,
         true,
         P::kLive,
         T::kLive,
         R::kStarting,
         {K::kStartRecord}},
        {"reconnecting: record off",
         Make(P::kReconnecting, T::kLive, R::kOn),
         Switch::kRecord,
         false,
         P::kReconnecting,
         T::kLive,
         R::kStopping,
         {K::kStopRecord}},
        {"record on twice",
         Make(P::kLive, T::kLive, R::kStarting),
         Switch::kRecord,
         true,
         P::kLive,
         T::kLive,
         R::kStarting,
         {}},
        {"record-only: off keeps the platform's recording",
         Make(P::kLive, T::kRecordOnly, R::kOn),
         Switch::kRecordOnly,
         false,
         P::kIdle,
         T::kRecordOnly,
         R::kOn,
         {K::kStopStream, K::kShowStatus}},
        {"record-only: the hidden live switch",
         Make(P::kLive, T::kRecordOnly),
         Switch::kOnline,
         true,
         P::kLive,
         T::kRecordOnly,
         R::kOff,
         {}},
        {"record-only starting: off",
         Make(P::kStarting, T::kRecordOnly),
         Switch::kRecordOnly,
         false,
         P::kIdle,
         T::kRecordOnly,
         R::kOff,
         {K::kStopStream, K::kShowStatus}},
    };
    for (const ClickRow& row : rows) {
        SCOPED_TRACE(row.name);
        const Step step = Next(row.from, Event::Clicked(row.which, row.checked), t0);
        EXPECT_EQ(step.state.phase, row.phase);
        EXPECT_EQ(step.state.target, row.target);
        EXPECT_EQ(step.state.record, row.record);
        EXPECT_EQ(Calls(step.effects), row.calls);
        // Every click locks the switches for 300 ms and puts the boxes back
        // to what the state says (the click has toggled one already).
        const Effect* lock = Find(step.effects, K::kLockSwitches);
        ASSERT_NE(lock, nullptr);
        EXPECT_EQ(lock->until, t0 + 300ms);
        const Effect* looks = Find(step.effects, K::kSwitchLooks);
        ASSERT_NE(looks, nullptr);
        EXPECT_EQ(looks->looks, LooksOf(step.state));
        EXPECT_FALSE(looks->looks.enabled);
        if (const Effect* status = Find(step.effects, K::kShowStatus)) {
            EXPECT_EQ(status->key, "") << "stopping clears the status line";
        }
    }
}

TEST(Broadcast, TheLockHoldsExactly300Milliseconds) {
    Step s = Next(Make(Phase::kIdle), Event::Clicked(Switch::kOnline, true), t0);
    ASSERT_TRUE(s.state.locked);

    // A click that slips through while locked changes nothing, not even the
    // lock's end, and only restores the boxes.
    Step slipped = Next(s.state, Event::Clicked(Switch::kOnline, false), t0 + 299ms);
    EXPECT_EQ(slipped.state.phase, Phase::kAwaitingAddress);
    EXPECT_EQ(slipped.state.lockEnd, t0 + 300ms);
    EXPECT_EQ(Calls(slipped.effects), std::vector<K>{});
    ASSERT_NE(Find(slipped.effects, K::kSwitchLooks), nullptr);
    EXPECT_TRUE(Get(slipped.effects, K::kSwitchLooks).looks.onlineChecked);
    EXPECT_EQ(Find(slipped.effects, K::kLockSwitches), nullptr);

    EXPECT_TRUE(Next(s.state, Event::Tick(), t0 + 299ms).effects.empty());
    const Step early = Next(s.state, Event::Tick(), t0 + 299ms);
    EXPECT_TRUE(early.state.locked);

    const Step open = Next(s.state, Event::Tick(), t0 + 300ms);
    EXPECT_FALSE(open.state.locked);
    EXPECT_EQ(Calls(open.effects), std::vector<K>{K::kUnlockSwitches});
    ASSERT_NE(Find(open.effects, K::kSwitchLooks), nullptr);
    EXPECT_TRUE(Get(open.effects, K::kSwitchLooks).looks.enabled);
    EXPECT_TRUE(Next(open.state, Event::Tick(), t0 + 1s).effects.empty()) << "unlocked once";

    // Unlocked, the switch works again and locks anew.
    const Step off = Next(open.state, Event::Clicked(Switch::kOnline, false), t0 + 300ms);
    EXPECT_EQ(off.state.phase, Phase::kIdle);
    EXPECT_EQ(off.state.lockEnd, t0 + 600ms);
}

TEST(Broadcast, GoingLiveThroughTheAddressTheStartAndTheStream) {
    State s = Make(Phase::kAwaitingAddress);
    Step step =
        Next(s, Event::Room(Reply(RoomAction::kGetUrl, RoomFailure::kNone, "rtmp://h/live/k")), t0);
    EXPECT_EQ(step.state.phase, Phase::kAwaitingAddress) << "until the engine answered";
    ASSERT_EQ(Calls(step.effects), std::vector<K>{K::kStartStream});
    EXPECT_EQ(step.effects.back().address, "rtmp://h/live/k");

    step = Next(step.state, Event::Started(StartOutcome::kStarted), t0);
    EXPECT_EQ(step.state.phase, Phase::kStarting);
    ASSERT_NE(Find(step.effects, K::kShowStatus), nullptr);
    EXPECT_EQ(Get(step.effects, K::kShowStatus).key, kStatusConnecting);
    const Effect* looks = Find(step.effects, K::kSwitchLooks);
    ASSERT_NE(looks, nullptr);
    EXPECT_TRUE(looks->looks.onlineChecked);
    EXPECT_FALSE(looks->looks.recordOnlyShown) << "the record-only part goes while live";
    EXPECT_TRUE(looks->looks.recordShown);

    step = Next(step.state, Event::Stream({StreamState::Live}), t0);
    EXPECT_EQ(step.state.phase, Phase::kLive);
    EXPECT_EQ(Get(step.effects, K::kShowStatus).key, kStatusLive);

    step = Next(step.state, Event::Stream({StreamState::Reconnecting, 0, 7}), t0);
    EXPECT_EQ(step.state.phase, Phase::kReconnecting);
    EXPECT_EQ(Get(step.effects, K::kShowStatus).key, kStatusReconnecting);
    EXPECT_EQ(Get(step.effects, K::kShowStatus).number, 7);

    step = Next(step.state, Event::Stream({StreamState::Live}), t0);
    EXPECT_EQ(step.state.phase, Phase::kLive);
    EXPECT_EQ(Get(step.effects, K::kShowStatus).key, kStatusLive);
}

TEST(Broadcast, AStreamAlreadyLiveWhenTheStartReturnsIsShownLive) {
    State s = Make(Phase::kAwaitingAddress);
    s = Next(s, Event::Stream({StreamState::Live}), t0).state;
    EXPECT_EQ(s.phase, Phase::kAwaitingAddress) << "a report before the start is kept only";
    const Step step = Next(s, Event::Started(StartOutcome::kStarted), t0);
    EXPECT_EQ(step.state.phase, Phase::kLive);
    EXPECT_EQ(Get(step.effects, K::kShowStatus).key, kStatusLive);
}

TEST(Broadcast, RecordOnlyPushesToTheRecordAddress) {
    struct Row {
        const char* push;
        const char* address;
    } rows[] = {
        {"rtmp://h/live/k", "rtmp://h/record/k"},
        {"rtmp://h/live/a/live/b", "rtmp://h/record/a/live/b"},
        {"rtmp://h/other/k", ""},  // handed to the engine unchanged: empty
    };
    for (const Row& row : rows) {
        const Step step =
            Next(Make(Phase::kAwaitingAddress, Target::kRecordOnly),
                 Event::Room(Reply(RoomAction::kGetUrl, RoomFailure::kNone, row.push)), t0);
        ASSERT_EQ(Calls(step.effects), std::vector<K>{K::kStartStream}) << row.push;
        EXPECT_EQ(step.effects.back().address, row.address) << row.push;
    }
    State s = Make(Phase::kAwaitingAddress, Target::kRecordOnly);
    Step step = Next(s, Event::Started(StartOutcome::kStarted), t0);
    step = Next(step.state, Event::Stream({StreamState::Live}), t0);
    EXPECT_EQ(Get(step.effects, K::kShowStatus).key, kStatusRecordOnly);
    const Looks looks = LooksOf(step.state);
    EXPECT_FALSE(looks.onlineShown);
    EXPECT_FALSE(looks.recordShown);
    EXPECT_TRUE(looks.recordOnlyShown);
    EXPECT_TRUE(looks.recordOnlyChecked);
    EXPECT_FALSE(looks.onlineChecked);
    EXPECT_FALSE(ClosingAsks(step.state)) << "record-only closes without asking";
}

TEST(Broadcast, AddressFailuresAndRefusedStartsGoBackToIdleWithANotice) {
    struct Row {
        const char* name;
        Event event;
        const char* key;
        std::u16string detail;
    };
    const Row rows[] = {
        {"refused", Event::Room(Reply(RoomAction::kGetUrl, RoomFailure::kRefused, "房间已关闭")),
         kRoomRefusedKey, u"房间已关闭"},
        {"unreadable", Event::Room(Reply(RoomAction::kGetUrl, RoomFailure::kUnreadable)),
         "s.room.error.geturl", u""},
        {"start refused", Event::Started(StartOutcome::kRefused), kStartFailed, u""},
        {"address refused with its reason",
         Event::Started(StartOutcome::kRefused, "s.stream.error.address.port"),
         "s.stream.error.address.port", u""},
        {"no engine", Event::Started(StartOutcome::kNoEngine), kNoEngine, u""},
    };
    for (const Target target : {Target::kLive, Target::kRecordOnly}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            const Step step = Next(Make(Phase::kAwaitingAddress, target), row.event, t0);
            EXPECT_EQ(step.state.phase, Phase::kIdle);
            ASSERT_FALSE(step.effects.empty());
            const Effect& notice = step.effects.back();
            EXPECT_EQ(notice.kind, K::kNotice);
            EXPECT_EQ(notice.key, row.key);
            EXPECT_EQ(notice.caption, kNoticeCaption);
            EXPECT_EQ(notice.detail, row.detail);
            const Effect* looks = Find(step.effects, K::kSwitchLooks);
            ASSERT_NE(looks, nullptr);
            EXPECT_FALSE(looks->looks.onlineChecked);
            EXPECT_FALSE(looks->looks.recordOnlyChecked);
            EXPECT_TRUE(looks->looks.onlineShown);
            EXPECT_TRUE(looks->looks.recordOnlyShown);
            EXPECT_EQ(Find(step.effects, K::kStopStream), nullptr);
        }
    }
}

TEST(Broadcast, RepliesThatComeLateOrTwiceDoNothing) {
    const Event address =
        Event::Room(Reply(RoomAction::kGetUrl, RoomFailure::kNone, "rtmp://h/live/k"));
    const Event refusal = Event::Room(Reply(RoomAction::kGetUrl, RoomFailure::kRefused, "no"));
    for (const Phase phase : {Phase::kIdle, Phase::kStarting, Phase::kLive, Phase::kReconnecting}) {
        for (const Event& e : {address, refusal, Event::Started(StartOutcome::kStarted),
                               Event::Started(StartOutcome::kRefused)}) {
            const State from = Make(phase);
            const Step step = Next(from, e, t0);
            EXPECT_TRUE(step.effects.empty()) << PhaseName(phase);
            EXPECT_EQ(step.state.phase, phase);
        }
    }

    // The user turned live on and off before the platform answered.
    State s = Next(Make(Phase::kIdle), Event::Clicked(Switch::kOnline, true), t0).state;
    s = Next(s, Event::Tick(), t0 + 300ms).state;
    s = Next(s, Event::Clicked(Switch::kOnline, false), t0 + 400ms).state;
    EXPECT_TRUE(Calls(Next(s, address, t0 + 500ms).effects).empty());

    // Switched over to record-only while waiting: two requests, the first
    // answer starts the record-only stream, the second finds it started.
    s = Next(Make(Phase::kIdle), Event::Clicked(Switch::kOnline, true), t0).state;
    s = Next(s, Event::Tick(), t0 + 300ms).state;
    Step step = Next(s, Event::Clicked(Switch::kRecordOnly, true), t0 + 300ms);
    EXPECT_FALSE(step.effects.empty());
    EXPECT_FALSE(Get(step.effects, K::kSwitchLooks).looks.onlineChecked) << "one switch on";
    step = Next(step.state, address, t0 + 400ms);
    ASSERT_NE(Find(step.effects, K::kStartStream), nullptr);
    EXPECT_EQ(Get(step.effects, K::kStartStream).address, "rtmp://h/record/k");
    step = Next(step.state, Event::Started(StartOutcome::kStarted), t0 + 400ms);
    EXPECT_TRUE(Next(step.state, address, t0 + 500ms).effects.empty());
}

TEST(Broadcast, RecordRepliesAndTheStatusLine) {
    // Accepted while live: the status says so at once.
    Step step = Next(Make(Phase::kLive, Target::kLive, Record::kStarting),
                     Event::Room(Reply(RoomAction::kStartRecord)), t0);
    EXPECT_EQ(step.state.record, Record::kOn);
    EXPECT_EQ(Get(step.effects, K::kShowStatus).key, kStatusLiveRecording);
    EXPECT_TRUE(LooksOf(step.state).recordChecked);
    EXPECT_EQ(Find(step.effects, K::kSwitchLooks), nullptr) << "the box was checked already";

    step = Next(Make(Phase::kLive, Target::kLive, Record::kStopping),
                Event::Room(Reply(RoomAction::kStopRecord)), t0);
    EXPECT_EQ(step.state.record, Record::kOff);
    EXPECT_EQ(Get(step.effects, K::kShowStatus).key, kStatusLive);

    // Refused: back to where it was, with the platform's text.
    step =
        Next(Make(Phase::kLive, Target::kLive, Record::kStarting),
             Event::Room(Reply(RoomAction::kStartRecord, RoomFailure::kRefused, "不允许录制")), t0);
    EXPECT_EQ(step.state.record, Record::kOff);
    EXPECT_EQ(step.effects.back().kind, K::kNotice);
    EXPECT_EQ(step.effects.back().detail, u"不允许录制");
    EXPECT_FALSE(Get(step.effects, K::kSwitchLooks).looks.recordChecked);

    step = Next(Make(Phase::kLive, Target::kLive, Record::kStopping),
                Event::Room(Reply(RoomAction::kStopRecord, RoomFailure::kUnreadable)), t0);
    EXPECT_EQ(step.state.record, Record::kOn);
    EXPECT_EQ(step.effects.back().key, "s.room.error.stoprecord");

    // A stoprecord refused after live was turned off: record checked again,
    // the status left empty.
    State s = Next(Make(Phase::kLive, Target::kLive, Record::kOn),
                   Event::Clicked(Switch::kOnline, false), t0)
                  .state;
    step = Next(s, Event::Room(Reply(RoomAction::kStopRecord, RoomFailure::kRefused, "x")), t0);
    EXPECT_EQ(step.state.record, Record::kOn);
    EXPECT_EQ(Find(step.effects, K::kShowStatus), nullptr);
    EXPECT_TRUE(Get(step.effects, K::kSwitchLooks).looks.recordChecked);

    // Accepted while idle: going live later says "live and recording".
    s = Next(Make(Phase::kIdle, Target::kLive, Record::kStarting),
             Event::Room(Reply(RoomAction::kStartRecord)), t0)
            .state;
    EXPECT_EQ(s.record, Record::kOn);
    s.phase = Phase::kAwaitingAddress;
    s = Next(s, Event::Started(StartOutcome::kStarted), t0).state;
    step = Next(s, Event::Stream({StreamState::Live}), t0);
    EXPECT_EQ(Get(step.effects, K::kShowStatus).key, kStatusLiveRecording);

    // A late "started" while a stop is out leaves the stop to finish.
    step = Next(Make(Phase::kLive, Target::kLive, Record::kStopping),
                Event::Room(Reply(RoomAction::kStartRecord)), t0);
    EXPECT_EQ(step.state.record, Record::kStopping);

    // Record replies never touch the record-only status.
    step = Next(Make(Phase::kLive, Target::kRecordOnly, Record::kStarting),
                Event::Room(Reply(RoomAction::kStartRecord)), t0);
    EXPECT_EQ(Find(step.effects, K::kShowStatus), nullptr);
}

TEST(Broadcast, AFailedStreamEndsTheBroadcastAndTheRecording) {
    for (const Phase phase : {Phase::kStarting, Phase::kLive, Phase::kReconnecting}) {
        SCOPED_TRACE(PhaseName(phase));
        const Step step = Next(Make(phase, Target::kLive, Record::kOn),
                               Event::Stream({StreamState::Failed, OBS_OUTPUT_CONNECT_FAILED}), t0);
        EXPECT_EQ(step.state.phase, Phase::kIdle);
        EXPECT_EQ(step.state.record, Record::kStopping);
        EXPECT_EQ(Calls(step.effects),
                  (std::vector<K>{K::kStopRecord, K::kShowStatus, K::kNotice}));
        const std::string reason = StreamFailureKey(OBS_OUTPUT_CONNECT_FAILED);
        EXPECT_EQ(Get(step.effects, K::kShowStatus).key, reason) << "the reason stays in view";
        EXPECT_EQ(step.effects.back().key, reason);
    }
    // Not ours: idle, or a start not answered yet.
    for (const Phase phase : {Phase::kIdle, Phase::kAwaitingAddress}) {
        const Step step =
            Next(Make(phase), Event::Stream({StreamState::Failed, OBS_OUTPUT_DISCONNECTED}), t0);
        EXPECT_TRUE(step.effects.empty()) << PhaseName(phase);
        EXPECT_EQ(step.state.phase, phase);
    }
    // A stop's own "stopped" changes nothing while streaming.
    EXPECT_TRUE(
        Next(Make(Phase::kLive), Event::Stream({StreamState::Stopped}), t0).effects.empty());
}

TEST(Broadcast, KickOutInEveryPhaseStopsAndEndsWithoutAStopRecord) {
    const std::u16string longMessage(3000, u'x');
    for (const Phase phase : {Phase::kIdle, Phase::kAwaitingAddress, Phase::kStarting, Phase::kLive,
                              Phase::kReconnecting}) {
        for (const Target target : {Target::kLive, Target::kRecordOnly}) {
            SCOPED_TRACE(PhaseName(phase));
            const Step step =
                Next(Make(phase, target, Record::kOn), Event::KickOut(longMessage), t0);
            EXPECT_TRUE(step.state.closed);
            EXPECT_EQ(Calls(step.effects), (std::vector<K>{K::kStopStream, K::kNotice, K::kClose}));
            const Effect* notice = Find(step.effects, K::kNotice);
            EXPECT_EQ(notice->key, kKickedOut);
            EXPECT_EQ(notice->caption, kReminderCaption);
            EXPECT_EQ(notice->detail.size(), kKickOutMessageLimit);
            EXPECT_TRUE(step.effects.back().destroy);
            // Nothing after the end.
            for (const Event& e :
                 {Event::Clicked(Switch::kOnline, true), Event::Tick(), Event::Close(),
                  Event::Room(Reply(RoomAction::kGetUrl, RoomFailure::kNone, "rtmp://h/live/k")),
                  Event::KickOut(u"again")}) {
                EXPECT_TRUE(Next(step.state, e, t0 + 1s).effects.empty());
            }
        }
    }
}

TEST(Broadcast, CloseInEveryPhaseAsksOnlyWhileTheLiveSwitchIsOn) {
    for (const Phase phase : {Phase::kIdle, Phase::kAwaitingAddress, Phase::kStarting, Phase::kLive,
                              Phase::kReconnecting}) {
        for (const Target target : {Target::kLive, Target::kRecordOnly}) {
            SCOPED_TRACE(std::string(PhaseName(phase)) +
                         (target == Target::kLive ? " live" : " record-only"));
            const State from = Make(phase, target);
            const bool asks = phase != Phase::kIdle && target == Target::kLive;
            const Step step = Next(from, Event::Close(), t0);
            if (!asks) {
                EXPECT_EQ(Calls(step.effects), std::vector<K>{K::kClose});
                EXPECT_FALSE(step.effects.back().destroy) << "the toolkit closes the window";
                EXPECT_TRUE(step.state.closed);
                continue;
            }
            EXPECT_EQ(Calls(step.effects), std::vector<K>{K::kAskExit});
            EXPECT_FALSE(step.state.closed);
            // Cancel keeps everything going.
            const Step cancel = Next(step.state, Event::CloseAnswer(false), t0);
            EXPECT_TRUE(cancel.effects.empty());
            EXPECT_EQ(cancel.state.phase, phase);
            EXPECT_FALSE(cancel.state.closed);
            const Step ok = Next(step.state, Event::CloseAnswer(true), t0);
            EXPECT_EQ(Calls(ok.effects), std::vector<K>{K::kClose});
            EXPECT_TRUE(ok.state.closed);
        }
    }
}

// A portal capture's problem only says so: in every phase the line shows the
// problem's text and the stream, the recording and the switches go on; the
// stream's next change replaces the line.
TEST(Broadcast, ACaptureProblemIsShownInEveryPhaseAndChangesNothingElse) {
    const struct {
        CaptureKind kind;
        CaptureProblem problem;
        const char* key;
    } rows[] = {
        {CaptureKind::kDesktop, CaptureProblem::kPortalMissing, "s.capture.desktop.missing"},
        {CaptureKind::kWindow, CaptureProblem::kRefused, "s.capture.window.refused"},
        {CaptureKind::kWindow, CaptureProblem::kStreamEnded, "s.capture.window.ended"},
    };
    for (const Phase phase : {Phase::kIdle, Phase::kAwaitingAddress, Phase::kStarting, Phase::kLive,
                              Phase::kReconnecting}) {
        State from = Make(phase, Target::kRecordOnly, Record::kOn);
        from.locked = true;
        from.lockEnd = t0 + 100ms;
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(PhaseName(phase)) + " " + row.key);
            const Step step = Next(from, Event::Capture(row.kind, row.problem), t0);
            ASSERT_EQ(Calls(step.effects), std::vector<K>{K::kShowStatus});
            EXPECT_EQ(step.effects[0].key, row.key);
            EXPECT_EQ(step.state.phase, phase);
            EXPECT_EQ(step.state.record, Record::kOn);
            EXPECT_EQ(LooksOf(step.state), LooksOf(from));
            const Step next =
                Next(step.state, Event::Stream({StreamState::Reconnecting, 0, 4}), t0);
            EXPECT_EQ(Find(next.effects, K::kShowStatus) != nullptr, IsStreaming(phase));
        }
    }
    State closed = Make(Phase::kLive);
    closed.closed = true;
    EXPECT_TRUE(Next(closed, Event::Capture(CaptureKind::kDesktop, CaptureProblem::kRefused), t0)
                    .effects.empty());
}

// Whatever happens in whatever order: boxes and calls out of the window come
// last, the looks shown are the state's, one switch at most is on, and a
// stream is started only from an awaited address.
TEST(Broadcast, RandomEventSequencesKeepTheInvariants) {
    std::mt19937 random(19);
    const std::vector<Event> events = {
        Event::Clicked(Switch::kOnline, true),
        Event::Clicked(Switch::kOnline, false),
        Event::Clicked(Switch::kRecordOnly, true),
        Event::Clicked(Switch::kRecordOnly, false),
        Event::Clicked(Switch::kRecord, true),
        Event::Clicked(Switch::kRecord, false),
        Event::Room(Reply(RoomAction::kGetUrl, RoomFailure::kNone, "rtmp://h/live/k")),
        Event::Room(Reply(RoomAction::kGetUrl, RoomFailure::kRefused, "no")),
        Event::Room(Reply(RoomAction::kStartRecord)),
        Event::Room(Reply(RoomAction::kStartRecord, RoomFailure::kUnreadable)),
        Event::Room(Reply(RoomAction::kStopRecord)),
        Event::Room(Reply(RoomAction::kStopRecord, RoomFailure::kRefused, "no")),
        Event::Started(StartOutcome::kStarted),
        Event::Started(StartOutcome::kRefused),
        Event::Stream({StreamState::Connecting}),
        Event::Stream({StreamState::Live}),
        Event::Stream({StreamState::Reconnecting, 0, 2}),
        Event::Stream({StreamState::Failed, OBS_OUTPUT_DISCONNECTED}),
        Event::Tick(),
        Event::Close(),
        Event::CloseAnswer(false),
        Event::Capture(CaptureKind::kWindow, CaptureProblem::kCancelled),
    };
    auto isTail = [](K k) {
        return k == K::kNotice || k == K::kAskExit || k == K::kClose || k == K::kStartStream;
    };
    for (int run = 0; run < 200; ++run) {
        State s;
        s.allowRecord = run % 2 == 0;
        TimePoint now = t0;
        for (int i = 0; i < 60; ++i) {
            now += std::chrono::milliseconds(random() % 400);
            const Event& e = events[random() % events.size()];
            const Step step = Next(s, e, now);
            bool inTail = false;
            for (const Effect& effect : step.effects) {
                if (isTail(effect.kind)) {
                    inTail = true;
                } else {
                    ASSERT_FALSE(inTail) << "run " << run << " step " << i;
                }
                if (effect.kind == K::kSwitchLooks) {
                    ASSERT_EQ(effect.looks, LooksOf(step.state));
                }
                if (effect.kind == K::kStartStream) {
                    ASSERT_EQ(s.phase, Phase::kAwaitingAddress);
                }
                if (effect.kind == K::kRequestAddress) {
                    ASSERT_EQ(step.state.phase, Phase::kAwaitingAddress);
                }
            }
            const Looks looks = LooksOf(step.state);
            ASSERT_FALSE(looks.onlineChecked && looks.recordOnlyChecked);
            ASSERT_EQ(looks.onlineChecked || looks.recordOnlyChecked,
                      step.state.phase != Phase::kIdle);
            if (!step.state.allowRecord && step.state.target == Target::kLive) {
                ASSERT_FALSE(looks.recordShown);
            }
            s = step.state;
            if (s.closed) {
                break;
            }
        }
    }
}

}  // namespace
}  // namespace zv::broadcast
