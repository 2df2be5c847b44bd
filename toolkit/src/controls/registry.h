#pragma once
// The control kinds by element keyword. Each kind registers itself from its
// own file (ZUDOZ_CONTROL_KIND), so the tree builder stays generic.
#include <memory>
#include <string>
#include <vector>

#include "controls/layer.h"

namespace Vcl {

struct ControlKindInfo {
    std::string element;
    Kind kind;
    std::unique_ptr<Layer> (*create)();
};

// Every registered kind, in kind-number order.
std::vector<ControlKindInfo> ControlKinds();
// The control of an element keyword, with its kind and element set; null
// for other names.
std::unique_ptr<Layer> CreateControl(const std::string& element);

namespace registry_detail {
bool Register(const char* element, Kind kind, std::unique_ptr<Layer> (*create)());
}

}  // namespace Vcl

// Registers `Class` for `keyword` at start-up, from the kind's own file;
// used inside namespace Vcl.
#define ZUDOZ_CONTROL_KIND(keyword, kindValue, Class)                                  \
    [[maybe_unused]] static const bool kRegistered##Class = registry_detail::Register( \
        keyword, kindValue, []() -> std::unique_ptr<Layer> { return std::make_unique<Class>(); })
