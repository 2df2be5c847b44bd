#include "web_api.h"

#include <algorithm>
#include <climits>

#include "platform/trace.h"

namespace {

// libcurl refuses a URL with a space, and a raw control or non-ASCII byte
// would make the request line invalid; "&", "=", "%" and the rest stay as
// the caller wrote them.
std::string RequestSafeUrl(const std::string& url) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string safe;
    safe.reserve(url.size());
    for (unsigned char c : url) {
        if (c <= 0x20 || c >= 0x7F) {
            safe += '%';
            safe += kHex[c >> 4];
            safe += kHex[c & 0xF];
        } else {
            safe += static_cast<char>(c);
        }
    }
    return safe;
}

}  // namespace

WebApi::WebApi() : handle(curl_easy_init()) {}

WebApi::~WebApi() {
    if (handle != nullptr) {
        curl_easy_cleanup(handle);
    }
}

void WebApi::SetTimeLimits(long connectSeconds, long stallSeconds) {
    connectTimeout_ = connectSeconds;
    stallTime_ = stallSeconds;
}

bool WebApi::Post(const std::string& url, const std::string& body) {
    ZV_TRACE("WebApi::Post: url=%s", url.c_str());
    if (handle == nullptr) {
        return false;
    }
    curl_easy_setopt(handle, CURLOPT_URL, RequestSafeUrl(url).c_str());
    // The body is taken as a zero-terminated string; libcurl measures it.
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(handle, CURLOPT_POST, 1L);
    return Perform();
}

bool WebApi::Get(const std::string& url) {
    ZV_TRACE("WebApi::Get: url=%s", url.c_str());
    if (handle == nullptr) {
        return false;
    }
    curl_easy_setopt(handle, CURLOPT_URL, RequestSafeUrl(url).c_str());
    return Perform();
}

bool WebApi::GetWithBasicAuth(const std::string& url, const std::string& user,
                              const std::string& password) {
    ZV_TRACE("WebApi::GetWithBasicAuth: url=%s", url.c_str());
    if (handle == nullptr) {
        return false;
    }
    curl_easy_setopt(handle, CURLOPT_URL, RequestSafeUrl(url).c_str());
    const std::string credentials = user + ":" + password;
    curl_easy_setopt(handle, CURLOPT_USERPWD, credentials.c_str());  // copied by libcurl
    return Perform();
}

std::string WebApi::Escape(const std::string& text) {
    // A length of 0 would make libcurl measure the text itself.
    if (handle == nullptr || text.empty() || text.size() > INT_MAX) {
        return std::string();
    }
    char* escaped = curl_easy_escape(handle, text.data(), static_cast<int>(text.size()));
    if (escaped == nullptr) {
        return std::string();
    }
    std::string result(escaped);
    curl_free(escaped);
    return result;
}

bool WebApi::Perform() {
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &WebApi::Append);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, this);
    // Certificate and host-name checks stay at libcurl's secure defaults.
    // A dead or stalled server must not hold the single worker forever.
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, connectTimeout_);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, stallTime_);
    // Time-outs on a worker thread must not use signals.
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    CURLcode rc = curl_easy_perform(handle);
    if (rc != CURLE_OK) {
        ZV_TRACE("WebApi: transfer failed: %s", curl_easy_strerror(rc));
    }
    return rc == CURLE_OK;
}

size_t WebApi::Append(char* data, size_t size, size_t count, void* self) {
    const size_t bytes = size * count;
    auto* api = static_cast<WebApi*>(self);
    if (bytes > api->responseLimit_ - std::min(api->response.size(), api->responseLimit_)) {
        ZV_TRACE("WebApi: reply larger than %zu bytes, aborted", api->responseLimit_);
        return 0;  // makes libcurl fail the transfer
    }
    api->response.append(data, bytes);
    return bytes;
}
