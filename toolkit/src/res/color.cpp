#include "res/color.h"

#include "res/xml_attr.h"

namespace Res {

namespace {

// Up to `count` hexadecimal digits; stops at the first other character.
uint32_t ReadHex(const std::string& s, size_t from, size_t count) {
    uint32_t v = 0;
    for (size_t i = from; i < s.size() && i < from + count; ++i) {
        char c = s[i];
        int d;
        if (c >= '0' && c <= '9') {
            d = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            d = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            d = c - 'A' + 10;
        } else {
            break;
        }
        v = v * 16 + uint32_t(d);
    }
    return v;
}

}  // namespace

uint32_t ParseColor(const std::string& value) {
    size_t hash = value.rfind('#');
    if (value.size() < 7 || hash == std::string::npos || value.size() - hash - 1 < 6) {
        return 0;
    }
    uint32_t written = ReadHex(value, hash + 1, 6);  // p1 p2 p3
    uint32_t p1 = (written >> 16) & 0xFF, p2 = (written >> 8) & 0xFF, p3 = written & 0xFF;
    uint32_t alpha = 0xFF;
    size_t comma = value.rfind(',');
    if (comma != std::string::npos && comma > hash && comma + 1 < value.size()) {
        // Only the low byte counts; longer alpha texts cannot spill into red.
        alpha = ReadHex(value, comma + 1, 8) & 0xFF;
    }
    return alpha << 24 | p3 << 16 | p2 << 8 | p1;
}

bool xColor::load(const tinyxml2::XMLElement* element, const LoadContext&) {
    argb = ParseColor(xml::Text(element, "color"));
    return true;
}

}  // namespace Res
