// Sources, scenes and their layout.
#include <atomic>
#include <cmath>
#include <string>

#include "av_core.h"
#include "layout.h"
#include "levels.h"
#include "obs_ids.h"
#include "platform/trace.h"
#include "screencast/screencast_source.h"

namespace zv {
namespace {

// This libobs meters a muted source as if it were not muted; the level
// display shows what is sent, so a muted reading counts as silence.
std::atomic<bool> gSoundMuted{false};

OBSSourceAutoRelease CreateSource(const char* designId, const char* name,
                                  obs_data_t* settings = nullptr) {
    const std::string id(PlatformSourceId(designId));
    return obs_source_create(id.c_str(), name, settings, nullptr);
}

std::string Key(const char* designId, const char* designKey) {
    return std::string(PlatformSettingsKey(designId, designKey));
}

// Adds a visual item and sets its bounds type right away.
obs_sceneitem_t* AddVisual(obs_scene_t* scene, obs_source_t* source, obs_bounds_type bounds) {
    obs_sceneitem_t* item = obs_scene_add(scene, source);
    if (item)
        obs_sceneitem_set_bounds_type(item, bounds);
    return item;
}

void SetBounds(obs_sceneitem_t* item, int width, int height) {
    if (!item)
        return;
    vec2 bounds;
    vec2_set(&bounds, static_cast<float>(width), static_cast<float>(height));
    obs_sceneitem_set_bounds(item, &bounds);
}

void SetPos(obs_sceneitem_t* item, Point p) {
    if (!item)
        return;
    vec2 pos;
    vec2_set(&pos, static_cast<float>(p.x), static_cast<float>(p.y));
    obs_sceneitem_set_pos(item, &pos);
}

void SetVisible(obs_sceneitem_t* item, bool visible) {
    if (item)
        obs_sceneitem_set_visible(item, visible);
}

void MeterCallback(void* param, const float magnitude[MAX_AUDIO_CHANNELS],
                   const float peak[MAX_AUDIO_CHANNELS],
                   const float inputPeak[MAX_AUDIO_CHANNELS]) {
    const int type = static_cast<int>(reinterpret_cast<intptr_t>(param));
    // Formatting happens only while tracing is on: this runs on the audio
    // thread for every audio tick.
    ZV_TRACE(
        "type=%d |0|%f, %f, %f|1|%f, %f, %f|2|%f, %f, %f|3|%f, %f, %f|4|%f, %f, %f|5|%f, %f, "
        "%f|6|%f, %f, "
        "%f|7|%f, %f, %f",
        type, magnitude[0], peak[0], inputPeak[0], magnitude[1], peak[1], inputPeak[1],
        magnitude[2], peak[2], inputPeak[2], magnitude[3], peak[3], inputPeak[3], magnitude[4],
        peak[4], inputPeak[4], magnitude[5], peak[5], inputPeak[5], magnitude[6], peak[6],
        inputPeak[6], magnitude[7], peak[7], inputPeak[7]);
    const float heard = gSoundMuted.load(std::memory_order_relaxed) ? -INFINITY : peak[0];
    ApplyMeterPeak(type == 0 ? MeterKind::Microphone : MeterKind::Desktop, heard);
}

}  // namespace

void AVCore::CreateAudioControls(obs_source_t* source, int meterKind, Fader& fader,
                                 Volmeter& meter) {
    fader.reset(obs_fader_create(OBS_FADER_CUBIC));
    if (fader)
        obs_fader_attach_source(fader.get(), source);
    meter.reset(obs_volmeter_create(OBS_FADER_LOG));
    if (meter) {
        obs_volmeter_add_callback(meter.get(), &MeterCallback,
                                  reinterpret_cast<void*>(intptr_t{meterKind}));
        obs_volmeter_attach_source(meter.get(), source);
    }
}

void AVCore::BuildScenes() {
    videoScene_ = obs_scene_create("video");
    appScene_ = obs_scene_create("app");
    compoundScene_ = obs_scene_create("compound");
    vodScene_ = obs_scene_create("vod");

    camera_ = CreateSource("dshow_input", "video source");
    window_ = CreateSource("window_capture", "window source");
    media_ = CreateSource("ffmpeg_source", "ffmpeg source");
    if (FindSourceKind("monitor_capture")->takesCompatibility) {
        OBSDataAutoRelease settings = obs_data_create();
        obs_data_set_bool(settings, "compatibility", true);
        desktop_ = CreateSource("monitor_capture", "desktop source", settings);
    } else {
        desktop_ = CreateSource("monitor_capture", "desktop source");
    }
    desktopAudio_ = CreateSource("wasapi_output_capture", "audio source from desktop");
    CreateAudioControls(desktopAudio_, 1, desktopFader_, desktopMeter_);
    mic_ = CreateSource("wasapi_input_capture", "audio source");
    // The microphone is heard 550 ms late, in step with a delayed camera.
    if (mic_)
        obs_source_set_sync_offset(mic_, 550000000);
    CreateAudioControls(mic_, 0, micFader_, micMeter_);
    logo_ = CreateSource("image_source", "logo source");

    videoCamera_ = AddVisual(videoScene_, camera_, OBS_BOUNDS_SCALE_INNER);
    videoLogo_ = AddVisual(videoScene_, logo_, OBS_BOUNDS_NONE);
    appWindow_ = AddVisual(appScene_, window_, OBS_BOUNDS_SCALE_INNER);
    appDesktop_ = AddVisual(appScene_, desktop_, OBS_BOUNDS_SCALE_INNER);
    appLogo_ = AddVisual(appScene_, logo_, OBS_BOUNDS_NONE);
    compoundWindow_ = AddVisual(compoundScene_, window_, OBS_BOUNDS_SCALE_INNER);
    compoundDesktop_ = AddVisual(compoundScene_, desktop_, OBS_BOUNDS_SCALE_INNER);
    compoundCamera_ = AddVisual(compoundScene_, camera_, OBS_BOUNDS_SCALE_INNER);
    compoundLogo_ = AddVisual(compoundScene_, logo_, OBS_BOUNDS_NONE);
    vodMedia_ = AddVisual(vodScene_, media_, OBS_BOUNDS_SCALE_INNER);
    vodLogo_ = AddVisual(vodScene_, logo_, OBS_BOUNDS_NONE);

    UpdateLayout();

    // Audio items: the microphone's are not kept (never changed later).
    obs_scene_add(videoScene_, mic_);
    videoDesktopAudio_ = obs_scene_add(videoScene_, desktopAudio_);
    obs_scene_add(appScene_, mic_);
    appDesktopAudio_ = obs_scene_add(appScene_, desktopAudio_);
    obs_scene_add(compoundScene_, mic_);
    compoundDesktopAudio_ = obs_scene_add(compoundScene_, desktopAudio_);
}

void AVCore::ReleaseScenes() {
    // Meters and faders first: they hold their sources' audio callbacks.
    micMeter_.reset();
    desktopMeter_.reset();
    micFader_.reset();
    desktopFader_.reset();
    vodScene_ = nullptr;
    compoundScene_ = nullptr;
    appScene_ = nullptr;
    videoScene_ = nullptr;
    vodLogo_ = nullptr;
    compoundLogo_ = nullptr;
    appLogo_ = nullptr;
    videoLogo_ = nullptr;
    compoundDesktopAudio_ = nullptr;
    appDesktopAudio_ = nullptr;
    videoDesktopAudio_ = nullptr;
    vodMedia_ = nullptr;
    compoundDesktop_ = nullptr;
    compoundWindow_ = nullptr;
    compoundCamera_ = nullptr;
    appDesktop_ = nullptr;
    appWindow_ = nullptr;
    videoCamera_ = nullptr;
    desktopAudio_ = nullptr;
    mic_ = nullptr;
    logo_ = nullptr;
    media_ = nullptr;
    desktop_ = nullptr;
    window_ = nullptr;
    camera_ = nullptr;
}

void AVCore::UpdateLayout() {
    const int w = canvasWidth_;
    const int h = canvasHeight_;
    for (obs_sceneitem_t* item : {videoCamera_.Get(), appWindow_.Get(), appDesktop_.Get(),
                                  compoundWindow_.Get(), compoundDesktop_.Get(), vodMedia_.Get()}) {
        SetBounds(item, w, h);
    }
    const Size box = CameraBoxSize(w, h);
    SetBounds(compoundCamera_, box.width, box.height);
    SetPos(compoundCamera_, MergeCornerPosition(mergeCorner_, w, h));
    const Point logo = LogoCornerPosition(logoCorner_, w, h, logoWidth_, logoHeight_);
    for (obs_sceneitem_t* item :
         {videoLogo_.Get(), appLogo_.Get(), compoundLogo_.Get(), vodLogo_.Get()}) {
        SetPos(item, logo);
    }
}

void AVCore::ShowScene(obs_scene_t* scene) {
    if (!scene)
        return;
    obs_source_t* source = obs_scene_get_source(scene);
    ZV_TRACE("engine: output scene %s", obs_source_get_name(source));
    obs_set_output_source(0, source);
}

void AVCore::ShowVideoScene() {
    ShowScene(videoScene_);
}

void AVCore::ShowWindowCapture() {
    SetVisible(appWindow_, true);
    SetVisible(compoundWindow_, true);
    SetVisible(appDesktop_, false);
    SetVisible(compoundDesktop_, false);
    ShowScene(appScene_);
    // A portal capture asks again after a failure once it is chosen again.
    screencast::ChooseScreencast(window_, false);
}

void AVCore::ShowDesktopCapture() {
    SetVisible(appWindow_, false);
    SetVisible(compoundWindow_, false);
    SetVisible(appDesktop_, true);
    SetVisible(compoundDesktop_, true);
    ShowScene(appScene_);
    screencast::ChooseScreencast(desktop_, false);
}

void AVCore::ShowCompoundScene() {
    ShowScene(compoundScene_);
}

void AVCore::ShowMediaScene() {
    ShowScene(vodScene_);
}

void AVCore::UpdateSource(obs_source_t* source, obs_data_t* settings) {
    if (source && settings)
        obs_source_update(source, settings);
}

void AVCore::SetCameraDevice(const char* deviceId) {
    OBSDataAutoRelease settings = obs_data_create();
    ZV_TRACE("engine: camera %s", deviceId ? deviceId : "");
    obs_data_set_string(settings, Key("dshow_input", "video_device_id").c_str(),
                        deviceId ? deviceId : "");
    UpdateSource(camera_, settings);
}

void AVCore::SetMicDevice(const char* deviceId) {
    OBSDataAutoRelease settings = obs_data_create();
    ZV_TRACE("engine: microphone %s", deviceId ? deviceId : "");
    obs_data_set_string(settings, Key("wasapi_input_capture", "device_id").c_str(),
                        deviceId ? deviceId : "");
    UpdateSource(mic_, settings);
}

void AVCore::SetCaptureWindow(const char* window) {
    OBSDataAutoRelease settings = obs_data_create();
    ZV_TRACE("engine: capture window %s", window ? window : "");
    obs_data_set_string(settings, Key("window_capture", "window").c_str(), window ? window : "");
    UpdateSource(window_, settings);
}

void AVCore::SetCaptureMonitor(int monitor) {
    OBSDataAutoRelease settings = obs_data_create();
    ZV_TRACE("engine: capture monitor %d", monitor);
    obs_data_set_int(settings, Key("monitor_capture", "monitor").c_str(), monitor);
    UpdateSource(desktop_, settings);
}

void AVCore::SetMediaFile(const char* path, bool loop) {
    OBSDataAutoRelease settings = obs_data_create();
    ZV_TRACE("engine: media file %s", path ? path : "");
    obs_data_set_bool(settings, "is_local_file", true);
    obs_data_set_string(settings, "local_file", path ? path : "");
    obs_data_set_bool(settings, "looping", loop);
    UpdateSource(media_, settings);
}

void AVCore::SetLogo(const char* path, int corner, int width, int height) {
    logoCorner_ = corner;
    logoWidth_ = width;
    logoHeight_ = height;
    OBSDataAutoRelease settings = obs_data_create();
    obs_data_set_string(settings, "file", path ? path : "");
    UpdateSource(logo_, settings);
    UpdateLayout();
}

void AVCore::SetMergeCorner(int corner) {
    ZV_TRACE("engine: merge corner %d", corner);
    mergeCorner_ = corner;
    UpdateLayout();
}

void AVCore::ToggleDesktopAudio() {
    desktopAudioOn_ = !desktopAudioOn_;
    ZV_TRACE("engine: desktop sound %d", desktopAudioOn_ ? 1 : 0);
    if (!ready_)
        return;
    if (desktopAudioOn_) {
        videoDesktopAudio_ = obs_scene_add(videoScene_, desktopAudio_);
        appDesktopAudio_ = obs_scene_add(appScene_, desktopAudio_);
        compoundDesktopAudio_ = obs_scene_add(compoundScene_, desktopAudio_);
    } else {
        for (OBSSceneItem* item :
             {&videoDesktopAudio_, &appDesktopAudio_, &compoundDesktopAudio_}) {
            if (*item)
                obs_sceneitem_remove(*item);
            *item = nullptr;
        }
    }
}

void AVCore::SetVolume(float deflection) {
    ZV_TRACE("engine: volume %.2f", deflection);
    if (micFader_)
        obs_fader_set_deflection(micFader_.get(), deflection);
    if (desktopFader_)
        obs_fader_set_deflection(desktopFader_.get(), deflection);
}

void AVCore::SetMuted(bool muted) {
    ZV_TRACE("engine: muted %d", muted ? 1 : 0);
    gSoundMuted.store(muted, std::memory_order_relaxed);
    if (mic_)
        obs_source_set_muted(mic_, muted);
    if (desktopAudio_)
        obs_source_set_muted(desktopAudio_, muted);
}

}  // namespace zv
