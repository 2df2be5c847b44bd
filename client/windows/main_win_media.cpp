// The main window's media controls: the engine start, the sources and their
// menus, the sound, the tabs, the split and the profile.
#include <vector>

#include "main_rules.h"
#include "main_win.h"
#include "native_ui.h"
#include "platform/desktop_session.h"
#include "platform/trace.h"
#include "platform/ui_queue.h"
#include "platform/utf.h"
#include "xf_app.h"
#include "xf_menu.h"

namespace {

constexpr const char* kSourceButtons[] = {"btn.push.video", "btn.push.app", "btn.push.merge",
                                          "btn.push.vod"};
constexpr int kDesktopSoundCommand = 0x0F000000;
constexpr int kExpandedWidth = 920;
constexpr int kCollapsedWidth = 273;

}  // namespace

void MainWin::OnRawCreate(xfWidget& control, GtkWidget* native) {
    const std::string& name = control.Name();
    if (name == "r.preview") {
        StartEngine(native);
    } else if (name == "r.chat") {
        chatArea_ = native;
    } else if (name == "r.gift") {
        giftArea_ = native;
    }
}

void MainWin::StartEngine(GtkWidget* preview) {
    zv::MediaEngine* engine = &services_.engine.Engine();
    if (!engine->Reset(preview, 1280, 720, this)) {
        services_.engine.Release();
        // The window is still being built: tell and end once it stands.
        zv::PostToUi([this] {
            MessageRes("s.error.init", "s.msg.title", xf::Box::kWarning);
            StopTimer(kLevelTimer);
            Destroy();
            xf::PostQuit();
        });
        return;
    }
    engineReady_ = true;
    std::vector<std::string> cameras;
    engine->ListCameras(cameras);
    if (!cameras.empty()) {
        cameraDevice_ = cameras.front();
    }
    engine->SetCameraDevice(cameraDevice_.c_str());
    std::vector<std::string> names, ids;
    engine->ListMicrophones(names, ids);
    if (!ids.empty()) {
        microphoneDevice_ = ids.front();
    }
    engine->SetMicDevice(microphoneDevice_.c_str());
    engine->SetVolume(0.85f);
    Query("slider.mic").SetPercent(0.85f);
    engine->SetMergeCorner(mergeCorner_);
    engine->ShowVideoScene();
}

void MainWin::SelectSource(const char* button) {
    for (const char* name : kSourceButtons) {
        const bool selected = std::string_view(name) == button;
        xfWidget b = Query(name);
        b.SetImage(1, selected ? 1 : 4);
        b.SetImage(2, selected ? 2 : 5);
    }
    Query("btn.setup.app").SetEnabled(std::string_view(button) == "btn.push.app");
}

bool MainWin::OnMediaClick(xfWidget& control) {
    zv::MediaEngine* engine = Engine();
    if (control.Is("b.preview")) {
        ShowTab(true);
    } else if (control.Is("b.giftlist")) {
        ShowTab(false);
    } else if (control.Is("btn.push.video")) {
        if (engine) {
            engine->ShowVideoScene();
        }
        SelectSource("btn.push.video");
    } else if (control.Is("btn.push.app")) {
        if (engine) {
            if (captureWindow_.empty() || captureWindow_ == DesktopEntry()) {
                engine->ShowDesktopCapture();
            } else {
                engine->ShowWindowCapture();
            }
        }
        SelectSource("btn.push.app");
    } else if (control.Is("btn.push.merge")) {
        if (engine) {
            engine->ShowCompoundScene();
        }
        SelectSource("btn.push.merge");
    } else if (control.Is("btn.push.vod")) {
        ChooseVideoFile();
    } else if (control.Is("btn.setup.video")) {
        CameraMenu();
    } else if (control.Is("btn.setup.app")) {
        WindowMenu();
    } else if (control.Is("btn.setup.merge")) {
        MergeMenu();
    } else if (control.Is("btn.setup.mic")) {
        MicrophoneMenu();
    } else if (control.IsSame(mute_)) {
        if (engine) {
            engine->SetMuted(!mute_.GetCheck());  // checked: sound on
        }
    } else {
        return false;
    }
    return true;
}

void MainWin::ChooseVideoFile() {
    const std::optional<std::string> path =
        xf::AskVideoFile(NativeWindow(), zv::Utf16ToUtf8(Text("s.filter.video")));
    if (!path) {
        return;
    }
    if (zv::MediaEngine* engine = Engine()) {
        engine->SetMediaFile(path->c_str(), true);
        engine->ShowMediaScene();
    }
    SelectSource("btn.push.vod");
}

namespace {

// Shows `entries` (engine entries, labelled up to their first ':') at the
// pointer with the one equal to `current` checked: the chosen entry's index,
// -1 when dismissed.
int ChooseEntry(GtkWidget* owner, const std::vector<std::string>& entries,
                const std::string& current) {
    std::vector<xf::MenuEntry> menu;
    for (size_t i = 0; i < entries.size(); ++i) {
        menu.push_back(
            {zv::mainwin::EntryLabel(entries[i]), static_cast<int>(i + 1), entries[i] == current});
    }
    int x = 0, y = 0;
    xf::CursorPosition(&x, &y);
    return xf::PopupCommandMenu(owner, menu, x, y) - 1;
}

}  // namespace

std::string MainWin::DesktopEntry() {
    return zv::mainwin::SentinelEntry(Text("s.entry.desktop"));
}

