// The entry points of libzvbrowser.so: the runtime over BrowserApp. Only these
// two symbols leave the module.
#include "browser_module.h"

#include <exception>
#include <memory>

#include "browser_app.h"
#include "platform/trace.h"

namespace {

class ModuleRuntime final : public zv::browser::BrowserRuntime {
public:
    bool Start() { return app_.Initialize(); }

    void CreateView(GtkWidget* parent, const zv::browser::ViewRect& rect, const std::string& url,
                    zv::browser::WebViewCallback* callback) override {
        app_.CreateView(parent, rect, url, callback);
    }

    void Shutdown() override { app_.Shutdown(); }

private:
    zv::browser::BrowserApp app_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) int zv_browser_module_version() {
    return zv::browser::kBrowserModuleVersion;
}

extern "C" __attribute__((visibility("default"))) zv::browser::BrowserRuntime*
zv_browser_runtime_create() {
    // Nothing may be thrown into the program that loaded the module.
    try {
        auto runtime = std::make_unique<ModuleRuntime>();
        if (!runtime->Start()) {
            ZV_TRACE("browser module: the runtime did not start");
            return nullptr;
        }
        return runtime.release();
    } catch (const std::exception& e) {
        ZV_TRACE("browser module: %s", e.what());
        return nullptr;
    } catch (...) {
        ZV_TRACE("browser module: the runtime could not be made");
        return nullptr;
    }
}
