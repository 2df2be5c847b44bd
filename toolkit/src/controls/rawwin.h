#pragma once
// Rawwin: a native area hosted in the control's rectangle for the host's
// own content (video preview, web pages). The area belongs to the host
// side, reached through AreaPeer.
#include <cstdint>
#include <memory>
#include <string>

#include "controls/layer.h"

namespace Vcl {

// The native area of a Rawwin, made by the native window.
class AreaPeer {
public:
    virtual ~AreaPeer() = default;  // destroys the native area
    virtual GtkWidget* widget() const = 0;
    virtual void setShown(bool shown) = 0;
    // The native window went and took the area with it.
    virtual void abandon() = 0;
};

class Rawwin : public Layer {
public:
    // Style of the hosted area as the host's tools know it: child, clip
    // siblings, clip children; visible adds 0x10000000.
    static constexpr uint32_t kBaseStyle = 0x46000000u;
    static constexpr uint32_t kVisibleStyle = 0x10000000u;

    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
    GtkWidget* nativeHandle() const override;
    // The area follows the control's rectangle: moved, repainted, and the
    // host hears XUI_EVENT_RESIZED.
    void placed() override;
    void setVisible(int visible) override;
    // The area is shown exactly while the control is.
    void syncShown();
    void attach(std::unique_ptr<AreaPeer> area);
    // Destroys the native area now (dialogs end with their areas first).
    void destroyNative() { peer_.reset(); }
    void nativeDestroyed();
    GtkWidget* area() const { return peer_ ? peer_->widget() : nullptr; }

    uint32_t color = 0xFFFFFFu;  // native order 0x00BBGGRR
    std::string title;
    bool autoChildSize = false;
    uint32_t style = kBaseStyle;

private:
    std::unique_ptr<AreaPeer> peer_;
};

}  // namespace Vcl
