// Text, colour and data resources.
#include <cstdio>
#include <fstream>

#include "platform/utf.h"
#include "res/resource.h"
#include "res/resource_manager.h"
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

bool xText::load(const tinyxml2::XMLElement* element) {
    text = zv::Utf8ToUtf16(xml::ElementText(element));
    return true;
}

bool xColor::load(const tinyxml2::XMLElement* element) {
    argb = ParseColor(xml::Text(element, "color"));
    return true;
}

bool xData::load(const tinyxml2::XMLElement* element) {
    source = xml::ElementText(element);
    if (source.empty()) {
        return true;
    }
    auto& registry = xResourceManager::Instance();
    if (xml::LooseBool(element, "localfile")) {
        path = registry.packageDirectory() + "/" + source;
    } else {
        auto extracted = registry.extractEntry(source);
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

std::unique_ptr<xResource> CreateResource(const std::string& type) {
    std::unique_ptr<xResource> r;
    if (type == "string") {
        r = std::make_unique<xText>();
    } else if (type == "color") {
        r = std::make_unique<xColor>();
    } else if (type == "image") {
        r = std::make_unique<xImage>();
    } else if (type == "font") {
        r = std::make_unique<xFont>();
    } else if (type == "data") {
        r = std::make_unique<xData>();
    } else if (type == "menu") {
        r = std::make_unique<xMenu>();
    }
    return r;
}

}  // namespace Res
