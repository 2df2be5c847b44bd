#include "xf_app.h"

#include <gtk/gtk.h>

#include "platform/utf.h"

namespace xf {

void PostQuit() {
    g_idle_add_full(
        G_PRIORITY_HIGH_IDLE,
        [](gpointer) -> gboolean {
            gtk_main_quit();
            return G_SOURCE_REMOVE;
        },
        nullptr, nullptr);
}

}  // namespace xf

void xfApp::onRun(int starting) {
    if (starting) {
        OnInit();
    } else {
        OnExit();
    }
}

int xfApp::Run(const std::string& packagePath, const char* language) {
    return XUI_LOAD(this, zv::Utf8ToUtf16(packagePath).c_str(), language);
}
