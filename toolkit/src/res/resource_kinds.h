#pragma once
// Every resource kind, and the factory from a "type" value.
#include <memory>
#include <string>

#include "res/color.h"
#include "res/data.h"
#include "res/font.h"
#include "res/image.h"
#include "res/menu.h"
#include "res/text.h"

namespace Res {

// The class for a "type" value; null for unknown types.
std::unique_ptr<xResource> CreateResource(const std::string& type);

}  // namespace Res
