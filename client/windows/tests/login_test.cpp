// The login window of the installed client, used through real input on an X
// server with a window manager, against the local platform stand-in: the
// checks before anything is sent, the platform's refusals and unreadable
// replies as the user reads them, the remembered name, the loading
// indicator while a reply is held back, and a login that opens the main
// window and remembers the typed name.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "support/client_harness.h"
#include "support/proc_tree.h"

namespace {

using clienttest::ClientHome;
using clienttest::ClientInstall;
using clienttest::StartClient;

constexpr const char* kUser = "zvtest";
constexpr const char* kPassword = "zv-pass.123";
constexpr const char* kLoginPath = "/Api/npushstream/nlogin";

std::string FailureText(const std::string& reason) {
    return "登录失败！\r\n\r\n错误信息(" + reason + ")。";
}

size_t CodePoints(const std::string& utf8) {
    size_t n = 0;
    for (const unsigned char c : utf8) {
        n += (c & 0xC0) != 0x80;
    }
    return n;
}

class Login : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        display_ = new zvtest::OwnDisplay();
        if (display_->problem().empty()) {
            platform_ = new zvtest::StandIn();
            install_ = new ClientInstall();
        }
    }
    static void TearDownTestSuite() {
        delete install_;
        delete platform_;
        delete display_;
        install_ = nullptr;
        platform_ = nullptr;
        display_ = nullptr;
    }

    void SetUp() override {
        if (!display_->problem().empty()) {
            GTEST_SKIP() << display_->problem();
        }
        platform_->Control("reset");
        input_ = std::make_unique<zvtest::XInput>(display_->name());
        ASSERT_TRUE(input_->ok());
    }

    // A client on the test display that shows its login window.
    void Start(const ClientHome& home, clienttest::ClientRun run = {}) {
        run.display = display_->name();
        // Each test is a fresh desktop session: the marker the previous
        // test's client left (it is never removed) must not decide this one.
        ASSERT_TRUE(
            zvtest::SetRootWindowProperty(display_->name(), clienttest::kInstanceMarker, 0));
        if (!run.platform) {
            run.platform = platform_;
        }
        client_ = StartClient(*install_, home, run);
        ASSERT_TRUE(client_->waitShown("w.login", 20000)) << "the login window did not come up:\n"
                                                          << client_->log();
    }

    Json::Value Control(const std::string& name) const { return client_->control("w.login", name); }

    void Click(const std::string& name) {
        const Json::Value c = Control(name);
        ASSERT_FALSE(c.isNull()) << name << " is not in the login window";
        const auto p = zvtest::Centre(c);
        input_->click(p.x, p.y);
    }

    // Replaces an edit's text by typing, as a person would.
    void Fill(const std::string& name, const std::string& text) {
        Click(name);
        input_->key(XK_End);
        for (size_t n = CodePoints(Control(name)["text"].asString()); n > 0; --n) {
            input_->key(XK_BackSpace);
        }
        input_->type(text);
        // The password edit shows one bullet a character.
        const size_t want = CodePoints(text);
        EXPECT_TRUE(zvtest::WaitFor([&] {
            return CodePoints(Control(name)["text"].asString()) == want;
        })) << name
            << " holds \"" << Control(name)["text"].asString() << "\"";
        if (name != "r.pass") {
            EXPECT_EQ(Control(name)["text"].asString(), text);
        }
    }

    void LogIn(const std::string& user, const std::string& password) {
        Fill("r.name", user);
        Fill("r.pass", password);
        Click("b.login");
    }

    // The message box that the last action opened.
    Json::Value Box() {
        const Json::Value box = client_->waitMessageBox(15000);
        EXPECT_FALSE(box.isNull()) << "no message box:\n" << client_->log();
        return box;
    }

    void Dismiss() {
        EXPECT_TRUE(clienttest::AnswerMessageBox(*client_, *input_, XK_Return))
            << "the message box stayed open";
    }

    Json::Value LoginRequests() const {
        Json::Value filter;
        filter["path"] = kLoginPath;
        return platform_->Requests(filter);
    }

    // The next login reply comes after `delay` seconds.
    void HoldNextLogin(double delay, const Json::Value& reply) {
        Json::Value s;
        s["path"] = kLoginPath;
        s["delay"] = delay;
        s["json"] = reply;
        platform_->Control("script", s);
    }

    Json::Value Accepted() const {
        Json::Value account;
        account["username"] = kUser;
        account["password"] = kPassword;
        Json::Value reply;
        reply["success"] = "true";
        reply["errmsg"] = "";
        reply["dataresult"] = platform_->Control("account", account)["dataresult"];
        return reply;
    }

    static Json::Value Refused(const std::string& reason) {
        Json::Value reply;
        reply["success"] = "false";
        reply["errmsg"] = reason;
        return reply;
    }

    static zvtest::OwnDisplay* display_;
    static zvtest::StandIn* platform_;
    static ClientInstall* install_;
    std::unique_ptr<zvtest::XInput> input_;
    std::unique_ptr<zvtest::InspectedProgram> client_;
};

