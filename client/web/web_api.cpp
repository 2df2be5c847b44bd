#include "web_api.h"

#include "platform/trace.h"

void WebApi::SetTimeLimits(long connectSeconds, long stallSeconds) {
    zv::HttpLimits limits = transport_.Limits();
    limits.connectSeconds = connectSeconds;
    limits.stallSeconds = stallSeconds;
    transport_.SetLimits(limits);
}

void WebApi::SetResponseLimit(size_t bytes) {
    zv::HttpLimits limits = transport_.Limits();
    limits.replyBytes = bytes;
    transport_.SetLimits(limits);
}

bool WebApi::Post(const std::string& url, const std::string& body) {
    ZV_TRACE("WebApi::Post: url=%s", url.c_str());
    return Perform({.url = url, .post = true, .body = body});
}

bool WebApi::Get(const std::string& url) {
    ZV_TRACE("WebApi::Get: url=%s", url.c_str());
    return Perform({.url = url});
}

bool WebApi::GetWithBasicAuth(const std::string& url, const std::string& user,
                              const std::string& password) {
    ZV_TRACE("WebApi::GetWithBasicAuth: url=%s", url.c_str());
    return Perform({.url = url, .credentials = user + ":" + password});
}

bool WebApi::Perform(const zv::HttpRequest& request) {
    const zv::HttpResult result = transport_.Fetch(request, response);
    if (!result.ok) {
        ZV_TRACE("WebApi: transfer failed: %s", result.error.c_str());
    }
    return result.ok;
}
