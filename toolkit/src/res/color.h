#pragma once
// "color" resources, and the copies colour attributes make of them.
#include <cstdint>
#include <string>

#include "res/resource.h"

namespace Res {

// "#p1p2p3[,AA]" with red = p3, green = p2, blue = p1; 0 when malformed.
uint32_t ParseColor(const std::string& value);

class xColor : public xResource {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadContext& context) override;
    uint32_t argb = 0xFF000000u;
    // Native order 0x00BBGGRR, alpha dropped.
    uint32_t native() const {
        return ((argb & 0xFF) << 16) | (argb & 0xFF00) | ((argb >> 16) & 0xFF);
    }
};

}  // namespace Res