zvtest::OwnDisplay* Login::display_ = nullptr;
zvtest::StandIn* Login::platform_ = nullptr;
ClientInstall* Login::install_ = nullptr;

TEST_F(Login, AnEmptyFieldIsRefusedBeforeAnythingIsSent) {
    ClientHome home;
    ASSERT_NO_FATAL_FAILURE(Start(home));
    EXPECT_FALSE(Control("l.loading")["visible"].asBool()) << "hidden until a login is pending";
    // Nothing before the main window draws through GL or shows a page: the
    // login window comes up without loading a GL driver or the page runtime.
    for (const char* library : {"_dri.so", "libLLVM", "libzvbrowser.so", "libwebkit2gtk"}) {
        EXPECT_FALSE(zvtest::ProcessMaps(client_->pid(), library)) << library;
    }
    struct Case {
        const char* name;
        const char* password;
    } cases[] = {{"", ""}, {kUser, ""}, {"", kPassword}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("name \"") + c.name + "\", password \"" + c.password + "\"");
        LogIn(c.name, c.password);
        const Json::Value box = Box();
        EXPECT_EQ(box["text"].asString(), clienttest::PackageText("s.login.error.empty"));
        EXPECT_EQ(box["caption"].asString(), clienttest::PackageText("s.msg.title"));
        EXPECT_EQ(box["flags"].asInt(), 48);
        EXPECT_FALSE(Control("l.loading")["visible"].asBool());
        Dismiss();
    }
    EXPECT_TRUE(LoginRequests().empty()) << LoginRequests().toStyledString();
    EXPECT_TRUE(client_->window("w.login")["visible"].asBool());
    EXPECT_TRUE(client_->window("w.main").isNull() ||
                !client_->window("w.main")["visible"].asBool());
}

TEST_F(Login, EachRefusalShowsItsOwnReasonAndTheFieldsAreSentAsTyped) {
    ClientHome home;
    ASSERT_NO_FATAL_FAILURE(Start(home));
    const std::string wrong = "用户名或密码错误";  // the platform's own refusal
    struct Case {
        const char* what;
        std::string name, password;
        Json::Value script;  // a reply of the test's instead of the platform's
        std::string reason;
        std::string body;  // the form the platform receives
    } cases[] = {
        {"a wrong password",
         kUser,
         "wrong",
         {},
         wrong,
         "username=zvtest&userpwd=wrong&clientversion=2.0"},
        {"a name of spaces is sent as it is",
         "   ",
         kPassword,
         {},
         wrong,
         "username=%20%20%20&userpwd=zv-pass.123&clientversion=2.0"},
        {"a reply that is not JSON",
         kUser,
         kPassword,
         {},
         "server response invalid:<html>busy</html>",
         "username=zvtest&userpwd=zv-pass.123&clientversion=2.0"},
        {"\"success\" is case-sensitive",
         kUser,
         kPassword,
         {},
         "大小写不符",
         "username=zvtest&userpwd=zv-pass.123&clientversion=2.0"},
    };
    cases[2].script["body"] = "<html>busy</html>";
    cases[2].script["status"] = 502;
    cases[3].script["json"]["success"] = "True";
    cases[3].script["json"]["errmsg"] = "大小写不符";
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.script.isNull()) {
            c.script["path"] = kLoginPath;
            platform_->Control("script", c.script);
        }
        const Json::ArrayIndex before = LoginRequests().size();
        LogIn(c.name, c.password);
        const Json::Value box = Box();
        EXPECT_EQ(box["text"].asString(), FailureText(c.reason));
        EXPECT_EQ(box["caption"].asString(), "提醒信息");
        EXPECT_EQ(box["flags"].asInt(), 48);
        EXPECT_EQ(client_->messageBoxes().size(), 1u);
        EXPECT_FALSE(Control("l.loading")["visible"].asBool());
        const Json::Value requests = LoginRequests();
        ASSERT_EQ(requests.size(), before + 1);
        EXPECT_EQ(requests[before]["body"].asString(), c.body);
        EXPECT_EQ(requests[before]["method"].asString(), "POST");
        Dismiss();
        EXPECT_TRUE(client_->window("w.login")["visible"].asBool()) << "the user may try again";
    }
    EXPECT_FALSE(home.hasSession()) << "only a login that succeeded is remembered";
}

