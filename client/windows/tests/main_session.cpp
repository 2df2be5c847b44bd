#include "main_session.h"

#include <X11/keysym.h>
#include <sys/stat.h>

#include <chrono>

#include "support/process.h"
#include "support/test_account.h"

namespace clienttest {

zvtest::OwnDisplay* MainSession::display_ = nullptr;
zvtest::Ingest* MainSession::ingest_ = nullptr;
zvtest::StandIn* MainSession::platform_ = nullptr;
ClientInstall* MainSession::install_ = nullptr;

namespace {

constexpr const char* kUser = zvtest::kTestUser;
constexpr const char* kPassword = zvtest::kTestPassword;

}  // namespace

long FileBytes(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

void MainSession::SetUpTestSuite() {
    display_ = new zvtest::OwnDisplay();
    if (display_->problem().empty()) {
        ingest_ = new zvtest::Ingest();
        platform_ = new zvtest::StandIn({.rtmpPort = ingest_->Port()});
        install_ = new ClientInstall();
    }
}

void MainSession::TearDownTestSuite() {
    delete install_;
    delete platform_;
    delete ingest_;
    delete display_;
    install_ = nullptr;
    platform_ = nullptr;
    ingest_ = nullptr;
    display_ = nullptr;
}

void MainSession::SetUp() {
    if (!display_->problem().empty()) {
        GTEST_SKIP() << display_->problem();
    }
    platform_->Control("reset");
    if (!ingest_->Running()) {
        ingest_->Start();
    }
    input_ = std::make_unique<zvtest::XInput>(display_->name());
    ASSERT_TRUE(input_->ok());
    home_ = std::make_unique<ClientHome>();
}

void MainSession::TearDown() {
    client_.reset();
}

void MainSession::SignIn(const Json::Value& account) {
    if (!account.isNull()) {
        platform_->Control("account", account);
    }
    // Each test is a fresh desktop session: the marker of the previous
    // test's client (it is never removed) must not decide this one.
    ASSERT_TRUE(zvtest::SetRootWindowProperty(display_->name(), kInstanceMarker, 0));
    client_ = StartClient(*install_, *home_, {.display = display_->name(), .platform = platform_});
    ASSERT_TRUE(client_->waitShown("w.login", 20000)) << client_->log();
    const std::string user = account.isMember("username") ? account["username"].asString() : kUser;
    const std::string password =
        account.isMember("password") ? account["password"].asString() : kPassword;
    const std::string problem = clienttest::SignIn(*client_, *input_, user, password);
    ASSERT_TRUE(problem.empty()) << problem;
}

Json::Value MainSession::Control(const std::string& name) const {
    return client_->control("w.main", name);
}

void MainSession::Click(const std::string& name) {
    const Json::Value c = Control(name);
    ASSERT_FALSE(c.isNull()) << name << " is not in the main window";
    ASSERT_TRUE(c["visible"].asBool()) << name << " is hidden";
    const auto p = zvtest::Centre(c);
    input_->click(p.x, p.y);
}

void MainSession::TurnOn(const std::string& name) {
    const Json::Value c = Control(name);
    ASSERT_FALSE(c.isNull()) << name << " is not in the main window";
    ASSERT_TRUE(c["visible"].asBool()) << name << " is hidden";
    EXPECT_TRUE(zvtest::ClickUntil(
        *input_, [&] { return zvtest::Centre(Control(name)); },
        [&] { return Checked(name) || !client_->messageBoxes().empty(); }))
        << name << " did not turn on after three clicks";
}

bool MainSession::WaitText(const std::string& name, const std::string& text, int timeoutMs) const {
    return zvtest::WaitFor([&] { return Text(name) == text; }, timeoutMs);
}

bool MainSession::WaitEnabled(const std::string& name, int timeoutMs) const {
    return zvtest::WaitFor([&] { return Control(name)["enabled"].asBool(); }, timeoutMs);
}

Json::Value MainSession::Box(int timeoutMs) const {
    const Json::Value box = client_->waitMessageBox(timeoutMs);
    EXPECT_FALSE(box.isNull()) << "no message box:\n" << client_->log();
    return box;
}

void MainSession::Answer(bool ok) {
    EXPECT_TRUE(AnswerMessageBox(*client_, *input_, ok ? XK_Return : XK_Escape))
        << "the message box stayed open";
}

std::string MainSession::WaitTrace(const std::string& prefix, size_t since, int timeoutMs) const {
    std::string found;
    zvtest::WaitFor(
        [&] {
            const auto lines = client_->errorLines();
            for (size_t i = since; i < lines.size(); ++i) {
                if (lines[i].rfind(prefix, 0) == 0) {
                    found = lines[i];
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

Json::Value MainSession::RoomRequests(const std::string& path) const {
    Json::Value filter;
    filter["path"] = path;
    return platform_->Requests(filter);
}

bool MainSession::WaitRoomRequests(const std::string& path, size_t count, int timeoutMs) const {
    return zvtest::WaitFor([&] { return RoomRequests(path).size() >= count; }, timeoutMs);
}

void MainSession::Script(const std::string& path, const Json::Value& reply) {
    Json::Value s = reply;
    s["path"] = path;
    s["role"] = "route";
    platform_->Control("script", s);
}

std::string WaitRecording(const zvtest::Ingest& ingest, const std::string& app, long bytes,
                          int timeoutMs) {
    std::string newest;
    zvtest::WaitFor(
        [&] {
            newest = ingest.NewestRecording(app);
            return !newest.empty() && FileBytes(newest) > bytes;
        },
        timeoutMs);
    return !newest.empty() && FileBytes(newest) > bytes ? newest : std::string();
}

}  // namespace clienttest
