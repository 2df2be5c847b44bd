#include "portal_session.h"

#include <gio/gio.h>
#include <gio/gunixfdlist.h>
#include <unistd.h>

#include <atomic>

#include "platform/trace.h"
#include "portal_reply.h"

namespace zv::screencast {
namespace {

constexpr const char* kPortalName = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kScreenCast = "org.freedesktop.portal.ScreenCast";
// A portal that is not there is told by the bus at once; one that does not
// answer its method calls (not its dialogs) in this time counts as missing.
constexpr int kCallTimeoutMs = 10000;
// How long a request's answer may take: creating a session needs nobody; the
// other two may wait on the user's answer to the portal's dialog. A portal
// whose backend lost PipeWire never answers at all.
constexpr guint kSessionAnswerSeconds = 20;
constexpr guint kDialogAnswerSeconds = 120;

std::atomic<unsigned> gTokenCounter{0};

std::string NewToken() {
    return "zelvio" + std::to_string(getpid()) + "_" + std::to_string(++gTokenCounter);
}

}  // namespace

struct PortalSession::Impl : std::enable_shared_from_this<PortalSession::Impl> {
    CaptureKind kind;
    GDBusConnection* connection = nullptr;
    GCancellable* cancellable = nullptr;
    std::string sessionHandle;
    std::string restoreToken;
    bool usedToken = false;
    guint responseSubscription = 0;
    GSource* answerTimeout = nullptr;
    uint32_t cursorMode = 0;
    uint32_t version = 0;
    std::function<void(PortalAnswer)> done;
    std::atomic<int> requests{0};

    explicit Impl(CaptureKind k) : kind(k) {}
    ~Impl() {
        Close();
        if (connection) {
            // Leaving the bus is what makes the portal end sessions it still
            // holds for us.
            g_dbus_connection_close_sync(connection, nullptr, nullptr);
            g_object_unref(connection);
        }
    }

    // A weak handle for GLib callbacks, which may run after this is gone.
    using Weak = std::weak_ptr<Impl>;
    Weak* NewWeak() { return new Weak(weak_from_this()); }
    static std::shared_ptr<Impl> Take(gpointer data) {
        std::unique_ptr<Weak> weak(static_cast<Weak*>(data));
        return weak->lock();
    }

    void Finish(PortalAnswer answer) {
        Unsubscribe();
        if (std::holds_alternative<CaptureProblem>(answer))
            CloseSession();
        auto callback = std::move(done);
        done = nullptr;
        if (callback)
            callback(std::move(answer));
        else if (auto* grant = std::get_if<PortalGrant>(&answer); grant && grant->pipewireFd >= 0)
            ::close(grant->pipewireFd);
    }
    void Fail(CaptureProblem problem, const char* why) {
        ZV_TRACE("screencast: %s (problem %d)", why, static_cast<int>(problem));
        Finish(problem);
    }

    void Unsubscribe() {
        if (responseSubscription && connection)
            g_dbus_connection_signal_unsubscribe(connection, responseSubscription);
        responseSubscription = 0;
        if (answerTimeout) {
            g_source_destroy(answerTimeout);
            g_source_unref(answerTimeout);
            answerTimeout = nullptr;
        }
    }

    void CloseSession() {
        if (!sessionHandle.empty() && connection) {
            g_dbus_connection_call(connection, kPortalName, sessionHandle.c_str(),
                                   "org.freedesktop.portal.Session", "Close", nullptr, nullptr,
                                   G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, nullptr,
                                   nullptr);
        }
        sessionHandle.clear();
    }

    void Close() {
        if (cancellable) {
            g_cancellable_cancel(cancellable);
            g_object_unref(cancellable);
            cancellable = nullptr;
        }
        Unsubscribe();
        CloseSession();
        done = nullptr;
    }

    void Start(const std::string& token, std::function<void(PortalAnswer)> callback) {
        Close();
        done = std::move(callback);
        restoreToken = token;
        cancellable = g_cancellable_new();
        if (connection) {
            QueryFeatures();
            return;
        }
        GError* error = nullptr;
        gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &error);
        if (!address) {
            ZV_TRACE("screencast: no session bus: %s", error ? error->message : "");
            g_clear_error(&error);
            // Reported from the loop, never from inside the caller's call.
            g_idle_add_full(
                G_PRIORITY_DEFAULT,
                [](gpointer data) -> gboolean {
                    if (auto self = Take(data))
                        self->Fail(CaptureProblem::kPortalMissing, "no session bus");
                    return G_SOURCE_REMOVE;
                },
                NewWeak(), nullptr);
            return;
        }
        g_dbus_connection_new_for_address(
            address,
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, cancellable, &Impl::OnConnected, NewWeak());
        g_free(address);
    }