TEST_F(Login, AnUnreachablePlatformIsReportedAsAnInvalidResponse) {
    ClientHome home;
    ASSERT_NO_FATAL_FAILURE(
        Start(home, {.apiHost = "http://127.0.0.1:" + std::to_string(zvtest::FreePort())}));
    LogIn(kUser, kPassword);
    const Json::Value box = Box();
    EXPECT_EQ(box["text"].asString(), FailureText("server response invalid:"));
    EXPECT_FALSE(Control("l.loading")["visible"].asBool());
    EXPECT_TRUE(LoginRequests().empty());
}

TEST_F(Login, ALongReasonIsShownWholeAndARetryDoesNotShowItAgain) {
    ClientHome home;
    ASSERT_NO_FATAL_FAILURE(Start(home));
    std::string reason;
    for (int i = 0; i < 12; ++i) {
        reason += "账号暂时被冻结，请联系客服处理 ";
    }
    reason += "(code=E1234)";
    ASSERT_GT(CodePoints(FailureText(reason)), 127u);
    Json::Value account;
    account["username"] = kUser;
    account["password"] = kPassword;
    account["refuse"] = reason;
    platform_->Control("account", account);

    LogIn(kUser, kPassword);
    const Json::Value box = Box();
    EXPECT_EQ(box["text"].asString(), FailureText(reason));
    zvtest::Screenshot(display_->name(), clienttest::ScreenshotPath("login-refused"));
    Dismiss();

    // The second attempt is held back: while it waits the old failure must
    // not come back.
    account.removeMember("refuse");
    platform_->Control("account", account);
    HoldNextLogin(1.5, Accepted());
    Click("b.login");
    EXPECT_TRUE(zvtest::WaitFor([&] { return Control("l.loading")["visible"].asBool(); }))
        << "the loading indicator shows while the login is pending";
    EXPECT_FALSE(zvtest::WaitFor([&] { return !client_->messageBoxes().empty(); }, 1000))
        << client_->messageBoxes().toStyledString();
    EXPECT_TRUE(client_->waitShown("w.main", 30000)) << client_->log();
    EXPECT_TRUE(client_->messageBoxes().empty()) << client_->messageBoxes().toStyledString();
    EXPECT_EQ(LoginRequests().size(), 2u);
}

TEST_F(Login, ASuccessOpensTheMainWindowAndRemembersTheTypedName) {
    ClientHome home;
    home.writeSession("someone");
    ASSERT_NO_FATAL_FAILURE(Start(home));
    EXPECT_EQ(Control("r.name")["text"].asString(), "someone");
    EXPECT_EQ(Control("r.pass")["text"].asString(), "");
    zvtest::Screenshot(display_->name(), clienttest::ScreenshotPath("login-window"));

    LogIn(kUser, kPassword);
    ASSERT_TRUE(client_->waitShown("w.main", 30000)) << client_->log();
    EXPECT_TRUE(zvtest::WaitFor([&] { return !client_->window("w.login")["visible"].asBool(); }))
        << "the login window hides itself";
    EXPECT_TRUE(client_->messageBoxes().empty()) << client_->messageBoxes().toStyledString();
    EXPECT_EQ(home.session(), kUser) << "the name of the field, not the one read at start";

    const Json::Value requests = LoginRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["body"].asString(),
              "username=zvtest&userpwd=zv-pass.123&clientversion=2.0");
    EXPECT_NE(client_->errors().find("WebApi::Post: url=" + platform_->ApiHost() + kLoginPath),
              std::string::npos)
        << client_->log();
    zvtest::Screenshot(display_->name(), clienttest::ScreenshotPath("main-window"));

    // Closing the main window (not live) ends the program with 0; the
    // updater follows.
    const size_t updates = install_->updaterStarts().size();
    const auto close = zvtest::Centre(client_->control("w.main", "NC.CLOSE"));
    input_->click(close.x, close.y);
    EXPECT_EQ(client_->waitExit(20000), 0) << client_->log();
    EXPECT_TRUE(install_->waitUpdaterStarts(updates + 1));
    EXPECT_EQ(home.session(), kUser);
    EXPECT_EQ(home.session().find(kPassword), std::string::npos);
}

