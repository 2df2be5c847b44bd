#include "controls/spanel.h"

#include <climits>

#include "controls/registry.h"
#include "controls/tree_node.h"
#include "layout/layout.h"

namespace Vcl {

bool ScrollPanel::load(const tinyxml2::XMLElement* e, const LoadScope& scope) {
    if (!Scroll::load(e, scope)) {
        return false;
    }
    horizontal = false;
    return true;
}

int ScrollPanel::offsetFor(double fraction) const {
    const long long hidden = static_cast<long long>(fixedHeightSum) - rect.height;
    if (hidden <= 0) {
        return 0;
    }
    return -static_cast<int>(
        std::min<double>(static_cast<double>(hidden) * std::clamp(fraction, 0.0, 1.0), INT_MAX));
}

void ScrollPanel::placed() {
    const int content = fixedHeightSum;
    visibleRatio = content > rect.height && content > 0
                       ? static_cast<double>(std::max(0, rect.height)) / content
                       : 1.0;
    Scroll::placed();
    const int offset = offsetFor(position);
    if (offset != scrollY && node) {
        // Converges: the sums do not depend on the offset, so the layout
        // this starts hears the same offset and stops here.
        scrollY = offset;
        relayoutContent();
    }
}

void ScrollPanel::relayoutContent() {
    LayoutNode(*node);
    if (owner) {
        owner->relayoutNativeChildren();  // edits in the content follow it
    }
}

void ScrollPanel::setPosition(double fraction) {
    Scroll::setPosition(fraction);
    scrollY = offsetFor(fraction);
    if (node) {
        relayoutContent();
    }
}

ZUDOZ_CONTROL_KIND("spanel", Kind::ScrollPanel, ScrollPanel);

}  // namespace Vcl
