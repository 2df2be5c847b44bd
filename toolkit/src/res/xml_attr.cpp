#include "res/xml_attr.h"

#include <strings.h>

#include <cmath>
#include <cstdlib>

namespace Res::xml {

int ParseDecimal(const char* text) {
    if (!text) {
        return 0;
    }
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r') {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > kDecimalLimit) {
            value = kDecimalLimit;
        }
    }
    return static_cast<int>(negative ? -value : value);
}

double ParseReal(const char* text, double fallback) {
    if (!text) {
        return fallback;
    }
    char* end = nullptr;
    double v = std::strtod(text, &end);
    if (end == text || !std::isfinite(v)) {
        return fallback;
    }
    return v;
}

int Decimal(const tinyxml2::XMLElement* e, const char* name, int fallback) {
    const char* v = e ? e->Attribute(name) : nullptr;
    return v ? ParseDecimal(v) : fallback;
}

double Real(const tinyxml2::XMLElement* e, const char* name, double fallback) {
    const char* v = e ? e->Attribute(name) : nullptr;
    return v ? ParseReal(v, fallback) : fallback;
}

bool StrictBool(const tinyxml2::XMLElement* e, const char* name) {
    const char* v = e ? e->Attribute(name) : nullptr;
    return v && std::string(v) == "true";
}

bool LooseBool(const tinyxml2::XMLElement* e, const char* name) {
    const char* v = e ? e->Attribute(name) : nullptr;
    return v && (strcasecmp(v, "true") == 0 || strcasecmp(v, "yes") == 0);
}

std::string Text(const tinyxml2::XMLElement* e, const char* name) {
    const char* v = e ? e->Attribute(name) : nullptr;
    return v ? std::string(v) : std::string();
}

bool Has(const tinyxml2::XMLElement* e, const char* name) {
    return e && e->Attribute(name) != nullptr;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (true) {
        size_t comma = text.find(',', start);
        out.push_back(
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    return out;
}

std::string ElementText(const tinyxml2::XMLElement* e) {
    const char* t = e ? e->GetText() : nullptr;
    return t ? std::string(t) : std::string();
}

}  // namespace Res::xml
