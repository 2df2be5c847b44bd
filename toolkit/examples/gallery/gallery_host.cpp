// The gallery's host: runs the gallery window and prints one line per event
// it receives, flushed at once, so a test or a person can follow it:
//
//   event <control> <code> <param> [row=<id>]
//   menu "<chosen id>"            (after the menu button's popup closed)
//   msgbox <1 OK | 2 otherwise>   (after the record button's message box)
//   exit <XUI_LOAD result>
//
//   zudoz_gallery [package] [--swallow-key <vk>]... [--still]
//
// The package defaults to gallery.dat beside the program. --swallow-key
// clears pass for that virtual key in the edit "e.text"; --still stops the
// level and spinner animation (steady pictures for tests and screenshots).
#include <gtk/gtk.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "zudoz.h"

namespace {

constexpr unsigned kAnimationTimer = 1;
constexpr int kLevelFrames = 21;
constexpr int kSpinnerFrames = 8;

std::u16string Wide(const char* utf8) {
    glong n = 0;
    gunichar2* w = g_utf8_to_utf16(utf8, -1, nullptr, &n, nullptr);
    std::u16string out = w ? std::u16string(reinterpret_cast<char16_t*>(w), n) : u"";
    g_free(w);
    return out;
}

struct Identity {
    std::string name;
    int row = -1;
};

Identity IdentityOf(XuiControl* control) {
    char name[128] = {};
    int row = -1;
    XUI_COMMON_GET(control, name, sizeof(name), nullptr, 0, nullptr, 0, &row);
    return {name, row};
}

class Gallery : public WinHandler {
public:
    XuiWindow* window = nullptr;
    std::set<uint32_t> swallowed;
    bool animate = true;

    void bind() {
        window = XUI_WIN_REGISTER("w.gallery", this);
        auto q = [&](const char* name) { return XUI_VCL_QUERY(window, name); };
        status_ = q("l.status");
        position_ = q("l.position");
        level_ = q("slider.level");
        spinner_ = q("img.frames");
        list_ = q("list.rows");
        edit_ = q("e.text");
        menuButton_ = q("b.menu");
        recordButton_ = q("b.record");
        menu_ = XUI_MENU_QUERY("m.gallery");
    }
    // Before XUI_LOAD returns: the menu copy is the host's to free.
    void unbind() {
        XUI_RESOURCE_FREE(menu_);
        menu_ = nullptr;
    }

    int onEvent(XuiControl* control, int code, void* param) override {
        const Identity who = IdentityOf(control);
        std::string detail = "0";
        switch (code) {
            case XUI_EVENT_CLOSE:
            case XUI_EVENT_SHOW:
                detail = std::to_string(*static_cast<int*>(param));
                break;
            case XUI_EVENT_TIMER:
                detail = std::to_string(*static_cast<unsigned*>(param));
                break;
            case XUI_EVENT_KEYDOWN:
            case XUI_EVENT_KEYUP: {
                auto* key = static_cast<XuiKeyRecord*>(param);
                if (control == edit_ && swallowed.count(key->virtualKey)) {
                    key->pass = 0;
                }
                detail =
                    "key=" + std::to_string(key->virtualKey) + " pass=" + std::to_string(key->pass);
                break;
            }
            case XUI_EVENT_VALUE: {
                char buf[32];
                std::snprintf(buf, sizeof(buf), "%.3f", *static_cast<float*>(param));
                detail = buf;
                break;
            }
            default:
                break;
        }
        // The animation's ticks would drown everything else.
        if (!(code == XUI_EVENT_TIMER && animate)) {
            std::printf("event %s %d %s", who.name.c_str(), code, detail.c_str());
            if (who.row >= 0) {
                std::printf(" row=%d", who.row);
            }
            std::printf("\n");
            std::fflush(stdout);
        }
        react(control, who, code, detail);
        return 0;
    }

private:
    void react(XuiControl* control, const Identity& who, int code, const std::string& detail) {
        if (code == XUI_EVENT_CREATED) {
            fillList();
            if (animate) {
                XUI_WIN_SETTIMER(window, kAnimationTimer, 100);
            }
            return;
        }
        if (code == XUI_EVENT_TIMER) {
            tick();
            return;
        }
        if (code == XUI_EVENT_CLICK && control == menuButton_) {
            popMenu();
            return;
        }
        if (code == XUI_EVENT_CLICK && control == recordButton_) {
            askForFolder();
            return;
        }
        if (code == XUI_EVENT_VALUE && (who.name == "s.vertical" || who.name == "s.horizontal")) {
            setText(position_, ("position " + detail.substr(0, 4)).c_str());
        }
        if (code == XUI_EVENT_CLICK || code == XUI_EVENT_RCLICK || code == XUI_EVENT_DBLCLICK ||
            code == XUI_EVENT_VALUE) {
            std::string line = who.name + " · event " + std::to_string(code);
            if (who.row >= 0) {
                line += " · row " + std::to_string(who.row);
            }
            setText(status_, line.c_str());
        }
    }

