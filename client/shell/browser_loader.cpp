#include "browser_loader.h"

#include <dlfcn.h>

namespace zv {

namespace {

std::string LastDlError(const char* fallback) {
    const char* error = dlerror();
    return error != nullptr ? error : fallback;
}

}  // namespace

LoadedBrowser LoadBrowserModule(const std::string& file) {
    LoadedBrowser loaded;
    dlerror();
    // Local: the module's copies of the client's static parts must not stand
    // in for the program's own. Now: a missing symbol fails here, not later.
    void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        loaded.error = LastDlError("the module could not be opened");
        return loaded;
    }
    auto version =
        reinterpret_cast<ZvBrowserModuleVersionFn>(dlsym(module, kZvBrowserModuleVersionSymbol));
    auto create =
        reinterpret_cast<ZvBrowserRuntimeCreateFn>(dlsym(module, kZvBrowserRuntimeCreateSymbol));
    if (version == nullptr || create == nullptr) {
        loaded.error = file + " is not the client's browser module";
        dlclose(module);
        return loaded;
    }
    if (const int built = version(); built != browser::kBrowserModuleVersion) {
        loaded.error = file + " is of version " + std::to_string(built) + ", the client needs " +
                       std::to_string(browser::kBrowserModuleVersion);
        dlclose(module);
        return loaded;
    }
    // From here on the module stays (see the header): the handle is let go.
    loaded.runtime.reset(create());
    if (!loaded.runtime) {
        loaded.error = "the browser runtime did not start";
    }
    return loaded;
}

}  // namespace zv
