// Device lists, read from the plug-ins' own property lists.
#include <string>

#include "av_core.h"
#include "obs_ids.h"
#include "obs_runtime.h"

namespace zv {

void AVCore::ListCameras(std::vector<std::string>& ids) {
    ListDevices("dshow_input", "video_device_id", nullptr, ids);
}

void AVCore::ListWindows(std::vector<std::string>& windows) {
    ListDevices("window_capture", "window", nullptr, windows);
}

void AVCore::ListMicrophones(std::vector<std::string>& names, std::vector<std::string>& ids) {
    ListDevices("wasapi_input_capture", "device_id", &names, ids);
}

void AVCore::ListDevices(const char* designId, const char* designKey,
                         std::vector<std::string>* names, std::vector<std::string>& values) {
    if (!runtime_ || !runtime_->Started())
        return;
    const std::string id(PlatformSourceId(designId));
    const std::string key(PlatformSettingsKey(designId, designKey));
    // The type-level property call crashes for some plug-ins here, so ask a
    // private probe instance (never one of the engine's own sources).
    OBSSourceAutoRelease probe = obs_source_create_private(id.c_str(), "zv device probe", nullptr);
    if (!probe)
        return;
    obs_properties_t* props = obs_source_properties(probe);
    if (!props)
        return;
    for (obs_property_t* p = obs_properties_first(props); p; obs_property_next(&p)) {
        if (obs_property_get_type(p) != OBS_PROPERTY_LIST)
            continue;
        const char* name = obs_property_name(p);
        if (!name || key != name)
            continue;
        if (obs_property_list_format(p) != OBS_COMBO_FORMAT_STRING)
            continue;
        const size_t count = obs_property_list_item_count(p);
        for (size_t i = 0; i < count; ++i) {
            const char* itemName = obs_property_list_item_name(p, i);
            const char* itemValue = obs_property_list_item_string(p, i);
            // Keep names and values in step even for entries without text.
            if (names)
                names->push_back(itemName ? itemName : "");
            values.push_back(itemValue ? itemValue : "");
        }
    }
    obs_properties_destroy(props);
}

}  // namespace zv
