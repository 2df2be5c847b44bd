// Pure rules of the platform exchanges: JSON reading, the room-control
// credentials, request building and reply reading, the login record.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "json_read.h"
#include "login_record.h"
#include "room_credentials.h"
#include "room_key_table.h"
#include "web_login.h"
#include "web_room.h"

namespace {

Json::Value Parsed(const std::string& text) {
    Json::Value v;
    EXPECT_TRUE(zv::json::Parse(text, v)) << text;
    return v;
}

TEST(JsonRead, ParseRefusesWhatIsNotOneDocument) {
    Json::Value v;
    for (const char* bad : {"", " ", "{", "{\"a\":1} x", "{\"a\":1}{}", "// c\n{}", "{'a':1}",
                            "<html>500</html>", "nul", "{\"a\":1,}"}) {
        EXPECT_FALSE(zv::json::Parse(bad, v)) << bad;
    }
    EXPECT_TRUE(zv::json::Parse(" {\"a\":1}\n", v));
    EXPECT_TRUE(zv::json::Parse("5", v));
    EXPECT_TRUE(zv::json::Parse("\"text\"", v));
}

TEST(JsonRead, DeepNestingIsRefusedWithoutThrowing) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    Json::Value v;
    EXPECT_NO_THROW(EXPECT_FALSE(zv::json::Parse(deep, v)));
}

TEST(JsonRead, EmbeddedZeroBytesInBodyAreHandled) {
    const std::string body("{\"a\":\"x\"}\0tail", 14);
    Json::Value v;
    EXPECT_FALSE(zv::json::Parse(body, v));
    EXPECT_TRUE(zv::json::Parse(std::string_view(body.data(), 9), v));
}

TEST(JsonRead, TextRule) {
    const Json::Value v = Parsed(
        R"({"s":"abc","t":true,"f":false,"i":-12,"u":4294967295,"r":1.5,"n":null,"o":{"x":1},"a":[1],"z":"中文"})");
    EXPECT_EQ(zv::json::Text(v, "s"), "abc");
    EXPECT_EQ(zv::json::Text(v, "t"), "true");
    EXPECT_EQ(zv::json::Text(v, "f"), "false");
    EXPECT_EQ(zv::json::Text(v, "i"), "-12");
    EXPECT_EQ(zv::json::Text(v, "u"), "4294967295");
    EXPECT_EQ(zv::json::Text(v, "r"), "1.5");
    EXPECT_EQ(zv::json::Text(v, "n"), "");
    EXPECT_EQ(zv::json::Text(v, "o"), "");
    EXPECT_EQ(zv::json::Text(v, "a"), "");
    EXPECT_EQ(zv::json::Text(v, "missing"), "");
    EXPECT_EQ(zv::json::Text(v, "z"), "中文");
}

TEST(JsonRead, BoolRule) {
    const Json::Value v = Parsed(
        R"({"t":true,"f":false,"s":"true","one":1,"zero":0,"r":0.5,"n":null,"o":{},"a":[true]})");
    EXPECT_TRUE(zv::json::Bool(v, "t"));
    EXPECT_FALSE(zv::json::Bool(v, "f"));
    EXPECT_FALSE(zv::json::Bool(v, "s"));
    EXPECT_TRUE(zv::json::Bool(v, "one"));
    EXPECT_FALSE(zv::json::Bool(v, "zero"));
    EXPECT_TRUE(zv::json::Bool(v, "r"));
    EXPECT_FALSE(zv::json::Bool(v, "n"));
    EXPECT_FALSE(zv::json::Bool(v, "o"));
    EXPECT_FALSE(zv::json::Bool(v, "a"));
    EXPECT_FALSE(zv::json::Bool(v, "missing"));
}

TEST(JsonRead, IntRule) {
    const Json::Value v = Parsed(
        R"({"i":-7,"max":2147483647,"big":2147483648,"neg":-2147483649,"r":3.9,"rn":-3.9,"huge":1e300,
            "s":"12","t":true,"o":{"a":1},"n":null})");
    EXPECT_EQ(zv::json::Int(v, "i"), -7);
    EXPECT_EQ(zv::json::Int(v, "max"), 2147483647);
    EXPECT_EQ(zv::json::Int(v, "big"), 0);
    EXPECT_EQ(zv::json::Int(v, "neg"), 0);
    EXPECT_EQ(zv::json::Int(v, "r"), 3);
    EXPECT_EQ(zv::json::Int(v, "rn"), -3);
    EXPECT_EQ(zv::json::Int(v, "huge"), 0);
    EXPECT_EQ(zv::json::Int(v, "s"), 0);
    EXPECT_EQ(zv::json::Int(v, "t"), 1);
    EXPECT_EQ(zv::json::Int(v, "o"), 0);
    EXPECT_EQ(zv::json::Int(v, "n"), 0);
}

TEST(JsonRead, KeysOfNonObjectsReadAsMissing) {
    for (const char* doc : {"[1,2]", "\"x\"", "7", "null", "true"}) {
        const Json::Value v = Parsed(doc);
        EXPECT_EQ(zv::json::Text(v, "a"), "") << doc;
        EXPECT_FALSE(zv::json::Bool(v, "a")) << doc;
        EXPECT_EQ(zv::json::Int(v, "a"), 0) << doc;
        EXPECT_TRUE(zv::json::Member(v, "a").isNull()) << doc;
    }
}

