#include "window/window_manager.h"

#include <algorithm>

#include "platform/trace.h"

namespace Vcl {

namespace {

std::unique_ptr<xWindowManager>& Slot() {
    static std::unique_ptr<xWindowManager> instance;
    return instance;
}

}  // namespace

xWindowManager& xWindowManager::Instance() {
    auto& slot = Slot();
    if (!slot) {
        slot = std::make_unique<xWindowManager>();
    }
    return *slot;
}

void xWindowManager::Destroy() {
    if (Slot()) {
        Slot()->clear();
        Slot().reset();
    }
}

int xWindowManager::buildAll(const std::string& windowXml, const Res::xResourceManager& registry) {
    tinyxml2::XMLDocument doc;
    if (doc.Parse(windowXml.data(), windowXml.size()) != tinyxml2::XML_SUCCESS) {
        ZV_TRACE("xui: window.xml: %s", doc.ErrorStr());
        return 0;
    }
    const tinyxml2::XMLElement* windows = doc.FirstChildElement("windows");
    int built = 0;
    for (auto* e = windows ? windows->FirstChildElement() : nullptr; e;
         e = e->NextSiblingElement()) {
        auto w = std::make_unique<Window>();
        if (!w->load(e, LoadScope{registry})) {
            ZV_TRACE("xui: window description <%s id=%s> skipped", e->Name(), e->Attribute("id"));
            continue;
        }
        add(std::move(w));
        ++built;
    }
    return built;
}

Window* xWindowManager::add(std::unique_ptr<Window> window) {
    windows_.push_back(std::move(window));
    if (!main_) {
        main_ = windows_.back().get();
    }
    return windows_.back().get();
}

Window* xWindowManager::find(const std::string& name) const {
    for (const auto& w : windows_) {
        if (w->name == name) {
            return w.get();
        }
    }
    return nullptr;
}

bool xWindowManager::owns(const Window* window) const {
    return std::any_of(windows_.begin(), windows_.end(),
                       [&](const std::unique_ptr<Window>& w) { return w.get() == window; });
}

void xWindowManager::clear() {
    main_ = nullptr;
    // Natives first (their destroy signals look at the list), then the objects.
    for (auto& w : windows_) {
        if (w->native) {
            w->native->destroy();
        }
    }
    windows_.clear();
}

}  // namespace Vcl
