#pragma once
// The process-wide list of window objects; the first one built is the main
// window.
#include <memory>
#include <string>
#include <vector>

#include "window/window.h"

class xWindowManager {
public:
    static xWindowManager& Instance();
    static void Destroy();

    // Builds every description of "window.xml"; returns how many loaded.
    int buildAll(const std::string& windowXml);
    Vcl::Window* add(std::unique_ptr<Vcl::Window> window);
    // The loaded window whose "id" is `name` (the first of that id).
    Vcl::Window* find(const std::string& name) const;
    bool owns(const Vcl::Window* window) const;
    // Destroys every window; the main-window pointer is cleared first.
    void clear();

    Vcl::Window* mainWindow() const { return main_; }
    const std::vector<std::unique_ptr<Vcl::Window>>& windows() const { return windows_; }

private:
    std::vector<std::unique_ptr<Vcl::Window>> windows_;
    Vcl::Window* main_ = nullptr;
};
