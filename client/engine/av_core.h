#pragma once
// The media engine: the one object over libobs. It starts the library, fixes
// the canvas and the audio mix, builds the fixed sources and scenes, draws the
// preview, and builds and starts the RTMP output on demand.
//
// Every call is made on the UI thread (the thread running the default GLib
// main context). Instance() and Release() have no lock and must not race.
#include <obs.hpp>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "av_core_event.h"
#include "media_engine.h"
#include "stream_state.h"

typedef struct _GtkWidget GtkWidget;

namespace zv {

class ObsRuntime;
class OutputWorker;
class PreviewDisplay;
struct OutputSignals;

class AVCore final : public MediaEngine {
public:
    // The process-wide engine; the first call creates it and starts libobs.
    static AVCore* Instance();
    // Destroys the engine (if any) and shuts libobs down, releasing everything
    // it created. A later Instance() starts afresh.
    static void Release();
    // Release for the end of the process: waits at most `budget` for outputs
    // still stuck in a connect (which gives up only after about 30 s); when
    // one is still busy then, the engine stops drawing and is left to the
    // process's end instead of shutting libobs down under it.
    static void ReleaseForExit(std::chrono::milliseconds budget);

    // Fixes canvas (width x height at 8000/1001 fps, NV12) and audio mix
    // (44100 Hz mono), builds sources and scenes and, when previewWindow is
    // given, draws the composed picture into it. previewWindow must be a
    // widget with its own GdkWindow (e.g. a GtkDrawingArea); the display
    // follows the widget's size and the canvas is scaled into it. False when
    // libobs could not be started or the canvas or mix could not be set; then
    // nothing of the scene build or the display is left behind.
    bool Reset(GtkWidget* previewWindow, int width, int height, AVCoreEvent* sink) override;

    // Scene switches (output channel 0).
    void ShowVideoScene() override;
    void ShowWindowCapture() override;
    void ShowDesktopCapture() override;
    void ShowCompoundScene() override;
    void ShowMediaScene() override;

    // Settings of the sources; values are handed to the plug-ins unchanged.
    void SetCameraDevice(const char* deviceId) override;
    void SetMicDevice(const char* deviceId) override;
    void SetCaptureWindow(const char* window) override;
    void SetCaptureMonitor(int monitor) override;
    void SetMediaFile(const char* path, bool loop) override;
    // width and height must be the image's pixel size for the margins to hold.
    void SetLogo(const char* path, int corner, int width, int height) override;
    void SetMergeCorner(int corner) override;
    void ToggleDesktopAudio() override;
    bool IsDesktopAudioOn() const override { return desktopAudioOn_; }
    void UpdateLayout();

    // Splits the address at its last '/' into server and key, builds a fresh
    // output, encoders and service and starts them. True when libobs accepted
    // the start; whether the ingest was reached is reported afterwards through
    // AVCoreEvent::OnStreamStatus. An address that fails CheckPushAddress
    // (shorter than 8 characters among them): false, nothing created.
    bool StartStreaming(const std::string& address, bool useAuth, const char* userName,
                        const char* password) override;
    // Why the last StartStreaming returned false, as a text resource key of
    // the package; empty after a start that was accepted.
    const char* LastStartFailureKey() const override { return lastStartFailureKey_; }
    // Asks the output to stop; returns at once. The sink hears "stopped" when
    // the output has finished, at the latest after kStopGraceMs (then the
    // output is forced to stop).
    void StopStreaming() override;
    // The latest stream status (as last reported to the sink).
    StreamStatus GetStreamStatus() const { return streamStatus_; }
    // What the current output has sent so far (zero without one).
    using OutputStats = MediaEngine::OutputStats;
    OutputStats GetOutputStats() const override;
    static constexpr int kStopGraceMs = 3000;
    // How long a new start (or the engine's release) waits for the previous
    // output to be gone before it goes on and leaves that to a worker.
    static constexpr int kReleaseWaitMs = 1000;

    // One deflection (0..1) for the microphone and desktop faders; one mute
    // state for both sources.
    void SetVolume(float deflection) override;
    void SetMuted(bool muted) override;

