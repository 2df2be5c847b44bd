#pragma once
// Base of the six resource kinds of "resource.xml". Each kind loads itself
// from its "res" element through a load context; the registry
// (xResourceManager) owns the loaded objects.
#include <tinyxml2.h>

#include <string>

namespace Res {

struct LoadContext;

class xResource {
public:
    virtual ~xResource() = default;
    virtual bool load(const tinyxml2::XMLElement* element, const LoadContext& context) = 0;

    std::string id;
    std::string type = "unkown";  // the kind name as written by the package's tools
};

}  // namespace Res