    void fillList() {
        static const char* const kRows[][2] = {
            {"Main camera", "720p"},   {"Game window", "1080p"},
            {"Desktop", "1440p"},      {"Picture in picture", "720p"},
            {"Intro video", "loop"},   {"Guest camera", "480p"},
            {"Slides", "1080p"},       {"Browser source", "720p"},
            {"Phone camera", "1080p"}, {"Second desktop", "1440p"},
            {"Replay buffer", "30 s"}, {"Scoreboard", "720p"}};
        int data = 100;
        for (const auto& row : kRows) {
            int id = XUI_ITEM_APPEND(list_, data++);
            setText(XUI_ITEM_QUERY(list_, id, "row.name"), row[0]);
            setText(XUI_ITEM_QUERY(list_, id, "row.meta"), row[1]);
        }
    }

    void tick() {
        // A level that swells and falls like speech, and a turning spinner.
        ++frame_;
        static const int kShape[] = {3, 6, 10, 14, 17, 19, 16, 12, 9, 13, 18, 20, 15, 8, 4, 2};
        XUI_IMAGE_SET(level_, kShape[frame_ % 16] % kLevelFrames, 5);
        XUI_IMAGE_SET(spinner_, frame_ % kSpinnerFrames, 1);
    }

    void popMenu() {
        int x = 0, y = 0, w = 0, h = 0;
        XUI_SIZE_GET(menuButton_, &x, &y, &w, &h, 1);
        const char* chosen = XUI_MENU_POPUP(menu_, window, x, y + h + 2, 1);
        const std::string id = chosen ? chosen : "";
        std::printf("menu \"%s\"\n", id.c_str());
        std::fflush(stdout);
        setText(status_, id.empty() ? "menu dismissed" : ("menu chose " + id).c_str());
    }

    // A message box the way the client makes its own: modal, owned by the
    // window, warning icon with OK (flags 48).
    void askForFolder() {
        GtkWidget* box = gtk_message_dialog_new(GTK_WINDOW(XUI_WIN_RAW(window)), GTK_DIALOG_MODAL,
                                                GTK_MESSAGE_WARNING, GTK_BUTTONS_OK, "%s",
                                                "Recording needs a folder to write to.");
        gtk_window_set_title(GTK_WINDOW(box), "Zudoz gallery");
        const int response = gtk_dialog_run(GTK_DIALOG(box));
        gtk_widget_destroy(box);
        std::printf("msgbox %d\n", response == GTK_RESPONSE_OK ? 1 : 2);
        std::fflush(stdout);
    }

    static void setText(XuiControl* control, const char* utf8) {
        const std::u16string text = Wide(utf8);
        XUI_TEXT_SET(control, text.c_str());
    }

    XuiControl *status_ = nullptr, *position_ = nullptr, *level_ = nullptr, *spinner_ = nullptr;
    XuiControl *list_ = nullptr, *edit_ = nullptr, *menuButton_ = nullptr;
    XuiControl* recordButton_ = nullptr;
    XuiMenu* menu_ = nullptr;
    int frame_ = 0;
};

class GalleryApp : public AppHandler {
public:
    Gallery gallery;
    void onRun(int starting) override {
        if (starting) {
            gallery.bind();
        } else {
            gallery.unbind();
        }
    }
    int preTranslate(XuiMsg*) override { return 0; }
    void afterMessage(XuiMsg*) override {}
};

std::string DefaultPackage() {
    char exe[4096] = {};
    ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    std::string path = n > 0 ? std::string(exe, n) : std::string("./zudoz_gallery");
    return path.substr(0, path.rfind('/') + 1) + "gallery.dat";
}

}  // namespace

int main(int argc, char** argv) {
    GalleryApp app;
    std::string package;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--swallow-key") == 0 && i + 1 < argc) {
            app.gallery.swallowed.insert(
                static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 0)));
        } else if (std::strcmp(argv[i], "--still") == 0) {
            app.gallery.animate = false;
        } else if (argv[i][0] != '-' && package.empty()) {
            package = argv[i];
        } else {
            std::fprintf(stderr,
                         "usage: zudoz_gallery [package] [--swallow-key <vk>]... [--still]\n");
            return 2;
        }
    }
    if (package.empty()) {
        package = DefaultPackage();
    }
    const std::u16string widePackage = Wide(package.c_str());
    const int result = XUI_LOAD(&app, widePackage.c_str(), "en");
    std::printf("exit %d\n", result);
    std::fflush(stdout);
    return result == 0 ? 0 : 1;
}
