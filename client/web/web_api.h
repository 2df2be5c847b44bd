#pragma once
// The client's side of the HTTP transport (zv::HttpTransport, whose limits
// and URL handling apply): one blocking request at a time, the reply body
// appended to `response`. Platform tasks derive from it (first base) and from
// AsyncTask.
//
// A request returns true exactly when the transfer completed; the HTTP status
// is not looked at, so an error page counts as success with its body kept.
// A connection that cannot be made within 10 s, or a transfer that moves
// under 1 byte/s for 30 s, fails (false) so the single worker is never held
// forever. A reply body larger than 32 MiB aborts the transfer (false), so a
// broken server cannot exhaust memory. TLS certificate and host-name checks
// are on. URLs are sent as given, except that bytes which cannot stand in an
// HTTP request line (controls, space, DEL, non-ASCII) are percent-encoded.
#include <string>

#include "http_transport.h"

class WebApi {
public:
    WebApi() = default;
    virtual ~WebApi() = default;
    WebApi(const WebApi&) = delete;
    WebApi& operator=(const WebApi&) = delete;

    // POST `body` (form-encoded) to `url`.
    bool Post(const std::string& url, const std::string& body);
    bool Get(const std::string& url);
    // GET with HTTP basic authentication.
    bool GetWithBasicAuth(const std::string& url, const std::string& user,
                          const std::string& password);

    // Percent-encodes every byte except unreserved ASCII (A-Z a-z 0-9 - . _ ~);
    // space becomes %20. Empty for empty input or when there is no handle.
    std::string Escape(const std::string& text) { return transport_.Escape(text); }

    // Limits, adjustable by tests (seconds).
    void SetTimeLimits(long connectSeconds, long stallSeconds);
    void SetResponseLimit(size_t bytes);

    std::string response;

private:
    bool Perform(const zv::HttpRequest& request);

    zv::HttpTransport transport_;
};
