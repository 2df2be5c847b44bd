#pragma once
// Helpers for the toolkit tests: packages written to a private temporary
// folder, and pictures encoded in memory.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <glib.h>

#include <map>
#include <string>
#include <vector>

#include "res/package.h"
#include "res/resource_manager.h"
#include "support/process.h"
#include "window/window_manager.h"

namespace testing_support {

class TempDir {
public:
    TempDir() {
        char* d = g_dir_make_tmp("zudoz-test-XXXXXX", nullptr);
        path_ = d ? d : "";
        g_free(d);
    }
    ~TempDir() {
        if (!path_.empty()) {
            zvtest::RemoveTree(path_);
        }
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

using Entries = std::vector<std::pair<std::string, std::string>>;

inline bool WritePackage(const std::string& path, const Entries& entries) {
    Res::xPackageWriter writer;
    for (const auto& [name, bytes] : entries) {
        writer.add(name, bytes);
    }
    return writer.write(path);
}

// A PNG of w x h filled with one colour.
inline std::string Png(int w, int h, uint32_t rgba = 0xFF0000FFu) {
    GdkPixbuf* p = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, w, h);
    gdk_pixbuf_fill(p, rgba);
    gchar* buffer = nullptr;
    gsize size = 0;
    gdk_pixbuf_save_to_buffer(p, &buffer, &size, "png", nullptr, nullptr);
    std::string out(buffer, size);
    g_free(buffer);
    g_object_unref(p);
    return out;
}

inline std::string ResourceXml(const std::string& sets) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><resources>" + sets + "</resources>";
}

inline std::string Set(const std::string& language, const std::string& body) {
    return "<resource language=\"" + language + "\">" + body + "</resource>";
}

// Fresh registry and window list for each test.
struct RegistryReset {
    RegistryReset() { Clear(); }
    ~RegistryReset() { Clear(); }
    static void Clear() {
        Vcl::xWindowManager::Destroy();
        Res::xResourceManager::Destroy();
    }
};

}  // namespace testing_support
