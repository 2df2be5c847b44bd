#include "update_tasks.h"

#include <curl/curl.h>
#include <glib.h>

#include <chrono>
#include <cstdio>
#include <memory>

#include "platform/paths.h"
#include "platform/trace.h"
#include "platform/ui_queue.h"
#include "room_credentials.h"
#include "update_rules.h"

namespace zv::updater {

namespace {

struct CurlCleanup {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
using Curl = std::unique_ptr<CURL, CurlCleanup>;

size_t AppendToString(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

int32_t Low32(curl_off_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

}  // namespace

CheckVersion::CheckVersion(UpdateSink* sink, std::string routeHost, std::string installedVersion,
                           std::string dataFolder)
    : sink_(sink),
      routeHost_(std::move(routeHost)),
      installedVersion_(std::move(installedVersion)),
      dataFolder_(std::move(dataFolder)) {}

void CheckVersion::Run() {
    const std::string url = CheckVersionUrl(routeHost_, installedVersion_);
    ZV_TRACE("CheckVersion: url=%s", url.c_str());
    std::string body;
    CURLcode rc = CURLE_FAILED_INIT;
    {
        Curl curl(curl_easy_init());
        if (curl) {
            const std::string userPwd = RoomControlUserPwd();
            curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
            curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &AppendToString);
            curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &body);
            curl_easy_setopt(curl.get(), CURLOPT_USERPWD, userPwd.c_str());
            curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, kTimeoutSeconds);
            curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
            rc = curl_easy_perform(curl.get());
        }
    }
    Offer offer;
    if (rc != CURLE_OK) {
        ZV_TRACE("CheckVersion: transfer failed: %s", curl_easy_strerror(rc));
    } else {
        const CheckReply reply = ReadCheckReply(body);
        if (reply.offered) {
            const std::string folder = DownloadFolder(dataFolder_);
            EnsureFolder(folder);
            offer.offered = true;
            offer.latestVersion = reply.version;
            offer.downloadUrl = reply.downloadUrl;
            offer.installerPath = JoinPath(folder, *InstallerFileName(reply.downloadUrl));
            offer.sha256 = reply.sha256;
        } else {
            ZV_TRACE("CheckVersion: nothing offered (code %d)", reply.code);
        }
    }
    UpdateSink* sink = sink_;
    PostToUi([sink, offer] { sink->OnCheckResult(offer); });
}

void DownloadControl::MarkFinished() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
    }
    cv_.notify_all();
}

bool DownloadControl::WaitFinished(int milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                        [this] { return finished_; });
}

Download::Download(UpdateSink* sink, Offer offer, std::shared_ptr<DownloadControl> control,
                   long stallSeconds)
    : sink_(sink),
      offer_(std::move(offer)),
      control_(std::move(control)),
      stallSeconds_(stallSeconds) {}

namespace {

struct TransferState {
    FILE* file = nullptr;
    GChecksum* checksum = nullptr;
    bool writeFailed = false;
    UpdateSink* sink = nullptr;
    DownloadControl* control = nullptr;
    std::chrono::steady_clock::time_point lastPost{};
    bool posted = false;
};

size_t WriteBlock(char* data, size_t size, size_t count, void* self) {
    auto* t = static_cast<TransferState*>(self);
    const size_t bytes = size * count;
    if (std::fwrite(data, 1, bytes, t->file) != bytes) {
        t->writeFailed = true;
        return 0;  // aborts the transfer
    }
    g_checksum_update(t->checksum, reinterpret_cast<const guchar*>(data),
                      static_cast<gssize>(bytes));
    return bytes;
}

int Progress(void* self, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t) {
    auto* t = static_cast<TransferState*>(self);
    if (t->control != nullptr && t->control->Cancelled()) {
        return 1;  // aborts the transfer
    }
    // A bounded rate: the window repaints on every message.
    const auto now = std::chrono::steady_clock::now();
    if (t->posted && now - t->lastPost < std::chrono::milliseconds(100)) {
        return 0;
    }
    t->posted = true;
    t->lastPost = now;
    UpdateSink* sink = t->sink;
    const int32_t totalBytes = Low32(total), receivedBytes = Low32(received);
    PostToUi([sink, totalBytes, receivedBytes] { sink->OnProgress(totalBytes, receivedBytes); });
    return 0;
}

}  // namespace

void Download::Run() {
    bool opened = false;
    const bool ok = Transfer(opened);
    // Only a file this download wrote is removed: a path it could not open
    // (a folder, somebody else's file) is left alone.
    if (!ok && opened && std::remove(offer_.installerPath.c_str()) == 0) {
        ZV_TRACE("Download: removed the partial file");
    }
    UpdateSink* sink = sink_;
    PostToUi([sink, ok] { sink->OnDownloadResult(ok); });
    // After the post: a window that waits for this may end the process.
    if (control_) {
        control_->MarkFinished();
    }
}

bool Download::Transfer(bool& opened) {
    struct FileCloser {
        void operator()(FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<FILE, FileCloser> file(std::fopen(offer_.installerPath.c_str(), "wb"));
    if (!file) {
        ZV_TRACE("Download: cannot open %s", offer_.installerPath.c_str());
        return false;
    }
    opened = true;
    std::unique_ptr<GChecksum, decltype(&g_checksum_free)> checksum(
        g_checksum_new(G_CHECKSUM_SHA256), &g_checksum_free);
    Curl curl(curl_easy_init());
    if (!curl) {
        return false;
    }
    TransferState t;
    t.file = file.get();
    t.checksum = checksum.get();
    t.sink = sink_;
    t.control = control_.get();
    curl_easy_setopt(curl.get(), CURLOPT_URL, offer_.downloadUrl.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &WriteBlock);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(curl.get(), CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl.get(), CURLOPT_XFERINFOFUNCTION, &Progress);
    curl_easy_setopt(curl.get(), CURLOPT_XFERINFODATA, &t);
    // An error page is never saved as the installer.
    curl_easy_setopt(curl.get(), CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT, kConnectSeconds);
    curl_easy_setopt(curl.get(), CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_LOW_SPEED_TIME, stallSeconds_);
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    const CURLcode rc = curl_easy_perform(curl.get());
    long status = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    curl_off_t total = -1, received = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &total);
    curl_easy_getinfo(curl.get(), CURLINFO_SIZE_DOWNLOAD_T, &received);
    curl.reset();
    const bool flushed = std::fflush(file.get()) == 0 && !std::ferror(file.get());
    file.reset();
    if (rc != CURLE_OK) {
        ZV_TRACE("Download: transfer failed: %s (status %ld)", curl_easy_strerror(rc), status);
        return false;
    }
    if (status < 200 || status > 299 || t.writeFailed || !flushed) {
        ZV_TRACE("Download: status %ld, write %s", status, flushed ? "ok" : "failed");
        return false;
    }
    if (!offer_.sha256.empty() && offer_.sha256 != g_checksum_get_string(checksum.get())) {
        ZV_TRACE("Download: checksum mismatch");
        return false;
    }
    // The last figures always reach the window, whatever the rate limit held back.
    UpdateSink* sink = sink_;
    const int32_t totalBytes = Low32(total < 0 ? 0 : total), receivedBytes = Low32(received);
    PostToUi([sink, totalBytes, receivedBytes] { sink->OnProgress(totalBytes, receivedBytes); });
    return true;
}

}  // namespace zv::updater
