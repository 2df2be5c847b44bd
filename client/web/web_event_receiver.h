#pragma once
// What the web tasks report to the main window. The main window implements
// it; every call arrives on the background worker thread, so an
// implementation hands the effect to the UI thread (zv::PostToUi) itself.
// The receiver must outlive every task that was given it.
#include <cstdint>
#include <string>

#include "room_result.h"

namespace zv {

class WebEventReceiver {
public:
    virtual ~WebEventReceiver() = default;

    // Result of a room-control request: the push address of an accepted
    // "geturl", the platform's text of a refusal, or only the failure kind.
    virtual void OnWebapiEvent(const RoomResult& result) = 0;

    // The round 64 x 64 avatar PNG is ready at `path` (UTF-8).
    virtual void SetHeadIcon(const std::string& path) = 0;

    // The logo file (possibly empty or not a picture) for the video overlay.
    virtual void SetLogo(const std::string& path, int32_t position, int32_t width,
                         int32_t height) = 0;
};

}  // namespace zv
