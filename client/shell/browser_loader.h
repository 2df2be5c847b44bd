#pragma once
// Opens the browser module and starts its runtime. The module stays loaded
// until the process ends: GLib types and WebKit's threads it registers cannot
// be unloaded.
#include <memory>
#include <string>

#include "browser_module.h"

namespace zv {

struct LoadedBrowser {
    std::unique_ptr<browser::BrowserRuntime> runtime;  // null on failure
    std::string error;                                 // why, when null
};

// Loads `file` (a path) and starts its runtime.
LoadedBrowser LoadBrowserModule(const std::string& file);

}  // namespace zv