TEST(RoomCredentials, PasswordIsTheConfiguredOneAndNotStoredWhole) {
    const std::string password = zv::RoomControlPassword();
    EXPECT_EQ(password.size(), 11u);
    EXPECT_EQ(password, ZV_EXPECTED_ROOM_PASSWORD);
    EXPECT_EQ(zv::RoomControlUser(), "q7vx");
    EXPECT_EQ(zv::RoomControlUserPwd(), "q7vx:" + password);
    EXPECT_EQ(zv::RoomControlUserPwd().size(), 16u);
    // The table must not hold the password as one run of characters.
    const std::string table(reinterpret_cast<const char*>(zv::generated::kRoomKeyTable),
                            sizeof zv::generated::kRoomKeyTable);
    EXPECT_EQ(table.find(password), std::string::npos);
    EXPECT_EQ(sizeof zv::generated::kRoomKeyPositions, 11u);
}

TEST(LoginRequest, FormBodyOrderAndEscaping) {
    WebApi api;
    EXPECT_EQ(WebLogin::FormBody(api, "anna", "pw"), "username=anna&userpwd=pw&clientversion=2.0");
    EXPECT_EQ(WebLogin::FormBody(api, "a b&c", "x=y%z"),
              "username=a%20b%26c&userpwd=x%3Dy%25z&clientversion=2.0");
    EXPECT_EQ(WebLogin::FormBody(api, "主播", "+~._-"),
              "username=%E4%B8%BB%E6%92%AD&userpwd=%2B~._-&clientversion=2.0");
    EXPECT_EQ(WebLogin::FormBody(api, "", ""), "username=&userpwd=&clientversion=2.0");
}

struct ReplyCase {
    std::string body;
    bool accepted;
    zv::LoginFailure failure;
    std::string error;
};

TEST(LoginReply, AcceptanceAndErrorTexts) {
    using F = zv::LoginFailure;
    const ReplyCase cases[] = {
        {R"({"success":"true","dataresult":{}})", true, F::kNone, ""},
        {R"({"success":true,"dataresult":{}})", true, F::kNone, ""},
        {R"({"success":"True","errmsg":"denied"})", false, F::kRefused, "denied"},
        {R"({"success":"1","errmsg":"one"})", false, F::kRefused, "one"},
        {R"({"success":1,"errmsg":"num"})", false, F::kRefused, "num"},
        {R"({"success":false,"errmsg":"密码错误"})", false, F::kRefused, "密码错误"},
        {R"({"success":"true "})", false, F::kNoReason, ""},
        {R"({"success":false,"errmsg":""})", false, F::kNoReason, ""},
        {R"({"errmsg":{"nested":1}})", false, F::kNoReason, ""},
        {"", false, F::kUnreadable, ""},
        {"<html>502 Bad Gateway</html>", false, F::kUnreadable, "<html>502 Bad Gateway</html>"},
        {R"({"success":"true")", false, F::kUnreadable, "{\"success\":\"true\""},
    };
    for (const ReplyCase& c : cases) {
        zv::LoginRecord record;
        zv::LoginReply reply;
        EXPECT_EQ(WebLogin::ReadReply(c.body, record, reply), c.accepted) << c.body;
        EXPECT_EQ(record.Failure(), c.failure) << c.body;
        EXPECT_EQ(record.ErrorMessage(), c.error) << c.body;
        EXPECT_FALSE(record.LoggedIn()) << c.body;
    }
}

TEST(LoginReply, FieldsTypesAndLogoPrefix) {
    zv::LoginRecord record;
    zv::LoginReply r;
    ASSERT_TRUE(WebLogin::ReadReply(
        R"({"success":"true","dataresult":{"nickname":"小明","headimage":"http://h/a.png",
            "signature":"sig","chaturl":"http://c","gifturl":"http://g","onlineusercount":12,
            "roomid":"r 1&x","logintime":"2024","allowrecord":true,"logo":"//cdn/l.png",
            "lwith":"80","lheight":40.7,"position":{"x":1}}})",
        record, r));
    EXPECT_EQ(r.nickname, "小明");
    EXPECT_EQ(r.avatarUrl, "http://h/a.png");
    EXPECT_EQ(r.signature, "sig");
    EXPECT_EQ(r.chatUrl, "http://c");
    EXPECT_EQ(r.giftUrl, "http://g");
    EXPECT_EQ(r.onlineCount, "12");
    EXPECT_EQ(r.roomId, "r 1&x");
    EXPECT_EQ(r.loginTime, "2024");
    EXPECT_TRUE(r.allowRecord);
    EXPECT_EQ(r.logoUrl, "http://cdn/l.png");
    EXPECT_EQ(r.logoWidth, 0);  // text where an integer is expected
    EXPECT_EQ(r.logoHeight, 40);
    EXPECT_EQ(r.logoPosition, 0);  // object where an integer is expected

    zv::LoginReply empty;
    ASSERT_TRUE(WebLogin::ReadReply(R"({"success":"true"})", record, empty));
    EXPECT_EQ(empty.logoUrl, "http:");
    EXPECT_EQ(empty.roomId, "");
    EXPECT_FALSE(empty.allowRecord);
    EXPECT_EQ(empty.logoWidth, 0);
    zv::LoginReply notObject;
    ASSERT_TRUE(
        WebLogin::ReadReply(R"({"success":"true","dataresult":"text"})", record, notObject));
    EXPECT_EQ(notObject.nickname, "");
    EXPECT_EQ(notObject.logoUrl, "http:");
}