    // Device lists (UTF-8), appended to the given lists. Names and ids of the
    // microphones are appended in step.
    void ListCameras(std::vector<std::string>& ids) override;
    void ListWindows(std::vector<std::string>& windows) override;
    void ListMicrophones(std::vector<std::string>& names, std::vector<std::string>& ids) override;

    // True while the preview draws into its widget.
    bool HasPreview() const;
    // Canvas frames the preview has drawn so far (it skips some while no
    // stream may send).
    uint64_t PreviewFramesDrawn() const;

    int CanvasWidth() const { return canvasWidth_; }
    int CanvasHeight() const { return canvasHeight_; }

    AVCore(const AVCore&) = delete;
    AVCore& operator=(const AVCore&) = delete;

private:
    friend struct OutputSignals;
    AVCore();
    ~AVCore();

    struct FaderDeleter {
        void operator()(obs_fader_t* f) const;
    };
    struct VolmeterDeleter {
        void operator()(obs_volmeter_t* m) const;
    };
    using Fader = std::unique_ptr<obs_fader_t, FaderDeleter>;
    using Volmeter = std::unique_ptr<obs_volmeter_t, VolmeterDeleter>;

    void BuildScenes();
    void ReleaseScenes();
    void ShowScene(obs_scene_t* scene);
    void UpdateSource(obs_source_t* source, obs_data_t* settings);
    void CreateAudioControls(obs_source_t* source, int meterKind, Fader& fader, Volmeter& meter);
    void ListDevices(const char* designId, const char* designKey, std::vector<std::string>* names,
                     std::vector<std::string>& values);
    void ApplyOutputEvent(uint64_t session, int signal, int value);
    void ReleaseOutput();

    std::unique_ptr<ObsRuntime> runtime_;

    int mergeCorner_ = 3;
    AVCoreEvent* sink_ = nullptr;
    OBSSourceAutoRelease camera_;
    OBSSourceAutoRelease window_;
    OBSSourceAutoRelease desktop_;
    OBSSourceAutoRelease media_;
    OBSSourceAutoRelease logo_;
    OBSSourceAutoRelease mic_;
    Fader micFader_;
    Volmeter micMeter_;
    OBSSourceAutoRelease desktopAudio_;
    Fader desktopFader_;
    Volmeter desktopMeter_;
    OBSSceneItem videoCamera_;
    OBSSceneItem appWindow_;
    OBSSceneItem appDesktop_;
    OBSSceneItem compoundCamera_;
    OBSSceneItem compoundWindow_;
    OBSSceneItem compoundDesktop_;
    OBSSceneItem vodMedia_;
    OBSSceneItem videoDesktopAudio_;
    OBSSceneItem appDesktopAudio_;
    OBSSceneItem compoundDesktopAudio_;
    OBSSceneItem videoLogo_;
    OBSSceneItem appLogo_;
    OBSSceneItem compoundLogo_;
    OBSSceneItem vodLogo_;
    OBSSceneAutoRelease videoScene_;
    OBSSceneAutoRelease appScene_;
    OBSSceneAutoRelease compoundScene_;
    OBSSceneAutoRelease vodScene_;
    std::unique_ptr<PreviewDisplay> display_;
    OBSOutputAutoRelease output_;
    OBSServiceAutoRelease service_;
    OBSEncoderAutoRelease videoEncoder_;
    OBSEncoderAutoRelease audioEncoder_;
    int canvasWidth_ = 320;
    int canvasHeight_ = 240;
    bool desktopAudioOn_ = true;
    int logoCorner_ = 1;
    int logoWidth_ = 0;
    int logoHeight_ = 0;

    // Stream state, driven by the output's signals through the UI queue.
    std::unique_ptr<OutputSignals> outputSignals_;
    // The blocking calls on the current output, and the workers still
    // releasing replaced ones (joined when the engine goes).
    std::unique_ptr<OutputWorker> outputWorker_;
    std::vector<std::unique_ptr<OutputWorker>> retiredWorkers_;
    uint64_t session_ = 0;
    StreamStatus streamStatus_;
    const char* lastStartFailureKey_ = "";
    // Lets queued UI work find out whether this engine still exists.
    std::shared_ptr<char> alive_ = std::make_shared<char>(0);
    bool ready_ = false;
};

}  // namespace zv
