// The browser runtime as a whole: cache folder or memory, certificate
// errors, and shut-down leaving no browser process behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>

#include "browser_harness.h"
#include "platform/gtk_init.h"
#include "platform/main_loop.h"
#include "support/process.h"
#include "support/standin.h"

namespace zvtest_browser {
namespace {

using zv::browser::BrowserApp;
using zv::browser::ViewRect;
using namespace std::chrono_literals;

class RuntimeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(zv::InitGtk()) << "no display"; }

    std::string Serve(const std::string& html) {
        static int serial = 0;
        Json::Value page;
        page["path"] = "/p/runtime" + std::to_string(++serial);
        page["html"] = html;
        return platform_.Control("page", page)["url"].asString();
    }

    zvtest::StandIn platform_;
    TempFolder folder_;
};

bool IsFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Sets a value in the page's local storage, then notifies.
const char kStorePage[] = R"(<script>
    localStorage.setItem("zv-test", "保存的值");
    notify("updateOnlineCount", 1);
</script>)";
// Reads it back in a later run.
const char kLoadPage[] = R"(<script>
    notify("kickout", localStorage.getItem("zv-test") || "nothing stored");
</script>)";

TEST_F(RuntimeTest, DataLivesInTheCacheFolderAcrossRuns) {
    HostWindow host;
    GtkWidget* area = host.AddArea(0, 0, 300, 200);
    const std::string store = Serve(kStorePage);
    const std::string load = Serve(kLoadPage);
    const std::string cache = folder_.Path() + "/zv.cache";
    {
        BrowserApp app(TestOptions(folder_.Path()));
        ASSERT_TRUE(app.Initialize());
        EXPECT_EQ(app.CacheFolder(), cache);
        EXPECT_TRUE(IsFolder(cache));
        EXPECT_FALSE(webkit_web_context_is_ephemeral(app.Context()));
        RecordingCallback cb;
        app.CreateView(area, ViewRect{0, 0, 300, 200}, store, &cb);
        ASSERT_TRUE(zv::RunLoopUntil([&] { return cb.HasCount(1); }, 20s, zv::LoopWait::kBlock));
        // Storage reaches the disk asynchronously.
        ASSERT_TRUE(zv::RunLoopUntil([&] { return IsFolder(cache + "/localstorage"); }, 10s,
                                     zv::LoopWait::kBlock));
        zv::RunLoopFor(1500ms, zv::LoopWait::kBlock);
        app.Shutdown();
    }
    {
        BrowserApp app(TestOptions(folder_.Path()));
        ASSERT_TRUE(app.Initialize());
        RecordingCallback cb;
        app.CreateView(area, ViewRect{0, 0, 300, 200}, load, &cb);
        ASSERT_TRUE(
            zv::RunLoopUntil([&] { return !cb.kickouts.empty(); }, 20s, zv::LoopWait::kBlock));
        EXPECT_EQ(cb.kickouts[0], u"保存的值");
    }
}

TEST_F(RuntimeTest, WorksInMemoryWhenTheCacheFolderCannotBeMade) {
    // The data folder is a plain file, so no folder can be made inside it.
    const std::string blocker = folder_.Path() + "/not-a-folder";
    std::ofstream(blocker) << "x";
    HostWindow host;
    GtkWidget* area = host.AddArea(0, 0, 300, 200);
    const std::string store = Serve(kStorePage);
    const std::string load = Serve(kLoadPage);
    for (int run = 0; run < 2; ++run) {
        BrowserApp app(TestOptions(blocker));
        ASSERT_TRUE(app.Initialize());
        EXPECT_EQ(app.CacheFolder(), "");
        EXPECT_TRUE(webkit_web_context_is_ephemeral(app.Context()));
        RecordingCallback cb;
        app.CreateView(area, ViewRect{0, 0, 300, 200}, run == 0 ? store : load, &cb);
        if (run == 0) {
            ASSERT_TRUE(
                zv::RunLoopUntil([&] { return cb.HasCount(1); }, 20s, zv::LoopWait::kBlock));
        } else {
            // Nothing of the first run survived it.
            ASSERT_TRUE(
                zv::RunLoopUntil([&] { return !cb.kickouts.empty(); }, 20s, zv::LoopWait::kBlock));
            EXPECT_EQ(cb.kickouts[0], u"nothing stored");
        }
    }
}