    static void OnConnected(GObject*, GAsyncResult* result, gpointer data) {
        GError* error = nullptr;
        GDBusConnection* conn = g_dbus_connection_new_for_address_finish(result, &error);
        auto self = Take(data);
        if (!self) {
            if (conn)
                g_object_unref(conn);
            g_clear_error(&error);
            return;
        }
        if (!conn) {
            const bool cancelled = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
            g_clear_error(&error);
            if (!cancelled)
                self->Fail(CaptureProblem::kPortalMissing, "session bus not reached");
            return;
        }
        self->connection = conn;
        self->QueryFeatures();
    }

    void Call(const char* method, GVariant* parameters, const GVariantType* replyType,
              GAsyncReadyCallback callback) {
        g_dbus_connection_call(connection, kPortalName, kPortalPath, kScreenCast, method,
                               parameters, replyType, G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs,
                               cancellable, callback, NewWeak());
    }

    // Finishes a method call; null when it failed (the failure is handled).
    static GVariant* Finished(const std::shared_ptr<Impl>& self, GObject* source,
                              GAsyncResult* result, const char* what) {
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
        if (reply)
            return reply;
        const bool cancelled = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
        // The portal refuses a saved permission it no longer knows (or cannot
        // read) by failing the call itself rather than answering it.
        const bool portalRefused =
            g_dbus_error_is_remote_error(error) &&
            !g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) &&
            !g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER);
        ZV_TRACE("screencast: %s failed: %s", what, error ? error->message : "");
        g_clear_error(&error);
        if (self && !cancelled) {
            self->Fail(portalRefused && self->usedToken ? CaptureProblem::kTokenRevoked
                                                        : CaptureProblem::kPortalMissing,
                       what);
        }
        return nullptr;
    }

    void QueryFeatures() {
        g_dbus_connection_call(
            connection, kPortalName, kPortalPath, "org.freedesktop.DBus.Properties", "GetAll",
            g_variant_new("(s)", kScreenCast), G_VARIANT_TYPE("(a{sv})"), G_DBUS_CALL_FLAGS_NONE,
            kCallTimeoutMs, cancellable, &Impl::OnFeatures, NewWeak());
    }

    static void OnFeatures(GObject* source, GAsyncResult* result, gpointer data) {
        auto self = Take(data);
        GVariant* reply = Finished(self, source, result, "the screen-cast portal");
        if (!reply || !self) {
            if (reply)
                g_variant_unref(reply);
            return;
        }
        GVariant* props = g_variant_get_child_value(reply, 0);
        uint32_t types = 0, cursors = 0, version = 0;
        g_variant_lookup(props, "AvailableSourceTypes", "u", &types);
        g_variant_lookup(props, "AvailableCursorModes", "u", &cursors);
        g_variant_lookup(props, "version", "u", &version);
        g_variant_unref(props);
        g_variant_unref(reply);
        ZV_TRACE("screencast: portal version %u, source types %u, cursor modes %u", version, types,
                 cursors);
        self->version = version;
        self->cursorMode = CursorModeFor(cursors);
        if (const auto problem = UnavailableKind(self->kind, types)) {
            self->Fail(*problem, "the portal cannot share this kind");
            return;
        }
        ++self->requests;
        self->CreateSession();
    }

    // Subscribes to the Response of the request with `token`, before the call
    // that makes it, so that a quick answer is not missed.
    void ExpectResponse(const std::string& token, GDBusSignalCallback callback, guint seconds) {
        Unsubscribe();
        answerTimeout = g_timeout_source_new_seconds(seconds);
        g_source_set_callback(
            answerTimeout,
            [](gpointer data) -> gboolean {
                if (auto self = static_cast<Weak*>(data)->lock())
                    self->Fail(CaptureProblem::kNoAnswer, "no answer from the portal");
                return G_SOURCE_REMOVE;
            },
            NewWeak(), [](gpointer data) { delete static_cast<Weak*>(data); });
        g_source_attach(answerTimeout, g_main_context_get_thread_default());
        const char* unique = g_dbus_connection_get_unique_name(connection);
        const std::string path = RequestPath(unique ? unique : "", token);
        responseSubscription = g_dbus_connection_signal_subscribe(
            connection, kPortalName, "org.freedesktop.portal.Request", "Response", path.c_str(),
            nullptr, G_DBUS_SIGNAL_FLAGS_NONE, callback, NewWeak(),
            [](gpointer data) { delete static_cast<Weak*>(data); });
    }

    // The Response's code and results; false (handled) when it is not a
    // success.
    static bool Succeeded(const std::shared_ptr<Impl>& self, GVariant* parameters,
                          GVariant** results, const char* what) {
        uint32_t code = 2;
        g_variant_get(parameters, "(u@a{sv})", &code, results);
        if (code == kResponseSuccess)
            return true;
        g_variant_unref(*results);
        *results = nullptr;
        ZV_TRACE("screencast: %s answered %u", what, code);
        const bool usedToken = self->usedToken && std::string_view(what) != "CreateSession";
        self->Fail(ProblemFromResponse(code, usedToken), what);
        return false;
    }

    static std::shared_ptr<Impl> FromSignal(gpointer data) {
        return static_cast<Weak*>(data)->lock();
    }

    void CreateSession() {
        const std::string token = NewToken();
        ExpectResponse(token, &Impl::OnSessionCreated, kSessionAnswerSeconds);
        GVariantBuilder options;
        g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
        g_variant_builder_add(&options, "{sv}", "handle_token",
                              g_variant_new_string(token.c_str()));
        g_variant_builder_add(&options, "{sv}", "session_handle_token",
                              g_variant_new_string(NewToken().c_str()));
        Call("CreateSession", g_variant_new("(a{sv})", &options), G_VARIANT_TYPE("(o)"),
             &Impl::OnRequestMade);
    }

    // The reply to a method that answers later with a Response: only its
    // failure matters here.
    static void OnRequestMade(GObject* source, GAsyncResult* result, gpointer data) {
        auto self = Take(data);
        if (GVariant* reply = Finished(self, source, result, "a portal request"))
            g_variant_unref(reply);
    }

    static void OnSessionCreated(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                 const gchar*, GVariant* parameters, gpointer data) {
        auto self = FromSignal(data);
        GVariant* results = nullptr;
        if (!self || !Succeeded(self, parameters, &results, "CreateSession"))
            return;
        const gchar* handle = nullptr;
        if (g_variant_lookup(results, "session_handle", "&s", &handle) && handle)
            self->sessionHandle = handle;
        g_variant_unref(results);
        if (self->sessionHandle.empty()) {
            self->Fail(CaptureProblem::kRefused, "no session handle");
            return;
        }
        self->SelectSources();
    }

    void SelectSources() {
        const std::string token = NewToken();
        ExpectResponse(token, &Impl::OnSourcesSelected, kDialogAnswerSeconds);
        GVariantBuilder options;
        g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
        g_variant_builder_add(&options, "{sv}", "handle_token",
                              g_variant_new_string(token.c_str()));
        g_variant_builder_add(&options, "{sv}", "types", g_variant_new_uint32(SourceTypeFor(kind)));
        g_variant_builder_add(&options, "{sv}", "multiple", g_variant_new_boolean(FALSE));
        if (cursorMode)
            g_variant_builder_add(&options, "{sv}", "cursor_mode",
                                  g_variant_new_uint32(cursorMode));
        usedToken = false;
        if (version >= 4) {
            g_variant_builder_add(&options, "{sv}", "persist_mode",
                                  g_variant_new_uint32(kPersistUntilRevoked));
            if (!restoreToken.empty()) {
                g_variant_builder_add(&options, "{sv}", "restore_token",
                                      g_variant_new_string(restoreToken.c_str()));
                usedToken = true;
            }
        }
        ZV_TRACE("screencast: SelectSources kind %d, restore token %s", static_cast<int>(kind),
                 usedToken ? "given" : "none");
        Call("SelectSources", g_variant_new("(oa{sv})", sessionHandle.c_str(), &options),
             G_VARIANT_TYPE("(o)"), &Impl::OnRequestMade);
    }

    static void OnSourcesSelected(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                                  const gchar*, GVariant* parameters, gpointer data) {
        auto self = FromSignal(data);
        GVariant* results = nullptr;
        if (!self || !Succeeded(self, parameters, &results, "SelectSources"))
            return;
        g_variant_unref(results);
        self->StartShare();
    }

    void StartShare() {
        const std::string token = NewToken();
        ExpectResponse(token, &Impl::OnStarted, kDialogAnswerSeconds);
        GVariantBuilder options;
        g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
        g_variant_builder_add(&options, "{sv}", "handle_token",
                              g_variant_new_string(token.c_str()));
        Call("Start", g_variant_new("(osa{sv})", sessionHandle.c_str(), "", &options),
             G_VARIANT_TYPE("(o)"), &Impl::OnRequestMade);
    }

    PortalGrant grant;

    static void OnStarted(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                          GVariant* parameters, gpointer data) {
        auto self = FromSignal(data);
        GVariant* results = nullptr;
        if (!self || !Succeeded(self, parameters, &results, "Start"))
            return;
        self->grant = PortalGrant{};
        bool haveStream = false;
        if (GVariant* streams =
                g_variant_lookup_value(results, "streams", G_VARIANT_TYPE("a(ua{sv})"))) {
            if (g_variant_n_children(streams) > 0) {
                GVariant* props = nullptr;
                g_variant_get_child(streams, 0, "(u@a{sv})", &self->grant.nodeId, &props);
                g_variant_unref(props);
                haveStream = true;
            }
            g_variant_unref(streams);
        }
        const gchar* token = nullptr;
        if (g_variant_lookup(results, "restore_token", "&s", &token) && token)
            self->grant.restoreToken = token;
        g_variant_unref(results);
        if (!haveStream) {
            self->Fail(CaptureProblem::kRefused, "no stream granted");
            return;
        }
        ZV_TRACE("screencast: granted node %u, restore token %s", self->grant.nodeId,
                 self->grant.restoreToken.empty() ? "none" : "kept");
        self->Unsubscribe();
        GVariantBuilder options;
        g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
        g_dbus_connection_call_with_unix_fd_list(
            self->connection, kPortalName, kPortalPath, kScreenCast, "OpenPipeWireRemote",
            g_variant_new("(oa{sv})", self->sessionHandle.c_str(), &options), G_VARIANT_TYPE("(h)"),
            G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, self->cancellable,
            &Impl::OnRemoteOpened, self->NewWeak());
    }

    static void OnRemoteOpened(GObject* source, GAsyncResult* result, gpointer data) {
        auto self = Take(data);
        GUnixFDList* fds = nullptr;
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_with_unix_fd_list_finish(G_DBUS_CONNECTION(source),
                                                                          &fds, result, &error);
        if (!reply) {
            const bool cancelled = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
            ZV_TRACE("screencast: OpenPipeWireRemote failed: %s", error ? error->message : "");
            g_clear_error(&error);
            if (self && !cancelled)
                self->Fail(CaptureProblem::kRefused, "OpenPipeWireRemote");
            return;
        }
        gint32 handle = -1;
        g_variant_get(reply, "(h)", &handle);
        g_variant_unref(reply);
        const int fd = fds ? g_unix_fd_list_get(fds, handle, nullptr) : -1;
        if (fds)
            g_object_unref(fds);
        if (!self) {
            if (fd >= 0)
                ::close(fd);
            return;
        }
        if (fd < 0) {
            self->Fail(CaptureProblem::kRefused, "no PipeWire descriptor");
            return;
        }
        self->grant.pipewireFd = fd;
        self->Finish(std::move(self->grant));
    }
};

PortalSession::PortalSession(CaptureKind kind) : impl_(std::make_shared<Impl>(kind)) {}

PortalSession::~PortalSession() = default;

void PortalSession::Ask(const std::string& restoreToken, std::function<void(PortalAnswer)> done) {
    impl_->Start(restoreToken, std::move(done));
}

void PortalSession::Close() {
    impl_->Close();
}

int PortalSession::RequestsMade() const {
    return impl_->requests.load();
}

}  // namespace zv::screencast