TEST_F(Login, TheRememberedNameComesFromTheWorkingFolder) {
    struct Case {
        const char* what;
        const char* session;  // null: no .session in the folder
        bool elsewhere;       // started from another folder
        const char* shown;
    } cases[] = {
        {"a plain name", "zvtest", false, "zvtest"},
        {"a UTF-8 name", "主播·小鹿", false, "主播·小鹿"},
        {"no file", nullptr, false, ""},
        {"a file in another folder", "zvtest", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClientHome home, other;
        if (c.session) {
            home.writeSession(c.session);
        }
        ASSERT_NO_FATAL_FAILURE(
            Start(home, {.workingFolder = c.elsewhere ? other.work : home.work}));
        EXPECT_EQ(Control("r.name")["text"].asString(), c.shown);
        EXPECT_EQ(Control("r.pass")["text"].asString(), "");
        client_.reset();
    }
}

TEST_F(Login, TheForgottenPasswordLinkOpensTheAccountSite) {
    ClientHome home;
    ASSERT_NO_FATAL_FAILURE(Start(home));
    Click("b.login.forgot");
    EXPECT_TRUE(zvtest::WaitFor([&] { return !home.opened().empty(); })) << "nothing was opened:\n"
                                                                         << client_->log();
    EXPECT_EQ(home.opened(), std::vector<std::string>{platform_->AccountHost() + "/forgetpwd"});
    EXPECT_TRUE(client_->messageBoxes().empty());
    EXPECT_TRUE(LoginRequests().empty());
    EXPECT_TRUE(client_->window("w.login")["visible"].asBool());
}

TEST_F(Login, TheLoadingFramesAdvanceWhileALoginIsHeldAndGoOnInTheNextOne) {
    ClientHome home;
    ASSERT_NO_FATAL_FAILURE(Start(home));
    // Frames seen while the indicator is visible, until `done`.
    auto watch = [&](const std::function<bool()>& done) {
        std::vector<int> frames;
        zvtest::WaitFor(
            [&] {
                const Json::Value l = Control("l.loading");
                const int frame = l["images"][0].asInt();
                if (l["visible"].asBool() && (frames.empty() || frames.back() != frame)) {
                    frames.push_back(frame);
                }
                return done();
            },
            20000);
        return frames;
    };
    auto advances = [](const std::vector<int>& frames) {
        for (size_t i = 1; i < frames.size(); ++i) {
            const int step = (frames[i] - frames[i - 1] + 8) % 8;
            EXPECT_TRUE(step == 1 || step == 2) << frames[i - 1] << " -> " << frames[i];
        }
        for (const int f : frames) {
            EXPECT_GE(f, 0);
            EXPECT_LE(f, 7);
        }
    };

    HoldNextLogin(1.2, Refused("稍后再试"));
    LogIn(kUser, kPassword);
    const auto first = watch([&] { return !client_->messageBoxes().empty(); });
    ASSERT_GE(first.size(), 8u) << "a frame every 100 ms for 1.2 s";
    EXPECT_EQ(first.front(), 0) << "the first login starts at frame 0";
    advances(first);
    EXPECT_FALSE(Control("l.loading")["visible"].asBool());
    const int last = Control("l.loading")["images"][0].asInt();
    Dismiss();

    HoldNextLogin(1.5, Accepted());
    Click("b.login");
    const auto second = watch([&] { return client_->window("w.main")["visible"].asBool(); });
    ASSERT_GE(second.size(), 8u);
    EXPECT_EQ(second.front(), (last + 1) % 8) << "the sequence goes on from the last frame";
    advances(second);
    bool wrapped = false;
    for (size_t i = 1; i < second.size(); ++i) {
        wrapped = wrapped || second[i] < second[i - 1];
    }
    EXPECT_TRUE(wrapped || first.back() > second.front()) << "7 is followed by 0";
}

}  // namespace
