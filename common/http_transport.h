#pragma once
// The one HTTP client of the client and the updater: blocking requests over a
// libcurl easy handle, for the background worker (one transfer at a time per
// object; objects on different threads are independent).
//
// A request fails (ok false) when the transfer does not complete. The HTTP
// status is not looked at unless the request asks for it, so by default an
// error page counts as success with its body kept. Limits, all on by default:
// a connection that cannot be made within 10 s, or a transfer that moves
// under 1 byte/s for 30 s, fails, so the single worker is never held
// forever; a reply collected into a string may not pass 32 MiB (a reply
// streamed to a sink has no size cap). TLS certificate and host-name checks
// are on. No signals are used for the time-outs (safe on worker threads).
// URLs are sent as given, except that bytes which cannot stand in an HTTP
// request line (controls, space, DEL, non-ASCII) are percent-encoded.
#include <cstddef>
#include <cstdint>
#include <string>

typedef void CURL;

namespace zv {

struct HttpRequest {
    std::string url;
    // POST `body` (form-encoded, taken up to its first zero byte) instead of GET.
    bool post = false;
    std::string body;
    // "user:password" for HTTP basic authentication; none when empty.
    std::string credentials;
    // A status of 400 or more fails the transfer before any body is taken.
    bool failOnErrorStatus = false;
};

struct HttpResult {
    bool ok = false;         // the transfer completed
    long status = 0;         // HTTP status; 0 when no reply arrived
    int64_t announced = -1;  // the announced body size; -1 when not announced
    int64_t received = 0;    // body bytes received
    std::string error;       // why it failed (for traces); empty when ok
};

// Takes a streamed reply body on the calling thread, as it arrives.
class HttpSink {
public:
    virtual ~HttpSink() = default;
    // One block of the body, in order. false aborts the transfer (it fails).
    virtual bool Write(const char* data, size_t size) = 0;
    // Announced size (0 while unknown) and bytes received so far. Called often,
    // also while nothing moves (about once a second), so a cancel request is
    // seen promptly. false aborts the transfer (it fails).
    virtual bool Progress(int64_t /*total*/, int64_t /*received*/) { return true; }
};

struct HttpLimits {
    long connectSeconds = 10;
    long stallSeconds = 30;                // under 1 byte/s for this long: failure
    long totalSeconds = 0;                 // the whole transfer; 0: no limit
    size_t replyBytes = size_t{32} << 20;  // replies collected into a string
};

class HttpTransport {
public:
    HttpTransport();
    ~HttpTransport();
    HttpTransport(const HttpTransport&) = delete;
    HttpTransport& operator=(const HttpTransport&) = delete;

    // Applies to the requests that follow.
    void SetLimits(const HttpLimits& limits) { limits_ = limits; }
    const HttpLimits& Limits() const { return limits_; }

    // Appends the reply body to `reply`; a body that would take `reply` past
    // the reply limit aborts the transfer, leaving what fitted. On failure the
    // part received before it stays in `reply`.
    HttpResult Fetch(const HttpRequest& request, std::string& reply);
    // Hands the reply body to `sink` as it arrives, with progress.
    HttpResult Stream(const HttpRequest& request, HttpSink& sink);

    // Percent-encodes every byte except unreserved ASCII (A-Z a-z 0-9 - . _ ~);
    // space becomes %20. Empty for empty input or when there is no handle.
    std::string Escape(const std::string& text);

private:
    HttpResult Perform(const HttpRequest& request, HttpSink& sink, bool progress);

    CURL* handle_ = nullptr;
    HttpLimits limits_;
};

}  // namespace zv
