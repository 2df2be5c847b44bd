#include "controls/registry.h"

#include <algorithm>

namespace Vcl {

namespace {

// Filled by static initialisers of the kinds' files: a function-local
// table, so it exists before the first of them runs.
std::vector<ControlKindInfo>& Table() {
    static std::vector<ControlKindInfo> table;
    return table;
}

}  // namespace

namespace registry_detail {

bool Register(const char* element, Kind kind, std::unique_ptr<Layer> (*create)()) {
    auto& table = Table();
    table.push_back({element, kind, create});
    std::sort(table.begin(), table.end(), [](const ControlKindInfo& a, const ControlKindInfo& b) {
        return static_cast<int>(a.kind) < static_cast<int>(b.kind);
    });
    return true;
}

}  // namespace registry_detail

std::vector<ControlKindInfo> ControlKinds() {
    return Table();
}

std::unique_ptr<Layer> CreateControl(const std::string& element) {
    for (const auto& info : Table()) {
        if (info.element == element) {
            auto control = info.create();
            control->kind = info.kind;
            control->element = element;
            return control;
        }
    }
    return nullptr;
}

// The plain container has no file of its own.
ZUDOZ_CONTROL_KIND("layer", Kind::Layer, Layer);

}  // namespace Vcl