TEST(RoomRequest, UrlIsNotEscaped) {
    EXPECT_EQ(WebRoomTask::BuildUrl("http://h/room/geturl", "12 & 3", "2.0 b&c"),
              "http://h/room/geturl?id=12 & 3&ver=2.0 b&c");
    EXPECT_EQ(WebRoomTask::BuildUrl("http://h/room/stoprecord", "9", ""),
              "http://h/room/stoprecord?id=9&ver=");
}

TEST(RoomReply, OutcomeRows) {
    using zv::RoomAction;
    using F = zv::RoomFailure;
    struct Row {
        const char* body;
        RoomAction action;
        F failure;
        const char* text;
    } rows[] = {
        {R"({"result":true,"url":"rtmp://h/live/k"})", RoomAction::kGetUrl, F::kNone,
         "rtmp://h/live/k"},
        {R"({"result":true,"url":"rtmp://h/live/k"})", RoomAction::kStartRecord, F::kNone, ""},
        {R"({"result":true})", RoomAction::kGetUrl, F::kUnreadable, ""},
        {R"({"result":true,"url":""})", RoomAction::kGetUrl, F::kUnreadable, ""},
        {R"({"result":true})", RoomAction::kStopRecord, F::kNone, ""},
        {R"({"result":false,"message":"no room"})", RoomAction::kGetUrl, F::kRefused, "no room"},
        {R"({"result":false})", RoomAction::kStartRecord, F::kUnreadable, ""},
        {R"({"result":false,"message":""})", RoomAction::kGetUrl, F::kUnreadable, ""},
        {R"({"message":"missing result"})", RoomAction::kStopRecord, F::kRefused, "missing result"},
        {R"({"result":"true","message":"text result"})", RoomAction::kGetUrl, F::kRefused,
         "text result"},
        {R"({"result":1,"url":"u"})", RoomAction::kGetUrl, F::kNone, "u"},
        {R"([true])", RoomAction::kGetUrl, F::kUnreadable, ""},
        {"", RoomAction::kGetUrl, F::kUnreadable, ""},
        {"Internal Server Error", RoomAction::kStopRecord, F::kUnreadable, ""},
    };
    for (const Row& row : rows) {
        const zv::RoomResult r = WebRoomTask::ReadReply(row.body, row.action);
        EXPECT_EQ(r.action, row.action) << row.body;
        EXPECT_EQ(r.failure, row.failure) << row.body;
        EXPECT_EQ(r.text, row.text) << row.body;
    }
}

TEST(LoginRecord, AttemptClearsStateAndEndpointsFollowHosts) {
    zv::LoginRecord record;
    record.SetFailure(zv::LoginFailure::kRefused, "old");
    record.SetLoggedIn();
    const auto endpoints = zv::LoginEndpoints::FromHosts("http://api:1", "http://route:2");
    record.BeginAttempt(endpoints, "u", "p");
    EXPECT_FALSE(record.LoggedIn());
    EXPECT_EQ(record.ErrorMessage(), "");
    EXPECT_EQ(record.Failure(), zv::LoginFailure::kNone);
    EXPECT_EQ(record.Endpoints().loginUrl, "http://api:1/Api/npushstream/nlogin");
    EXPECT_EQ(record.Endpoints().getUrlUrl, "http://route:2/room/geturl");
    EXPECT_EQ(record.Endpoints().startRecordUrl, "http://route:2/room/startrecord");
    EXPECT_EQ(record.Endpoints().stopRecordUrl, "http://route:2/room/stoprecord");
    EXPECT_EQ(record.User(), "u");
    EXPECT_EQ(record.Password(), "p");
}

// A poller on another thread that sees logged in must see every reply field.
TEST(LoginRecord, ReaderNeverSeesLoggedInWithMissingFields) {
    for (int round = 0; round < 200; ++round) {
        zv::LoginRecord record;
        std::atomic<bool> sawIncomplete{false};
        std::thread poller([&] {
            while (!record.LoggedIn()) {
            }
            const zv::LoginReply r = record.Reply();
            if (r.roomId != "room" || r.logoUrl != "http://l" || r.logoHeight != 9) {
                sawIncomplete = true;
            }
        });
        zv::LoginReply reply;
        reply.roomId = "room";
        reply.logoUrl = "http://l";
        reply.logoHeight = 9;
        record.SetReply(reply);
        record.SetLoggedIn();
        poller.join();
        ASSERT_FALSE(sawIncomplete) << "round " << round;
    }
}

}  // namespace
