#include "res/resource_manager.h"

#include <fcntl.h>
#include <glib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/paths.h"
#include "platform/trace.h"
#include "res/xml_attr.h"

namespace {

std::unique_ptr<xResourceManager>& Slot() {
    static std::unique_ptr<xResourceManager> instance;
    return instance;
}

char g_language[128];

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

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
        slot.reset(new xResourceManager());
    }
    return *slot;
}

void xResourceManager::Destroy() {
    Slot().reset();
}

bool xResourceManager::Exists() {
    return Slot() != nullptr;
}

Res::xResource* xResourceManager::find(const std::string& id) const {
    auto it = resources_.find(id);
    return it == resources_.end() ? nullptr : it->second.get();
}

void xResourceManager::put(std::unique_ptr<Res::xResource> resource) {
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

int FillRegistry(xResourceManager& registry, const tinyxml2::XMLElement* set) {
    int stored = 0;
    for (auto* e = set ? set->FirstChildElement("res") : nullptr; e;
         e = e->NextSiblingElement("res")) {
        const char* id = e->Attribute("id");
        const char* type = e->Attribute("type");
        if (!id || !type) {
            continue;
        }
        auto resource = Res::CreateResource(type);
        if (!resource) {
            continue;
        }
        if (!resource->load(e)) {
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
    FillRegistry(*this, set);
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

std::unique_ptr<Res::xColor> xResourceManager::readColor(const char* value) const {
    if (!value) {
        return nullptr;
    }
    std::string text(value);
    size_t comma = text.find(',');
    std::string name = text.substr(0, comma);
    auto* source = findAs<Res::xColor>(name);
    if (!source) {
        return nullptr;
    }
    auto copy = std::make_unique<Res::xColor>(*source);
    if (comma != std::string::npos) {
        int alpha = xml::ParseDecimal(text.c_str() + comma + 1);
        if (alpha > 0 && alpha <= 255) {
            copy->argb = (copy->argb & 0x00FFFFFFu) | uint32_t(alpha) << 24;
        }
    }
    return copy;
}

std::unique_ptr<Res::xImage> xResourceManager::readImage(const char* value) const {
    if (!value) {
        return nullptr;
    }
    std::string text(value);
    size_t comma = text.find(',');
    auto* source = findAs<Res::xImage>(text.substr(0, comma));
    if (!source) {
        return nullptr;
    }
    int index = comma == std::string::npos ? 0 : xml::ParseDecimal(text.c_str() + comma + 1);
    return source->share(index);
}

std::optional<std::string> xResourceManager::extractEntry(const std::string& name) {
    auto bytes = main_.read(name);
    if (!bytes || bytes->empty()) {
        return std::nullopt;
    }
    std::string extension;
    size_t dot = name.rfind('.');
    size_t slash = name.rfind('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        extension = name.substr(dot);
    }
    if (extension.find('\0') != std::string::npos) {
        extension.clear();  // a name with a NUL byte would not be the file we return
    }
    // The temporary folder is shared: a name that already exists is never
    // written through (it could be a planted link); the counter moves on.
    for (int attempt = 0; attempt < 16; ++attempt) {
        char base[96];
        std::snprintf(base, sizeof(base), "xui.%lu.%lu.%lu", static_cast<unsigned long>(getpid()),
                      tempCounter_++, static_cast<unsigned long>(g_get_monotonic_time() / 1000));
        std::string path = zv::JoinPath(zv::TempFolder(), base + extension);
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return std::nullopt;
        }
        bool ok = WriteAll(fd, *bytes);
        ok = (::close(fd) == 0) && ok;
        if (!ok) {
            ::unlink(path.c_str());
            return std::nullopt;
        }
        return path;
    }
    return std::nullopt;
}
