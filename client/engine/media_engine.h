#pragma once
// What a window asks of the media engine, so that window logic can run
// against a recording fake. AVCore implements it; its lifetime (creation on
// first use, release) stays with whoever hands the engine out.
#include <cstdint>
#include <string>
#include <vector>

#include "av_core_event.h"

typedef struct _GtkWidget GtkWidget;

namespace zv {

class MediaEngine {
public:
    virtual ~MediaEngine() = default;

    // Canvas, mix, sources and scenes, drawn into `previewWindow` when given;
    // false when the engine could not start.
    virtual bool Reset(GtkWidget* previewWindow, int width, int height, AVCoreEvent* sink) = 0;

    virtual void ShowVideoScene() = 0;
    virtual void ShowWindowCapture() = 0;
    virtual void ShowDesktopCapture() = 0;
    virtual void ShowCompoundScene() = 0;
    virtual void ShowMediaScene() = 0;

    virtual void SetCameraDevice(const char* deviceId) = 0;
    virtual void SetMicDevice(const char* deviceId) = 0;
    virtual void SetCaptureWindow(const char* window) = 0;
    virtual void SetCaptureMonitor(int monitor) = 0;
    virtual void SetMediaFile(const char* path, bool loop) = 0;
    virtual void SetLogo(const char* path, int corner, int width, int height) = 0;
    virtual void SetMergeCorner(int corner) = 0;
    virtual void ToggleDesktopAudio() = 0;
    virtual bool IsDesktopAudioOn() const = 0;

    // True when the start was accepted; the outcome follows as stream status.
    virtual bool StartStreaming(const std::string& address, bool useAuth, const char* userName,
                                const char* password) = 0;
    // Why the last refused start was refused: a text resource key of the
    // package ("s.stream.error.*"); empty after an accepted start.
    virtual const char* LastStartFailureKey() const = 0;
    virtual void StopStreaming() = 0;

    struct OutputStats {
        uint64_t totalBytes = 0;
        int droppedFrames = 0;
        int totalFrames = 0;
    };
    virtual OutputStats GetOutputStats() const = 0;

    virtual void SetVolume(float deflection) = 0;
    virtual void SetMuted(bool muted) = 0;

    virtual void ListCameras(std::vector<std::string>& ids) = 0;
    virtual void ListWindows(std::vector<std::string>& windows) = 0;
    virtual void ListMicrophones(std::vector<std::string>& names,
                                 std::vector<std::string>& ids) = 0;
};

}  // namespace zv