TEST_F(RuntimeTest, PagesNeverGoThroughAProxy) {
    // A proxy named by the environment that accepts no connection: pages
    // load only because the runtime goes direct. (Upper case: the test's own
    // HTTP client ignores it.)
    const std::string dead = "http://127.0.0.1:" + std::to_string(zvtest::FreePort());
    setenv("HTTP_PROXY", dead.c_str(), 1);
    HostWindow host;
    GtkWidget* area = host.AddArea(0, 0, 300, 200);
    BrowserApp app(TestOptions(folder_.Path()));
    ASSERT_TRUE(app.Initialize());
    RecordingCallback cb;
    app.CreateView(area, ViewRect{0, 0, 300, 200},
                   Serve("<script>notify('updateOnlineCount', 3)</script>"), &cb);
    const bool loaded = zv::RunLoopUntil([&] { return cb.HasCount(3); }, 20s, zv::LoopWait::kBlock);
    unsetenv("HTTP_PROXY");
    EXPECT_TRUE(loaded);
}

bool Subset(const std::set<pid_t>& a, const std::set<pid_t>& b) {
    return std::includes(b.begin(), b.end(), a.begin(), a.end());
}

// A room without pages costs no browser process: the web context, and with
// it the network process, is made for the first view.
TEST_F(RuntimeTest, NoBrowserProcessStartsBeforeTheFirstView) {
    const std::set<pid_t> before = ChildProcesses();  // the stand-in
    HostWindow host;
    GtkWidget* area = host.AddArea(0, 0, 300, 200);
    BrowserApp app(TestOptions(folder_.Path()));
    ASSERT_TRUE(app.Initialize());
    EXPECT_EQ(app.CacheFolder(), folder_.Path() + "/zv.cache") << "the folders are ready";
    // A process the runtime started would be a child by now: WebKit starts
    // its helpers from the call that needs them.
    while (g_main_context_pending(nullptr)) {
        g_main_context_iteration(nullptr, FALSE);
    }
    // (A process of an earlier test may still be ending: only new ones count.)
    const std::set<pid_t> now = ChildProcesses();
    EXPECT_TRUE(std::includes(before.begin(), before.end(), now.begin(), now.end()))
        << "a browser process without any page: " << now.size() << " children, " << before.size()
        << " before";

    RecordingCallback cb;
    app.CreateView(area, ViewRect{0, 0, 300, 200},
                   Serve("<script>notify('updateOnlineCount', 5)</script>"), &cb);
    ASSERT_TRUE(zv::RunLoopUntil([&] { return cb.HasCount(5); }, 20s, zv::LoopWait::kBlock));
    const std::set<pid_t> running = ChildProcesses();
    EXPECT_FALSE(std::includes(before.begin(), before.end(), running.begin(), running.end()))
        << "the page runs in a process of its own";
    EXPECT_FALSE(webkit_web_context_is_ephemeral(app.Context()));
}

TEST_F(RuntimeTest, ShutdownWithTwoLiveViewsLeavesNoBrowserProcess) {
    const std::set<pid_t> before = ChildProcesses();  // the stand-in
    HostWindow host;
    GtkWidget* chatArea = host.AddArea(0, 0, 400, 300);
    GtkWidget* giftArea = host.AddArea(420, 0, 300, 300);
    BrowserApp app(TestOptions(folder_.Path()));
    ASSERT_TRUE(app.Initialize());
    RecordingCallback chat;
    app.CreateView(chatArea, ViewRect{0, 0, 400, 300}, platform_.RouteHost() + "/chat?roomid=77",
                   &chat);
    app.CreateView(giftArea, ViewRect{0, 0, 300, 300}, platform_.RouteHost() + "/gift?roomid=77",
                   nullptr);
    ASSERT_TRUE(zv::RunLoopUntil(
        [&] {
            WebKitWebView* gift = ViewIn(giftArea);
            return !chat.counts.empty() && gift && !webkit_web_view_is_loading(gift);
        },
        20s, zv::LoopWait::kBlock));
    const std::set<pid_t> running = ChildProcesses();
    ASSERT_GT(running.size(), before.size()) << "no browser process seen at all";

    app.Shutdown();
    EXPECT_EQ(app.LiveWindows(), 0u);
    EXPECT_EQ(ViewIn(chatArea), nullptr);
    EXPECT_EQ(ViewIn(giftArea), nullptr);
    EXPECT_TRUE(zv::RunLoopUntil([&] { return Subset(ChildProcesses(), before); }, 15s,
                                 zv::LoopWait::kBlock))
        << "browser processes still running: " << ChildProcesses().size() - before.size();

    // After shut-down nothing starts again.
    RecordingCallback late;
    app.CreateView(chatArea, ViewRect{0, 0, 400, 300}, platform_.RouteHost() + "/gift", &late);
    zv::RunLoopFor(300ms, zv::LoopWait::kBlock);
    EXPECT_EQ(ViewIn(chatArea), nullptr);
    EXPECT_TRUE(late.created.empty());
    EXPECT_TRUE(Subset(ChildProcesses(), before));
}

