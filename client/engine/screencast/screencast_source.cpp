#include "screencast_source.h"

#include <cstring>
#include <memory>

#include "capture_controller.h"
#include "platform/trace.h"

namespace zv::screencast {
namespace {

// The kinds as libobs type data (an integer in a pointer).
void* TypeData(CaptureKind kind) {
    return reinterpret_cast<void*>(static_cast<intptr_t>(kind) + 1);
}
CaptureKind KindOf(void* typeData) {
    return reinterpret_cast<intptr_t>(typeData) == 2 ? CaptureKind::kWindow : CaptureKind::kDesktop;
}

CaptureController* Controller(void* data) {
    return static_cast<CaptureController*>(data);
}

const char* GetName(void* typeData) {
    return KindOf(typeData) == CaptureKind::kWindow ? "Window (desktop portal)"
                                                    : "Screen (desktop portal)";
}

// libobs owns the controller from here until Destroy.
void* Create(obs_data_t* /*settings*/, obs_source_t* source) {
    const CaptureKind kind = KindOf(obs_source_get_type_data(source));
    return new CaptureController(source, kind, RestoreTokens::ForUser());
}

void Destroy(void* data) {
    delete Controller(data);
}

// A window value set again is a new pick; the desktop's index means nothing
// to the portal (it lets the user or the saved permission choose).
void Update(void* data, obs_data_t* settings) {
    CaptureController* controller = Controller(data);
    if (controller->Kind() == CaptureKind::kWindow) {
        const char* window = obs_data_get_string(settings, "window");
        if (window && *window)
            controller->Post({CaptureEvent::Kind::kRechosen});
    } else {
        controller->Post({CaptureEvent::Kind::kChosen});
    }
}

void Activate(void* data) {
    Controller(data)->Post({CaptureEvent::Kind::kShown});
}

void Deactivate(void* data) {
    Controller(data)->Post({CaptureEvent::Kind::kHidden});
}

// No lists: windows cannot be enumerated on these desktops.
obs_properties_t* GetProperties(void* /*data*/) {
    return obs_properties_create();
}

obs_source_info InfoFor(CaptureKind kind) {
    obs_source_info info{};
    info.id = kind == CaptureKind::kWindow ? kWindowSourceId : kMonitorSourceId;
    info.type = OBS_SOURCE_TYPE_INPUT;
    info.output_flags = OBS_SOURCE_ASYNC_VIDEO | OBS_SOURCE_DO_NOT_DUPLICATE;
    info.type_data = TypeData(kind);
    info.get_name = &GetName;
    info.create = &Create;
    info.destroy = &Destroy;
    info.update = &Update;
    info.activate = &Activate;
    info.deactivate = &Deactivate;
    info.get_properties = &GetProperties;
    return info;
}

}  // namespace

void RegisterScreencastSources() {
    for (const CaptureKind kind : {CaptureKind::kDesktop, CaptureKind::kWindow}) {
        const obs_source_info info = InfoFor(kind);
        obs_register_source(&info);
    }
}

bool IsScreencastSource(obs_source_t* source) {
    const char* id = source ? obs_source_get_unversioned_id(source) : nullptr;
    return id && (std::strcmp(id, kMonitorSourceId) == 0 || std::strcmp(id, kWindowSourceId) == 0);
}

void ChooseScreencast(obs_source_t* source, bool anew) {
    if (!IsScreencastSource(source))
        return;
    if (auto* controller = Controller(obs_obj_get_data(source))) {
        controller->Post({anew ? CaptureEvent::Kind::kRechosen : CaptureEvent::Kind::kChosen});
    }
}

ScreencastStats GetScreencastStats(obs_source_t* source) {
    ScreencastStats stats;
    if (!IsScreencastSource(source))
        return stats;
    if (auto* controller = Controller(obs_obj_get_data(source))) {
        stats.portalRequests = controller->PortalRequests();
        stats.framesDelivered = controller->FramesDelivered();
    }
    return stats;
}

}  // namespace zv::screencast
