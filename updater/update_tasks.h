#pragma once
// The updater's two network jobs, run on the background worker. Each reports
// to the updater window by posting to the UI thread (zv::PostToUi) once all
// its handles and files are released.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "async_task.h"

namespace zv::updater {

// The check's answer as the window receives it.
struct Offer {
    bool offered = false;
    std::string latestVersion;
    std::string downloadUrl;
    std::string installerPath;
    std::string sha256;  // empty: not verified
};

// The updater window as the tasks see it; every call arrives on the UI thread.
class UpdateSink {
public:
    virtual ~UpdateSink() = default;
    virtual void OnCheckResult(const Offer& offer) = 0;
    virtual void OnDownloadResult(bool ok) = 0;
    // Low 32 bits of the announced size (0 while unknown) and of the bytes
    // received; at most about ten times a second.
    virtual void OnProgress(int32_t totalBytes, int32_t receivedBytes) = 0;
};

// Asks the route host whether a newer client exists; on an offer, prepares
// the download folder and the installer path.
class CheckVersion : public AsyncTask {
public:
    // `sink` must live until the result has been delivered.
    CheckVersion(UpdateSink* sink, std::string routeHost, std::string installedVersion,
                 std::string dataFolder);
    void Run() override;

    // The whole check, connection and reply, must end within this.
    static constexpr long kTimeoutSeconds = 10;

private:
    UpdateSink* sink_;
    std::string routeHost_;
    std::string installedVersion_;
    std::string dataFolder_;
};

// Shared between a running download and the window: the window may ask it to
// stop and wait until it has cleaned up.
class DownloadControl {
public:
    void Cancel() { cancel_.store(true); }
    bool Cancelled() const { return cancel_.load(); }
    void MarkFinished();
    // True when the download finished within `milliseconds`.
    bool WaitFinished(int milliseconds);

private:
    std::atomic<bool> cancel_{false};
    std::mutex mutex_;
    std::condition_variable cv_;
    bool finished_ = false;
};

// Streams the installer into its file. Anything but a complete transfer with
// a 2xx status (and the announced checksum, when there is one) is a failure,
// and the partial file is removed.
class Download : public AsyncTask {
public:
    Download(UpdateSink* sink, Offer offer, std::shared_ptr<DownloadControl> control,
             long stallSeconds = kDefaultStallSeconds);
    void Run() override;

    // A transfer that moves less than 1 byte/s for this long has stalled.
    static constexpr long kDefaultStallSeconds = 30;
    static constexpr long kConnectSeconds = 10;

private:
    // `opened`: the installer file was opened (and so is ours to remove).
    bool Transfer(bool& opened);

    UpdateSink* sink_;
    Offer offer_;
    std::shared_ptr<DownloadControl> control_;
    long stallSeconds_;
};

}  // namespace zv::updater
