#pragma once
// "color" resources, and the copies colour attributes make of them.
#include <cstdint>
#include <string>

#include "draw/color.h"
#include "res/resource.h"

namespace Res {

class xColor : public xResource {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadContext& context) override;
    // The colour as ARGB ("#p1p2p3[,AA]" in the package, see Vcl::Color::Parse).
    uint32_t argb = 0xFF000000u;
    // Native order 0x00BBGGRR, alpha dropped.
    uint32_t native() const { return Vcl::Color::FromArgb(argb).native(); }
};

}  // namespace Res
