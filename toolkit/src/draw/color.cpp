#include "draw/color.h"

namespace Vcl {

namespace {

// Up to `count` hexadecimal digits from `from`; stops at the first other character.
uint32_t ReadHex(std::string_view s, size_t from, size_t count) {
    uint32_t v = 0;
    for (size_t i = from; i < s.size() && i - from < count; ++i) {
        const char c = s[i];
        uint32_t digit;
        if (c >= '0' && c <= '9') {
            digit = uint32_t(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = uint32_t(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = uint32_t(c - 'A' + 10);
        } else {
            break;
        }
        v = v << 4 | digit;
    }
    return v;
}

}  // namespace

Color Color::Parse(std::string_view text) {
    const size_t hash = text.rfind('#');
    if (text.size() < 7 || hash == std::string_view::npos || text.size() - hash - 1 < 6) {
        return Color();
    }
    const uint32_t written = ReadHex(text, hash + 1, 6);  // p1 p2 p3, blue first
    const uint32_t blue = written >> 16 & 0xFF, green = written >> 8 & 0xFF, red = written & 0xFF;
    uint32_t alpha = 0xFF;
    const size_t comma = text.rfind(',');
    if (comma != std::string_view::npos && comma > hash && comma + 1 < text.size()) {
        // Only the low byte counts, so a long alpha text cannot spill into red.
        alpha = ReadHex(text, comma + 1, 8) & 0xFF;
    }
    return Color(alpha << 24 | red << 16 | green << 8 | blue);
}

}  // namespace Vcl