void MainWin::WindowMenu() {
    const std::string desktop = DesktopEntry();
    const zv::DesktopSession session = zv::CurrentDesktopSession();
    std::vector<std::string> windows;
    zv::MediaEngine* engine = Engine();
    // On Wayland the engine cannot see other programs' windows: not asked.
    if (engine && session == zv::DesktopSession::kX11) {
        engine->ListWindows(windows);
    }
    const std::vector<std::string> entries = zv::mainwin::WindowMenuEntries(
        session, desktop, zv::mainwin::SentinelEntry(Text("s.entry.window.portal")), windows);
    // No choice yet is the whole desktop.
    const int chosen =
        ChooseEntry(NativeWindow(), entries, captureWindow_.empty() ? desktop : captureWindow_);
    if (chosen < 0 || engine == nullptr) {
        return;
    }
    captureWindow_ = entries[chosen];
    if (captureWindow_ == desktop) {
        engine->ShowDesktopCapture();
        engine->SetCaptureMonitor(0);
    } else {
        // Also the chooser entry, each time it is chosen: the engine's portal
        // source opens the desktop's chooser for any window value.
        engine->ShowWindowCapture();
        engine->SetCaptureWindow(captureWindow_.c_str());
    }
}

void MainWin::CameraMenu() {
    std::vector<std::string> entries{zv::mainwin::SentinelEntry(Text("s.entry.camera.off"))};
    zv::MediaEngine* engine = Engine();
    if (engine) {
        engine->ListCameras(entries);
    }
    const int chosen = ChooseEntry(NativeWindow(), entries, cameraDevice_);
    if (chosen < 0 || entries[chosen] == cameraDevice_) {
        return;
    }
    cameraDevice_ = entries[chosen];
    if (engine) {
        engine->SetCameraDevice(cameraDevice_.c_str());
    }
}

void MainWin::MergeMenu() {
    xfMenu menu("m.setup.merge");
    menu.CheckItem("m.setup.merge." + std::to_string(mergeCorner_));
    int x = 0, y = 0;
    xf::CursorPosition(&x, &y);
    const std::string chosen = menu.Popup(*this, x, y);
    if (chosen.empty()) {
        return;
    }
    for (int corner = 0; corner <= 3; ++corner) {
        if (chosen == "m.setup.merge." + std::to_string(corner)) {
            mergeCorner_ = corner;
        }
    }
    if (zv::MediaEngine* engine = Engine()) {
        engine->SetMergeCorner(mergeCorner_);
    }
}

void MainWin::MicrophoneMenu() {
    std::vector<std::string> names, ids;
    zv::MediaEngine* engine = Engine();
    if (engine) {
        engine->ListMicrophones(names, ids);
    }
    const std::string defaultLabel = zv::Utf16ToUtf8(Text("s.mic.default"));
    std::vector<xf::MenuEntry> menu;
    for (size_t i = 0; i < ids.size(); ++i) {
        const std::string name = i < names.size() ? names[i] : ids[i];
        menu.push_back({zv::mainwin::IsDefaultMicrophone(ids[i]) ? defaultLabel : name,
                        static_cast<int>(i + 1), ids[i] == microphoneDevice_});
    }
    menu.push_back({"", 0, false});
    menu.push_back({zv::Utf16ToUtf8(Text("s.mic.desktop.sound")), kDesktopSoundCommand,
                    engine && engine->IsDesktopAudioOn()});
    int x = 0, y = 0;
    xf::CursorPosition(&x, &y);
    const int command = xf::PopupCommandMenu(NativeWindow(), menu, x, y);
    if (command == kDesktopSoundCommand) {
        if (engine) {
            engine->ToggleDesktopAudio();
        }
    } else if (command > 0 && static_cast<size_t>(command) <= ids.size() &&
               ids[command - 1] != microphoneDevice_) {
        microphoneDevice_ = ids[command - 1];
        if (engine) {
            engine->SetMicDevice(microphoneDevice_.c_str());
        }
    }
}

void MainWin::OnValueChange(xfWidget& control) {
    zv::MediaEngine* engine = Engine();
    if (control.IsSame(sliderMic_) && engine) {
        engine->SetVolume(sliderMic_.GetPercent());
    }
}

void MainWin::OnAudioLevel(float level) {
    sliderMic_.SetPercent(level);
}

void MainWin::ShowTab(bool preview) {
    Query(preview ? "l.giftlist" : "l.preview").SetVisible(false);
    Query(preview ? "l.preview" : "l.giftlist").SetVisible(true);
    Query(preview ? "b.preview" : "b.giftlist").SetImage(1, 0);
    Query(preview ? "b.giftlist" : "b.preview").SetImage(1, 3);
}

void MainWin::ToggleSplit() {
    expanded_ = !expanded_;
    Query("l.media").SetVisible(expanded_);
    GtkWidget* native = NativeWindow();
    xf::WindowRect r = xf::GetWindowRect(native);
    r.left = r.right - (expanded_ ? kExpandedWidth : kCollapsedWidth);
    xf::SetWindowRect(native, r);
}

void MainWin::ShowProfile() {
    userName_.SetText(zv::Utf8ToUtf16(nickname_));
    userMemo_.SetText(zv::Utf8ToUtf16(signature_));
    if (!avatarPath_.empty()) {
        userImage_.SetImagePath(avatarPath_);
    }
}

void MainWin::SetHeadIcon(const std::string& path) {
    avatarPath_ = path;
    if (created_) {
        ShowProfile();
    }
}

void MainWin::SetLogo(const std::string& path, int32_t position, int32_t width, int32_t height) {
    logoPath_ = path;
    logoPosition_ = position;
    logoWidth_ = width;
    logoHeight_ = height;
    zv::MediaEngine* engine = Engine();
    if (created_ && engine) {
        engine->SetLogo(path.c_str(), position, width, height);
    }
}

void MainWin::SetOnlineCount(uint32_t count) {
    onlineCountValue_ = count;
    if (created_) {
        onlineCount_.SetText(zv::Utf8ToUtf16(std::to_string(count)));
    }
}
