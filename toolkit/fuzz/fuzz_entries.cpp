#include "fuzz_entries.h"

#include <glib.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "res/package.h"
#include "res/resource_manager.h"
#include "window/window_manager.h"

namespace fuzz {

int PackageOne(const uint8_t* data, size_t size) {
    Res::xPackage p;
    if (!p.openBytes(std::vector<uint8_t>(data, data + size))) {
        return p.entries().empty() ? 0 : -1;
    }
    for (const auto& [name, entry] : p.entries()) {
        if (uint64_t(entry.offset) + entry.length > size) {
            return -1;
        }
        auto bytes = p.read(name);
        if (!bytes || bytes->size() != entry.length) {
            return -1;
        }
    }
    return 0;
}

namespace {

// The registry every window input builds against, made once per process.
bool PrepareRegistry() {
    static bool ready = [] {
        Res::xPackageWriter w;
        w.add("resource.xml", std::string("<resources><resource>"
                                          "<res id=\"s\" type=\"string\">text</res>"
                                          "<res id=\"c\" type=\"color\" color=\"#102030\"/>"
                                          "<res id=\"f\" type=\"font\" face=\"Sans\" size=\"9\"/>"
                                          "</resource></resources>"));
        w.add("window.xml", std::string("<windows/>"));
        w.add("part.xml",
              std::string(
                  "<module><button id=\"inc\"/><panel><label id=\"deep\"/></panel></module>"));
        w.add("loop.xml",
              std::string("<module><layer src=\"loop\"/><layer src=\"part\"/></module>"));
        char path[] = "/tmp/zudoz-fuzz-XXXXXX";
        int fd = mkstemp(path);
        if (fd < 0) {
            return false;
        }
        close(fd);
        bool ok = w.write(path) && Res::xResourceManager::Instance().loadMain(path, "");
        unlink(path);  // the package stays open
        return ok;
    }();
    return ready;
}

bool Reachable(const Vcl::TreeNode& node, const Vcl::Layer* target) {
    if (node.control.get() == target) {
        return true;
    }
    for (const auto& c : node.children) {
        if (Reachable(*c, target)) {
            return true;
        }
    }
    return false;
}

}  // namespace

int WindowXmlOne(const uint8_t* data, size_t size) {
    if (!PrepareRegistry()) {
        return 0;
    }
    auto& manager = Vcl::xWindowManager::Instance();
    manager.buildAll(std::string(reinterpret_cast<const char*>(data), size),
                     Res::xResourceManager::Instance());
    int result = 0;
    for (const auto& w : manager.windows()) {
        for (const auto& [name, control] : w->names) {
            if (control->name != name || !w->root || !Reachable(*w->root, control)) {
                result = -1;
            }
        }
    }
    Vcl::xWindowManager::Destroy();
    return result;
}

}  // namespace fuzz
