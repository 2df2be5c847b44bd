#include "res/data.h"

#include <fstream>
#include <iterator>

#include "res/load_context.h"
#include "res/xml_attr.h"

namespace Res {

bool xData::load(const tinyxml2::XMLElement* element, const LoadContext& context) {
    source = xml::ElementText(element);
    if (source.empty()) {
        return true;
    }
    if (xml::LooseBool(element, "localfile")) {
        path = context.directory + "/" + source;
    } else {
        auto extracted = context.extract(source);
        if (!extracted) {
            return false;
        }
        path = *extracted;
    }
    std::ifstream in(path, std::ios::binary);
    if (in) {
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return true;
}

}  // namespace Res
