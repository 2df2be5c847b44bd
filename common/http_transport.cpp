#include "http_transport.h"

#include <curl/curl.h>

#include <algorithm>
#include <climits>

namespace zv {

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

// Collects a reply into a string, up to a limit counted on the whole string.
class StringSink : public HttpSink {
public:
    StringSink(std::string& target, size_t limit) : target_(target), limit_(limit) {}
    bool Write(const char* data, size_t size) override {
        if (size > limit_ - std::min(target_.size(), limit_)) {
            overflowed_ = true;
            return false;
        }
        target_.append(data, size);
        return true;
    }
    bool Overflowed() const { return overflowed_; }

private:
    std::string& target_;
    size_t limit_;
    bool overflowed_ = false;
};

size_t WriteToSink(char* data, size_t size, size_t count, void* sink) {
    const size_t bytes = size * count;
    return static_cast<HttpSink*>(sink)->Write(data, bytes) ? bytes : 0;
}

int ProgressToSink(void* sink, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t) {
    return static_cast<HttpSink*>(sink)->Progress(total, received) ? 0 : 1;
}

}  // namespace

HttpTransport::HttpTransport() : handle_(curl_easy_init()) {}

HttpTransport::~HttpTransport() {
    if (handle_ != nullptr) {
        curl_easy_cleanup(handle_);
    }
}

HttpResult HttpTransport::Fetch(const HttpRequest& request, std::string& reply) {
    StringSink sink(reply, limits_.replyBytes);
    HttpResult result = Perform(request, sink, false);
    if (sink.Overflowed()) {
        result.error = "reply larger than " + std::to_string(limits_.replyBytes) + " bytes";
    }
    return result;
}

HttpResult HttpTransport::Stream(const HttpRequest& request, HttpSink& sink) {
    return Perform(request, sink, true);
}

HttpResult HttpTransport::Perform(const HttpRequest& request, HttpSink& sink, bool progress) {
    HttpResult result;
    if (handle_ == nullptr) {
        result.error = "no libcurl handle";
        return result;
    }
    // Options of an earlier request never carry over (a POST body, a
    // password); the connection cache stays.
    curl_easy_reset(handle_);
    const std::string url = RequestSafeUrl(request.url);
    curl_easy_setopt(handle_, CURLOPT_URL, url.c_str());
    if (request.post) {
        curl_easy_setopt(handle_, CURLOPT_POSTFIELDS, request.body.c_str());
        curl_easy_setopt(handle_, CURLOPT_POST, 1L);
    }
    if (!request.credentials.empty()) {
        curl_easy_setopt(handle_, CURLOPT_USERPWD, request.credentials.c_str());
    }
    if (request.failOnErrorStatus) {
        curl_easy_setopt(handle_, CURLOPT_FAILONERROR, 1L);
    }
    curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, &WriteToSink);
    curl_easy_setopt(handle_, CURLOPT_WRITEDATA, &sink);
    if (progress) {
        curl_easy_setopt(handle_, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(handle_, CURLOPT_XFERINFOFUNCTION, &ProgressToSink);
        curl_easy_setopt(handle_, CURLOPT_XFERINFODATA, &sink);
    }
    // Certificate and host-name checks stay at libcurl's secure defaults.
    // A dead or stalled server must not hold the single worker forever.
    curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT, limits_.connectSeconds);
    curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_TIME, limits_.stallSeconds);
    if (limits_.totalSeconds > 0) {
        curl_easy_setopt(handle_, CURLOPT_TIMEOUT, limits_.totalSeconds);
    }
    // Time-outs on a worker thread must not use signals.
    curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
    const CURLcode rc = curl_easy_perform(handle_);
    curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &result.status);
    curl_off_t announced = -1, received = 0;
    curl_easy_getinfo(handle_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    curl_easy_getinfo(handle_, CURLINFO_SIZE_DOWNLOAD_T, &received);
    result.announced = announced;
    result.received = received;
    result.ok = rc == CURLE_OK;
    if (!result.ok) {
        result.error = curl_easy_strerror(rc);
    }
    return result;
}

std::string HttpTransport::Escape(const std::string& text) {
    // A length of 0 would make libcurl measure the text itself.
    if (handle_ == nullptr || text.empty() || text.size() > INT_MAX) {
        return std::string();
    }
    char* escaped = curl_easy_escape(handle_, text.data(), static_cast<int>(text.size()));
    if (escaped == nullptr) {
        return std::string();
    }
    std::string result(escaped);
    curl_free(escaped);
    return result;
}

}  // namespace zv
