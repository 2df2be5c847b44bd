#pragma once
// "data" resources: a file of the package (extracted to a temporary file) or
// beside it ("localfile"), with its bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "res/resource.h"

namespace Res {

class xData : public xResource {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadContext& context) override;
    std::vector<uint8_t> content;
    std::string source;
    std::string path;  // the file the content was read from
};

}  // namespace Res
