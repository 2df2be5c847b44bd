#pragma once
// The process-wide resource registry: the main package and its ".cust"
// overlay, and every resource of the chosen language set by id.
#include <tinyxml2.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "res/load_context.h"
#include "res/package.h"
#include "res/resource_kinds.h"

namespace Res {

class xResourceManager {
public:
    // The process-wide registry of XUI_LOAD and the exports, created on first
    // use; Destroy() closes the packages and frees every resource (temporary
    // files stay on disk). Tests may make registries of their own.
    static xResourceManager& Instance();
    static void Destroy();
    static bool Exists();

    // Opens the main package, reads "resource.xml" and "window.xml" and fills
    // the registry from the language set. False when any of that fails (then
    // nothing of the package is kept).
    bool loadMain(const std::string& path, const std::string& language);
    // The overlay (the main path + ".cust"): only "resource.xml"; its
    // resources replace those of the same id. False when it was not used.
    bool loadOverlay(const std::string& path, const std::string& language);

    // Look-up by exact id; never creates an entry.
    xResource* find(const std::string& id) const;
    template <typename T>
    T* findAs(const std::string& id) const {
        return dynamic_cast<T*>(find(id));
    }
    // Stores a resource under its id, replacing an existing one.
    void put(std::unique_ptr<xResource> resource);
    size_t size() const { return resources_.size(); }
    // Visits every resource in id order (read-only inspection).
    template <typename F>
    void forEach(F&& visit) const {
        for (const auto& entry : resources_) {
            visit(*entry.second);
        }
    }

    // Colour attribute "name" or "name,alpha": a new colour copied from the
    // colour resource `name`, alpha replaced when 1..255. Null when the name
    // is not a colour resource.
    std::unique_ptr<xColor> readColor(const char* value) const;
    // Image attribute "name" or "name,index": a new image sharing the picture
    // of resource `name` at that frame. Null when absent or undefined.
    std::unique_ptr<xImage> readImage(const char* value) const;

    const xPackage& mainPackage() const { return main_; }
    const std::string& packagePath() const { return mainPath_; }
    const std::string& windowXml() const { return windowXml_; }

    // Font sizes in pixels follow the screen; set before loading (96 by default).
    void setScreenDpi(int dpi) { screenDpi_ = dpi > 0 ? dpi : 96; }
    // What loaders of this registry's resources may reach.
    LoadContext loadContext();

    xResourceManager() = default;
    xResourceManager(const xResourceManager&) = delete;
    xResourceManager& operator=(const xResourceManager&) = delete;

private:
    bool loadSets(const std::string& resourceXml, const std::string& language);

    xPackage main_;
    xPackage overlay_;
    std::string mainPath_;
    std::string directory_;
    std::string windowXml_;
    std::map<std::string, std::unique_ptr<xResource>> resources_;
    int menuCounter_ = 0;
    unsigned long tempCounter_ = 0;
    int screenDpi_ = 96;
};

// The "resource" element chosen for `language` under "resources": the first
// whose "language" equals it byte for byte, else the first one; null when
// there is none.
const tinyxml2::XMLElement* SelectLanguageSet(const tinyxml2::XMLElement* resources,
                                              const std::string& language);

// Fills the registry from the "res" children of a language set, skipping
// elements without id or type, of other types, or whose load fails.
// Returns the number of resources stored.
int FillRegistry(xResourceManager& registry, const tinyxml2::XMLElement* set,
                 const LoadContext& context);

// The process-wide language code (at most 127 bytes are kept).
void SetLanguage(const char* language);
const char* Language();

}  // namespace Res
