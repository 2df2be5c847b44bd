#pragma once
// "string" resources: the element's text as UTF-16.
#include <string>

#include "res/resource.h"

namespace Res {

class xText : public xResource {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadContext& context) override;
    std::u16string text;
};

}  // namespace Res
