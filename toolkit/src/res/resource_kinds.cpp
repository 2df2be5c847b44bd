#include "res/resource_kinds.h"

#include <string_view>

namespace Res {

namespace {

template <typename T>
std::unique_ptr<xResource> Make() {
    return std::make_unique<T>();
}

struct KindEntry {
    std::string_view type;
    std::unique_ptr<xResource> (*create)();
};

constexpr KindEntry kKinds[] = {
    {"string", Make<xText>}, {"color", Make<xColor>}, {"image", Make<xImage>},
    {"font", Make<xFont>},   {"data", Make<xData>},   {"menu", Make<xMenu>},
};

}  // namespace

std::unique_ptr<xResource> CreateResource(const std::string& type) {
    for (const auto& kind : kKinds) {
        if (kind.type == type) {
            return kind.create();
        }
    }
    return nullptr;
}

}  // namespace Res
