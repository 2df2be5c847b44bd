#pragma once
// The platform's services for tests, over real loopback RTMP and HTTP.
//
//   zvtest::Ingest ingest;                       // nginx RTMP, own port and folder
//   std::string url = ingest.PushUrl("live", "k1");  // rtmp://127.0.0.1:PORT/live/k1
//   ... push ...; ingest.Recordings()            // FLV files, ffprobe them (Ffprobe)
//   ingest.Stop(); ingest.Start();               // same port again: reconnect tests
//
//   zvtest::StandIn platform({.rtmpPort = ingest.Port()});
//   platform.ExportEnvironment();                // ZELVIO_API_HOST / _ROUTE_HOST / _ACCOUNT_HOST
//   Json::Value next; next["path"] = "/room/geturl"; next["status"] = 500;
//   platform.Control("script", next);            // the next geturl answers HTTP 500
//   platform.Requests();                         // every request the platform received
//
// StandIn runs tools/standin/standin.py; its control commands (POST JSON to
// <api>/_control/<command>) are described at the top of that file: reset,
// account, script, version, online, kickout, page, requests, state.
// Both classes start in their constructor, wait until ready and throw
// std::runtime_error (with the server's log) when they cannot; the destructor
// stops the server by PID and reaps it. Folders are removed on destruction
// unless ZV_KEEP_TEST_FILES is set. Create them on the test's main thread: the
// servers are told to end when the thread that started them ends.
#include <json/json.h>

#include <string>
#include <vector>

#include "support/process.h"

namespace zvtest {

class Ingest {
public:
    Ingest();  // ephemeral free port, temp folder, started and accepting
    ~Ingest();
    Ingest(const Ingest&) = delete;
    Ingest& operator=(const Ingest&) = delete;

    int Port() const { return port_; }
    // rtmp://127.0.0.1:PORT/<app>/<key>
    std::string PushUrl(const std::string& app, const std::string& key) const;
    std::string Folder() const { return folder_; }
    // Recorded files of both applications (full paths, sorted).
    std::vector<std::string> Recordings() const;
    // Recordings of one application ("live" or "record").
    std::vector<std::string> Recordings(const std::string& app) const;
    // The application's most recently written recording; empty when none.
    std::string NewestRecording(const std::string& app) const;
    // The nginx error log (connections, publishes, failures).
    std::string Log() const;

    pid_t Pid() const { return process_.Pid(); }  // nginx itself (SIGSTOP stalls it)
    void Stop();                                  // terminate and reap; the port closes
    void Start();  // start again on the same port; throws if it is taken
    bool Running();

private:
    void StartOnce();
    std::string folder_;
    int port_ = 0;
    ChildProcess process_;
};

struct StandInOptions {
    int rtmpPort = 0;      // port used in geturl push addresses; 0 = the stand-in's default (19350)
    std::string password;  // room-control password; empty = ZV_ROOM_PASSWORD of the build
    std::vector<std::string> extraArgs;  // further standin.py options
};

class StandIn {
public:
    explicit StandIn(StandInOptions o = {});
    ~StandIn();
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    // Base addresses "http://127.0.0.1:PORT" (no trailing slash).
    std::string ApiHost() const;
    std::string RouteHost() const;
    std::string AccountHost() const;
    int ApiPort() const { return apiPort_; }
    int RoutePort() const { return routePort_; }
    int AccountPort() const { return accountPort_; }

    // setenv ZELVIO_API_HOST, ZELVIO_ROUTE_HOST, ZELVIO_ACCOUNT_HOST (overwrite).
    void ExportEnvironment() const;

    // POST <api>/_control/<command> with `body` as JSON (null sends {}).
    // Returns the parsed reply; throws std::runtime_error on a transport
    // failure, a non-200 status (the stand-in's reason is in the message) or a
    // reply that is not JSON.
    Json::Value Control(const std::string& command, const Json::Value& body = Json::Value());

    // The request log: an array of {seq, role, method, path, query, headers,
    // auth, body, status, error, ...}; `filter` may hold "path", "role",
    // "since", "errors".
    Json::Value Requests(const Json::Value& filter = Json::Value());
    // Only the requests the stand-in rejected as departing from the protocol.
    Json::Value Errors();

    std::string Folder() const { return folder_; }
    std::string Log() const;
    pid_t Pid() const { return process_.Pid(); }

private:
    std::string folder_;
    int apiPort_ = 0, routePort_ = 0, accountPort_ = 0;
    ChildProcess process_;
};

// Minimal HTTP client for tests (libcurl): one request, whole reply.
struct HttpReply {
    bool ok = false;  // the transfer completed (any status)
    long status = 0;
    std::string body;
    std::string contentType;
    std::string error;  // libcurl's message when !ok
};
HttpReply HttpRequest(const std::string& method, const std::string& url,
                      const std::string& body = {}, const std::vector<std::string>& headers = {},
                      const std::string& userPwd = {}, double timeoutSeconds = 30);

}  // namespace zvtest
