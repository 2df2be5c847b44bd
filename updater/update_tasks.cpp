#include "update_tasks.h"

#include <glib.h>

#include <chrono>
#include <cstdio>
#include <memory>

#include "http_transport.h"
#include "platform/paths.h"
#include "platform/trace.h"
#include "platform/ui_queue.h"
#include "room_credentials.h"
#include "update_rules.h"

namespace zv::updater {

namespace {

int32_t Low32(int64_t value) {
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
    HttpResult result;
    {
        HttpTransport transport;
        HttpLimits limits = transport.Limits();
        limits.totalSeconds = kTimeoutSeconds;
        transport.SetLimits(limits);
        result = transport.Fetch({.url = url, .credentials = RoomControlUserPwd()}, body);
    }
    Offer offer;
    if (!result.ok) {
        ZV_TRACE("CheckVersion: transfer failed: %s", result.error.c_str());
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

// Writes the installer file and its checksum as the body arrives, and
// reports progress to the window at a bounded rate.
class InstallerSink : public HttpSink {
public:
    InstallerSink(FILE* file, GChecksum* checksum, UpdateSink* sink, DownloadControl* control)
        : file_(file), checksum_(checksum), sink_(sink), control_(control) {}

    bool Write(const char* data, size_t size) override {
        if (std::fwrite(data, 1, size, file_) != size) {
            writeFailed_ = true;
            return false;  // aborts the transfer
        }
        g_checksum_update(checksum_, reinterpret_cast<const guchar*>(data),
                          static_cast<gssize>(size));
        return true;
    }

    bool Progress(int64_t total, int64_t received) override {
        if (control_ != nullptr && control_->Cancelled()) {
            return false;  // aborts the transfer
        }
        // A bounded rate: the window repaints on every message.
        const auto now = std::chrono::steady_clock::now();
        if (posted_ && now - lastPost_ < std::chrono::milliseconds(100)) {
            return true;
        }
        posted_ = true;
        lastPost_ = now;
        UpdateSink* sink = sink_;
        const int32_t totalBytes = Low32(total), receivedBytes = Low32(received);
        PostToUi(
            [sink, totalBytes, receivedBytes] { sink->OnProgress(totalBytes, receivedBytes); });
        return true;
    }

    bool WriteFailed() const { return writeFailed_; }

private:
    FILE* file_;
    GChecksum* checksum_;
    UpdateSink* sink_;
    DownloadControl* control_;
    bool writeFailed_ = false;
    std::chrono::steady_clock::time_point lastPost_{};
    bool posted_ = false;
};

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
    InstallerSink installer(file.get(), checksum.get(), sink_, control_.get());
    HttpResult result;
    {
        HttpTransport transport;
        HttpLimits limits = transport.Limits();
        limits.connectSeconds = kConnectSeconds;
        limits.stallSeconds = stallSeconds_;
        transport.SetLimits(limits);
        // An error page is never saved as the installer.
        result =
            transport.Stream({.url = offer_.downloadUrl, .failOnErrorStatus = true}, installer);
    }
    const long status = result.status;
    const bool flushed = std::fflush(file.get()) == 0 && !std::ferror(file.get());
    file.reset();
    if (!result.ok) {
        ZV_TRACE("Download: transfer failed: %s (status %ld)", result.error.c_str(), status);
        return false;
    }
    if (status < 200 || status > 299 || installer.WriteFailed() || !flushed) {
        ZV_TRACE("Download: status %ld, write %s", status, flushed ? "ok" : "failed");
        return false;
    }
    if (!offer_.sha256.empty() && offer_.sha256 != g_checksum_get_string(checksum.get())) {
        ZV_TRACE("Download: checksum mismatch");
        return false;
    }
    // The last figures always reach the window, whatever the rate limit held back.
    UpdateSink* sink = sink_;
    const int32_t totalBytes = Low32(result.announced < 0 ? 0 : result.announced),
                  receivedBytes = Low32(result.received);
    PostToUi([sink, totalBytes, receivedBytes] { sink->OnProgress(totalBytes, receivedBytes); });
    return true;
}

}  // namespace zv::updater
