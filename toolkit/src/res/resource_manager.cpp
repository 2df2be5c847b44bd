#include "res/resource_manager.h"

#include <cstdio>

#include "platform/trace.h"
#include "res/xml_attr.h"

namespace Res {

namespace {

std::unique_ptr<xResourceManager>& Slot() {
    static std::unique_ptr<xResourceManager> instance;
    return instance;
}

char g_language[128];

}  // namespace

void SetLanguage(const char* language) {
    std::snprintf(g_language, sizeof(g_language), "%s", language ? language : "");
}

const char* Language() {
    return g_language;
}

xResourceManager& xResourceManager::Instance() {
    auto& slot = Slot();
    if (!slot) {
        slot = std::make_unique<xResourceManager>();
    }
    return *slot;
}

void xResourceManager::Destroy() {
    Slot().reset();
}

bool xResourceManager::Exists() {
    return Slot() != nullptr;
}

xResource* xResourceManager::find(const std::string& id) const {
    auto it = resources_.find(id);
    return it == resources_.end() ? nullptr : it->second.get();
}

void xResourceManager::put(std::unique_ptr<xResource> resource) {
    std::string key = resource->id;
    resources_[key] = std::move(resource);
}

const tinyxml2::XMLElement* SelectLanguageSet(const tinyxml2::XMLElement* resources,
                                              const std::string& language) {
    if (!resources) {
        return nullptr;
    }
    const tinyxml2::XMLElement* first = resources->FirstChildElement("resource");
    if (language.empty()) {
        return first;
    }
    for (auto* e = first; e; e = e->NextSiblingElement("resource")) {
        const char* code = e->Attribute("language");
        if (code && language == code) {
            return e;
        }
    }
    return first;
}

int FillRegistry(xResourceManager& registry, const tinyxml2::XMLElement* set,
                 const LoadContext& context) {
    int stored = 0;
    for (auto* e = set ? set->FirstChildElement("res") : nullptr; e;
         e = e->NextSiblingElement("res")) {
        const char* id = e->Attribute("id");
        const char* type = e->Attribute("type");
        if (!id || !type) {
            continue;
        }
        auto resource = CreateResource(type);
        if (!resource) {
            continue;
        }
        if (!resource->load(e, context)) {
            ZV_TRACE("xui: resource %s (%s) not loaded", id, type);
            continue;
        }
        resource->id = id;
        resource->type = type;
        registry.put(std::move(resource));
        ++stored;
    }
    return stored;
}

bool xResourceManager::loadSets(const std::string& resourceXml, const std::string& language) {
    tinyxml2::XMLDocument doc;
    if (doc.Parse(resourceXml.data(), resourceXml.size()) != tinyxml2::XML_SUCCESS) {
        ZV_TRACE("xui: resource.xml: %s", doc.ErrorStr());
        return false;
    }
    const tinyxml2::XMLElement* set =
        SelectLanguageSet(doc.FirstChildElement("resources"), language);
    if (!set) {
        return false;
    }
    FillRegistry(*this, set, loadContext());
    return true;
}

bool xResourceManager::loadMain(const std::string& path, const std::string& language) {
    if (!main_.open(path)) {
        ZV_TRACE("xui: package %s cannot be opened", path.c_str());
        return false;
    }
    mainPath_ = path;
    size_t slash = path.rfind('/');
    directory_ = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    auto resourceXml = main_.readText("resource.xml");
    auto windowXml = main_.readText("window.xml");
    if (!resourceXml || resourceXml->empty() || !windowXml || windowXml->empty() ||
        !loadSets(*resourceXml, language)) {
        main_.close();
        resources_.clear();
        return false;
    }
    windowXml_ = std::move(*windowXml);
    return true;
}

bool xResourceManager::loadOverlay(const std::string& path, const std::string& language) {
    if (!overlay_.open(path)) {
        return false;
    }
    auto resourceXml = overlay_.readText("resource.xml");
    if (!resourceXml || resourceXml->empty()) {
        return false;
    }
    return loadSets(*resourceXml, language);
}

std::unique_ptr<xColor> xResourceManager::readColor(const char* value) const {
    if (!value) {
        return nullptr;
    }
    std::string text(value);
    size_t comma = text.find(',');
    std::string name = text.substr(0, comma);
    auto* source = findAs<xColor>(name);
    if (!source) {
        return nullptr;
    }
    auto copy = std::make_unique<xColor>(*source);
    if (comma != std::string::npos) {
        int alpha = xml::ParseDecimal(text.c_str() + comma + 1);
        if (alpha > 0 && alpha <= 255) {
            copy->argb = (copy->argb & 0x00FFFFFFu) | uint32_t(alpha) << 24;
        }
    }
    return copy;
}

std::unique_ptr<xImage> xResourceManager::readImage(const char* value) const {
    if (!value) {
        return nullptr;
    }
    std::string text(value);
    size_t comma = text.find(',');
    auto* source = findAs<xImage>(text.substr(0, comma));
    if (!source) {
        return nullptr;
    }
    int index = comma == std::string::npos ? 0 : xml::ParseDecimal(text.c_str() + comma + 1);
    return source->share(index);
}

LoadContext xResourceManager::loadContext() {
    LoadContext context;
    context.main = &main_;
    context.overlay = overlay_.isOpen() ? &overlay_ : nullptr;
    context.directory = directory_;
    context.screenDpi = screenDpi_;
    context.menuCounter = &menuCounter_;
    context.extractCounter = &tempCounter_;
    return context;
}

}  // namespace Res
