#include "platform/launch.h"

#include <gio/gio.h>
#include <glib.h>

#include <cstdlib>

#include "platform/trace.h"

namespace zv {

namespace {

bool Spawn(const std::vector<std::string>& argv) {
    std::vector<gchar*> raw;
    raw.reserve(argv.size() + 1);
    for (const auto& a : argv) {
        raw.push_back(const_cast<gchar*>(a.c_str()));
    }
    raw.push_back(nullptr);
    GError* error = nullptr;
    // Without DO_NOT_REAP_CHILD GLib reaps the child itself: no zombies.
    gboolean ok = g_spawn_async(nullptr, raw.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr,
                                nullptr, &error);
    if (!ok) {
        ZV_TRACE("SpawnProgram: %s: %s", argv[0].c_str(), error ? error->message : "failed");
        g_clear_error(&error);
    }
    return ok;
}

}  // namespace

bool SpawnProgram(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    return Spawn(argv);
}

bool OpenUri(const std::string& uri) {
    if (const char* opener = std::getenv("ZELVIO_OPENER"); opener != nullptr && *opener != '\0') {
        return Spawn({opener, uri});
    }
    GError* error = nullptr;
    gboolean ok = g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &error);
    if (!ok) {
        ZV_TRACE("OpenUri: %s: %s", uri.c_str(), error ? error->message : "failed");
        g_clear_error(&error);
    }
    return ok;
}

bool OpenFile(const std::string& path) {
    if (const char* opener = std::getenv("ZELVIO_OPENER"); opener != nullptr && *opener != '\0') {
        return Spawn({opener, path});
    }
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (uri == nullptr) {
        return false;
    }
    bool ok = OpenUri(uri);
    g_free(uri);
    return ok;
}

}  // namespace zv