// An HTTPS server on a loopback port with a self-signed certificate.
class BadCertificateServer {
public:
    explicit BadCertificateServer(const std::string& folder) {
        const std::string key = folder + "/key.pem";
        const std::string cert = folder + "/cert.pem";
        const zvtest::CommandResult made = zvtest::RunCommand(
            {"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out",
             cert, "-days", "1", "-subj", "/CN=127.0.0.1"});
        if (made.exitCode != 0) {
            throw std::runtime_error("openssl: " + made.output);
        }
        const std::string portFile = folder + "/port";
        const char* script = R"(
import http.server, ssl, sys
class H(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        body = b"<script>notify('updateOnlineCount', 66)</script>"
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
c = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
c.load_cert_chain(sys.argv[1], sys.argv[2])
# Each connection's handshake runs on that connection's thread: a client that
# stalls or drops one handshake never holds up the next connection.
class S(http.server.ThreadingHTTPServer):
    daemon_threads = True
    def get_request(self):
        sock, addr = self.socket.accept()
        return c.wrap_socket(sock, server_side=True, do_handshake_on_connect=False), addr
s = S(("127.0.0.1", 0), H)
open(sys.argv[3] + ".tmp", "w").write(str(s.server_port))
import os; os.rename(sys.argv[3] + ".tmp", sys.argv[3])
s.serve_forever()
)";
        process_.Spawn({"python3", "-c", script, cert, key, portFile}, folder + "/https.log");
        zv::RunLoopUntil([&] { return std::ifstream(portFile).good(); }, 10s, zv::LoopWait::kBlock);
        std::ifstream(portFile) >> port_;
        if (port_ <= 0) {
            throw std::runtime_error("https server: " + zvtest::FileTail(folder + "/https.log"));
        }
    }
    std::string Url() const { return "https://127.0.0.1:" + std::to_string(port_) + "/"; }

private:
    zvtest::ChildProcess process_;
    int port_ = 0;
};

TEST_F(RuntimeTest, PageWithAnInvalidCertificateDoesNotLoad) {
    BadCertificateServer server(folder_.Path());
    HostWindow host;
    GtkWidget* area = host.AddArea(0, 0, 300, 200);
    BrowserApp app(TestOptions(folder_.Path()));
    ASSERT_TRUE(app.Initialize());
    RecordingCallback cb;
    app.CreateView(area, ViewRect{0, 0, 300, 200}, server.Url(), &cb);
    WebKitWebView* view = ViewIn(area);
    ASSERT_NE(view, nullptr);
    struct Outcome {
        bool tlsFailed = false;
        std::string otherFailure;  // a load that failed for another reason
    } outcome;
    g_signal_connect(view, "load-failed-with-tls-errors",
                     G_CALLBACK(+[](WebKitWebView*, gchar*, GTlsCertificate*, GTlsCertificateFlags,
                                    gpointer data) -> gboolean {
                         static_cast<Outcome*>(data)->tlsFailed = true;
                         return FALSE;
                     }),
                     &outcome);
    g_signal_connect(view, "load-failed",
                     G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent, gchar*, GError* error,
                                    gpointer data) -> gboolean {
                         auto* seen = static_cast<Outcome*>(data);
                         if (!seen->tlsFailed && error) {
                             seen->otherFailure = error->message;
                         }
                         return FALSE;
                     }),
                     &outcome);
    EXPECT_TRUE(zv::RunLoopUntil([&] { return outcome.tlsFailed || !outcome.otherFailure.empty(); },
                                 30s, zv::LoopWait::kBlock))
        << "neither a certificate error nor another failure; progress "
        << webkit_web_view_get_estimated_load_progress(view);
    EXPECT_TRUE(outcome.tlsFailed) << "the load failed otherwise: " << outcome.otherFailure;
    zv::RunLoopFor(500ms, zv::LoopWait::kBlock);
    EXPECT_TRUE(cb.counts.empty()) << "the page ran despite its certificate";
}

}  // namespace
}  // namespace zvtest_browser
