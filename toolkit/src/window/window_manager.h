#pragma once
// The process-wide list of window objects; the first one built is the main
// window.
#include <memory>
#include <string>
#include <vector>

#include "window/window.h"

namespace Res {
class xResourceManager;
}

namespace Vcl {

class xWindowManager {
public:
    static xWindowManager& Instance();
    static void Destroy();

    // Builds every description of "window.xml" with the resources of
    // `registry`; returns how many loaded.
    int buildAll(const std::string& windowXml, const Res::xResourceManager& registry);
    Window* add(std::unique_ptr<Window> window);
    // The loaded window whose "id" is `name` (the first of that id).
    Window* find(const std::string& name) const;
    bool owns(const Window* window) const;
    // Destroys every window; the main-window pointer is cleared first.
    void clear();

    Window* mainWindow() const { return main_; }
    const std::vector<std::unique_ptr<Window>>& windows() const { return windows_; }

private:
    std::vector<std::unique_ptr<Window>> windows_;
    Window* main_ = nullptr;
};

}  // namespace Vcl
