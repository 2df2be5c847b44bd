// Windows under the X server through the library's exported interface, on a
// package made by the packer.
#include <gtest/gtest.h>

// X headers after gtest: they define None and Bool as macros.
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <cstring>
#include <fstream>

#include "host_support.h"
#include "zudoz.h"

namespace {

const char16_t* PackagePath() {
    static std::u16string path = [] {
        std::string p = ZUDOZ_TEST_PACKAGE;
        return std::u16string(p.begin(), p.end());
    }();
    return path.c_str();
}

std::vector<int> Only(const std::vector<int>& codes, std::initializer_list<int> keep) {
    std::vector<int> out;
    for (int c : codes) {
        if (std::find(keep.begin(), keep.end(), c) != keep.end()) {
            out.push_back(c);
        }
    }
    return out;
}

TEST(Windows, MainWindowIsCreatedResizedAndClosedWithEventsInOrder) {
    host::Script script;
    host::App app;
    host::Recorder main;
    XuiWindow* window = nullptr;
    GtkWidget* video = nullptr;
    int videoWidth = -1, videoHeight = -1;
    bool resized = false;
    unsigned long videoXid = 0;
    app.start = [&] {
        window = XUI_WIN_REGISTER("w.main", &main);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(XUI_WIN_RAW(window), nullptr) << "no native window before creation";
    };
    main.react = [&](XuiControl* c, int code, void* param) {
        const bool isWindow = c == reinterpret_cast<XuiControl*>(window);
        if (code == XUI_EVENT_RAW_CREATED) {
            video = static_cast<GtkWidget*>(param);
            // GDK's own window until the host asks for an X window id: pages
            // drawn without a GL compositor stay blank in a native one.
            EXPECT_FALSE(gdk_window_has_native(gtk_widget_get_window(video)));
            videoXid = gdk_x11_window_get_xid(gtk_widget_get_window(video));
            EXPECT_TRUE(gdk_window_has_native(gtk_widget_get_window(video)));
        }
        if (code == XUI_EVENT_CREATED) {
            EXPECT_TRUE(isWindow);
            EXPECT_EQ(param, XUI_WIN_RAW(window));
            EXPECT_NE(video, nullptr) << "native children exist before the window reports itself";
            script.until([&] { return host::Viewable(window); },
                         [&] { gtk_window_resize(GTK_WINDOW(XUI_WIN_RAW(window)), 500, 360); });
            script.after(8000, [&] {
                if (!resized) {
                    ADD_FAILURE() << "no resize event";
                    XUI_WIN_DESTROY(window);
                }
            });
        }
        if (code == XUI_EVENT_RESIZED && isWindow && !resized) {
            EXPECT_EQ(param, window);
            int w = gtk_widget_get_allocated_width(gtk_bin_get_child(GTK_BIN(XUI_WIN_RAW(window))));
            if (w == 500) {
                resized = true;
                script.after(100, [&] {
                    videoWidth = gtk_widget_get_allocated_width(video);
                    videoHeight = gtk_widget_get_allocated_height(video);
                    gtk_window_close(GTK_WINDOW(XUI_WIN_RAW(window)));
                });
            }
        }
    };
    ASSERT_EQ(XUI_LOAD(&app, PackagePath(), "zh"), 0);
    EXPECT_EQ(app.runs, (std::vector<int>{1, 0}));
    EXPECT_TRUE(resized);
    EXPECT_NE(videoXid, 0u) << "the hosted area has its own X window";
    EXPECT_EQ(videoWidth, 500 - 120);
    EXPECT_EQ(videoHeight, 360 - 40 - 30);
    std::vector<int> order =
        Only(main.codesOf("w.main"), {XUI_EVENT_CREATED, XUI_EVENT_RESIZED, XUI_EVENT_CLOSE});
    ASSERT_GE(order.size(), 4u);
    EXPECT_EQ(order.front(), XUI_EVENT_CREATED);
    EXPECT_EQ(order[1], XUI_EVENT_RESIZED) << "laid out at creation";
    std::vector<int> shows = Only(main.codesOf("w.main"), {XUI_EVENT_SHOW});
    EXPECT_EQ(shows.size(), 1u) << "shown once, by its visible style";
    EXPECT_EQ(order.back(), XUI_EVENT_CLOSE);
    EXPECT_EQ(order[order.size() - 2], XUI_EVENT_RESIZED);
    std::vector<int> raw = main.codesOf("r.video");
    ASSERT_FALSE(raw.empty());
    EXPECT_EQ(raw.front(), XUI_EVENT_RAW_CREATED);
    EXPECT_EQ(raw.back(), XUI_EVENT_RESIZED) << "the hosted area follows its rectangle";
    for (const auto& e : main.events) {
        EXPECT_GE(e.code, 1);
        EXPECT_LE(e.code, 13);
    }
}

TEST(Windows, CloseRefusedByTheHostLeavesTheWindowOpen) {
    host::Script script;
    host::App app;
    host::Recorder main;
    XuiWindow* window = nullptr;
    int closes = 0;
    bool stillThere = false;
    app.start = [&] { window = XUI_WIN_REGISTER("w.main", &main); };
    main.react = [&](XuiControl*, int code, void* param) {
        if (code == XUI_EVENT_CREATED) {
            script.after(100, [&] { gtk_window_close(GTK_WINDOW(XUI_WIN_RAW(window))); });
        }
        if (code == XUI_EVENT_CLOSE) {
            ++closes;
            EXPECT_EQ(*static_cast<int*>(param), 1);
            if (closes == 1) {
                *static_cast<int*>(param) = 0;
                script.after(100, [&] {
                    stillThere = XUI_WIN_RAW(window) && gtk_widget_get_visible(XUI_WIN_RAW(window));
                    gtk_window_close(GTK_WINDOW(XUI_WIN_RAW(window)));
                });
            }
        }
    };
    ASSERT_EQ(XUI_LOAD(&app, PackagePath(), ""), 0);
    EXPECT_EQ(closes, 2);
    EXPECT_TRUE(stillThere);
}

struct DialogCase {
    const char* what;
    std::function<void(XuiWindow*)> end;  // how the dialog is ended
    int refuseFirst;                      // closes refused before one is allowed
    int expected;
};

TEST(Windows, ModalDialogsEndWithTheirResult) {
    const DialogCase cases[] = {
        {"DLG.OK clicked", [](XuiWindow* d) { host::Click(d, 50, 50); }, 0, 1},
        {"DLG.CANCEL clicked", [](XuiWindow* d) { host::Click(d, 150, 50); }, 0, 0},
        {"close box", [](XuiWindow* d) { gtk_window_close(GTK_WINDOW(XUI_WIN_RAW(d))); }, 0, 0},
        {"end with 1", [](XuiWindow* d) { XUI_WIN_ENDMODAL(d, 1); }, 0, 1},
        {"end with 2", [](XuiWindow* d) { XUI_WIN_ENDMODAL(d, 2); }, 0, 0},
        {"OK after a refused close", [](XuiWindow* d) { host::Click(d, 50, 50); }, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host::Script script;
        host::App app;
        host::Recorder main, dialog;
        XuiWindow* window = nullptr;
        XuiWindow* dlg = nullptr;
        int result = -1, refused = 0;
        bool sawFirstPaintTimer = false;
        int dialogX = -1, dialogY = -1, ownerX = -1, ownerY = -1, ownerW = 0, ownerH = 0;
        app.start = [&] {
            window = XUI_WIN_REGISTER("w.main", &main);
            dlg = XUI_WIN_REGISTER("d.ask", &dialog);
        };
        main.react = [&](XuiControl*, int code, void*) {
            if (code == XUI_EVENT_CREATED) {
                script.after(50, [&] {
                    result = XUI_WIN_MODAL(dlg, window);
                    XUI_WIN_DESTROY(window);
                });
            }
        };
        dialog.react = [&](XuiControl* control, int code, void* param) {
            if (code == XUI_EVENT_CREATED) {
                script.until(
                    [&] { return host::Viewable(dlg) && sawFirstPaintTimer; },
                    [&] {
                        gtk_window_get_position(GTK_WINDOW(XUI_WIN_RAW(dlg)), &dialogX, &dialogY);
                        gtk_window_get_position(GTK_WINDOW(XUI_WIN_RAW(window)), &ownerX, &ownerY);
                        gtk_window_get_size(GTK_WINDOW(XUI_WIN_RAW(window)), &ownerW, &ownerH);
                        c.end(dlg);
                    });
            }
            if (code == XUI_EVENT_TIMER && control == reinterpret_cast<XuiControl*>(dlg)) {
                sawFirstPaintTimer = *static_cast<unsigned*>(param) == 0xFF00FF00u;
            }
            if (code == XUI_EVENT_CLOSE && refused < c.refuseFirst) {
                ++refused;
                *static_cast<int*>(param) = 0;
                // Later than a double click: a second click at once would be
                // the double click's second half, which clicks nothing.
                script.after(600, [&] { c.end(dlg); });
            }
        };
        ASSERT_EQ(XUI_LOAD(&app, PackagePath(), ""), 0);
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(refused, c.refuseFirst);
        EXPECT_TRUE(sawFirstPaintTimer);
        EXPECT_EQ(dialogX, ownerX + (ownerW - 200) / 2) << "centred on its owner";
        EXPECT_EQ(dialogY, ownerY + (ownerH - 100) / 2);
        auto closes = dialog.codesOf("d.ask");
        EXPECT_EQ(std::count(closes.begin(), closes.end(), XUI_EVENT_CLOSE), 1 + c.refuseFirst);
    }
}

TEST(Windows, ChildWindowsNeedAnOwnerAndLiveInsideIt) {
    host::Script script;
    host::App app;
    host::Recorder main, child, tool;
    XuiWindow *window = nullptr, *kid = nullptr, *toolWin = nullptr;
    int orphanCreate = -1, childCreate = -1, again = -1;
    GtkWidget* childTop = nullptr;
    bool childInsideMain = false;
    bool keepAbove = false;
    app.start = [&] {
        window = XUI_WIN_REGISTER("w.main", &main);
        kid = XUI_WIN_REGISTER("w.child", &child);
        toolWin = XUI_WIN_REGISTER("w.tool", &tool);
    };
    main.react = [&](XuiControl*, int code, void*) {
        if (code != XUI_EVENT_CREATED) {
            return;
        }
        script.after(50, [&] {
            orphanCreate = XUI_WIN_CREATE(kid, nullptr);
            childCreate = XUI_WIN_CREATE(kid, window);
            again = XUI_WIN_CREATE(kid, window);
            childTop = XUI_WIN_RAW(kid) ? gtk_widget_get_toplevel(XUI_WIN_RAW(kid)) : nullptr;
            childInsideMain = childTop == XUI_WIN_RAW(window);
            XUI_WIN_CREATE(toolWin, window);
            GtkWidget* t = XUI_WIN_RAW(toolWin);
            keepAbove = t &&
                        gtk_window_get_type_hint(GTK_WINDOW(t)) == GDK_WINDOW_TYPE_HINT_UTILITY &&
                        !gtk_window_get_decorated(GTK_WINDOW(t));
            XUI_WIN_DESTROY(kid);
            XUI_WIN_DESTROY(toolWin);
            XUI_WIN_DESTROY(window);
        });
    };
    ASSERT_EQ(XUI_LOAD(&app, PackagePath(), ""), 0);
    EXPECT_EQ(orphanCreate, 0);
    EXPECT_EQ(childCreate, 1);
    EXPECT_EQ(again, 1) << "creating an existing window succeeds";
    EXPECT_NE(childTop, nullptr);
    EXPECT_TRUE(childInsideMain) << "a child window is part of its owner's native window";
    EXPECT_TRUE(keepAbove) << "a tool window without caption";
    ASSERT_FALSE(child.codesOf("w.child").empty());
    EXPECT_EQ(child.codesOf("w.child").front(), XUI_EVENT_CREATED);
}

TEST(Windows, TimersAndMovesReachTheHost) {
    host::Script script;
    host::App app;
    host::Recorder main;
    XuiWindow* window = nullptr;
    int fires7 = 0, fires8 = 0, moved = 0, setBeforeCreate = -1;
    void* movedParam = nullptr;
    app.start = [&] {
        window = XUI_WIN_REGISTER("w.main", &main);
        setBeforeCreate = XUI_WIN_SETTIMER(window, 1, 10);
    };
    main.react = [&](XuiControl*, int code, void* param) {
        if (code == XUI_EVENT_CREATED) {
            EXPECT_EQ(XUI_WIN_SETTIMER(window, 7, 20), 1);
            EXPECT_EQ(XUI_WIN_SETTIMER(window, 8, 5000), 1);
            EXPECT_EQ(XUI_WIN_SETTIMER(window, 8, 30), 1) << "the same id restarts";
            script.until([&] { return host::Viewable(window); },
                         [&] { gtk_window_move(GTK_WINDOW(XUI_WIN_RAW(window)), 200, 150); });
            script.until([&] { return fires7 == 3 && fires8 >= 5 && moved >= 1; },
                         [&] { script.after(100, [&] { XUI_WIN_DESTROY(window); }); });
        }
        if (code == XUI_EVENT_TIMER) {
            unsigned id = *static_cast<unsigned*>(param);
            if (id == 7 && ++fires7 == 3) {
                XUI_WIN_KILLTIMER(window, 7);  // inside its own event
            }
            fires8 += id == 8;
        }
        if (code == XUI_EVENT_MOVED) {
            ++moved;
            movedParam = param;
        }
    };
    ASSERT_EQ(XUI_LOAD(&app, PackagePath(), ""), 0);
    EXPECT_EQ(setBeforeCreate, 0) << "no native window, no timer";
    EXPECT_EQ(fires7, 3);
    EXPECT_GE(fires8, 5);
    EXPECT_GE(moved, 1);
    EXPECT_EQ(movedParam, window);
    EXPECT_EQ(XUI_WIN_SETTIMER(nullptr, 1, 1), 0);
    XUI_WIN_KILLTIMER(nullptr, 1);
}

TEST(Windows, StylesShapeTheNativeWindow) {
    host::Script script;
    host::App app;
    host::Recorder main, tool;
    XuiWindow *window = nullptr, *toolWin = nullptr;
    std::string title;
    bool mainDecorated = false, mainResizable = false, toolResizable = true;
    int toolX = -1, toolY = -1, shrunkW = 0, shrunkH = 0;
    app.start = [&] {
        window = XUI_WIN_REGISTER("w.main", &main);
        toolWin = XUI_WIN_REGISTER("w.tool", &tool);
    };
    main.react = [&](XuiControl*, int code, void*) {
        if (code != XUI_EVENT_CREATED) {
            return;
        }
        script.after(50, [&] {
            GtkWindow* top = GTK_WINDOW(XUI_WIN_RAW(window));
            title = gtk_window_get_title(top);
            mainDecorated = gtk_window_get_decorated(top);
            mainResizable = gtk_window_get_resizable(top);
            gtk_window_resize(top, 50, 50);  // below width-min / height-min
            XUI_WIN_CREATE(toolWin, nullptr);
            gtk_window_get_position(GTK_WINDOW(XUI_WIN_RAW(toolWin)), &toolX, &toolY);
            toolResizable = gtk_window_get_resizable(GTK_WINDOW(XUI_WIN_RAW(toolWin)));
        });
        script.until(
            [&] {
                int w = 0, h = 0;
                gtk_window_get_size(GTK_WINDOW(XUI_WIN_RAW(window)), &w, &h);
                return w != 400;
            },
            [&] {
                gtk_window_get_size(GTK_WINDOW(XUI_WIN_RAW(window)), &shrunkW, &shrunkH);
                XUI_WIN_DESTROY(window);
            },
            1000);
    };
    ASSERT_EQ(XUI_LOAD(&app, PackagePath(), "zh"), 0);
    EXPECT_EQ(title, "测试窗口");
    EXPECT_TRUE(mainDecorated) << "the default style has a caption";
    EXPECT_TRUE(mainResizable) << "and a sizing frame";
    EXPECT_FALSE(toolResizable) << "no thickframe";
    EXPECT_EQ(toolX, (1280 - 120) / 2) << "centred on the screen's work area";
    EXPECT_EQ(toolY, (1024 - 80) / 2);
    EXPECT_GE(shrunkW, 200);
    EXPECT_GE(shrunkH, 150);
}

GtkWidget* FindEntry(GtkWidget* widget) {
    if (GTK_IS_ENTRY(widget)) {
        return widget;
    }
    GtkWidget* found = nullptr;
    if (GTK_IS_CONTAINER(widget)) {
        GList* kids = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* l = kids; l && !found; l = l->next) {
            found = FindEntry(GTK_WIDGET(l->data));
        }
        g_list_free(kids);
    }
    return found;
}

TEST(Windows, EditKeysGoToTheHostWhichMaySwallowThem) {
    host::Script script;
    host::App app;
    host::Recorder main;
    XuiWindow* window = nullptr;
    std::vector<uint32_t> downs, ups;
    std::string text;
    app.start = [&] { window = XUI_WIN_REGISTER("w.main", &main); };
    main.react = [&](XuiControl* c, int code, void* param) {
        if (code == XUI_EVENT_CREATED) {
            // e.name: the side column (x 280..400) below the 40-pixel top panel,
            // 28 high, inside 2-pixel margins.
            script.until([&] { return host::Viewable(window); },
                         [&] {
                             host::Click(window, 340, 54);
                             script.until(
                                 [&] {
                                     return FindEntry(XUI_WIN_RAW(window)) &&
                                            gtk_widget_has_focus(FindEntry(XUI_WIN_RAW(window)));
                                 },
                                 [&] {
                                     host::Key(window, GDK_KEY_x);
                                     host::Key(window, GDK_KEY_y);
                                 });
                         });
            script.until([&] { return ups.size() == 2; },
                         [&] {
                             GtkWidget* entry = FindEntry(XUI_WIN_RAW(window));
                             text = entry ? gtk_entry_get_text(GTK_ENTRY(entry)) : "<no entry>";
                             XUI_WIN_DESTROY(window);
                         });
        }
        if ((code == XUI_EVENT_KEYDOWN || code == XUI_EVENT_KEYUP) && host::NameOf(c) == "e.name") {
            auto* key = static_cast<XuiKeyRecord*>(param);
            EXPECT_EQ(key->pass, 1u);
            (code == XUI_EVENT_KEYDOWN ? downs : ups).push_back(key->virtualKey);
            if (key->virtualKey == 0x58) {
                key->pass = 0;  // swallow 'x'
            }
        }
    };
    ASSERT_EQ(XUI_LOAD(&app, PackagePath(), "zh"), 0);
    EXPECT_EQ(downs, (std::vector<uint32_t>{0x58, 0x59}));
    EXPECT_EQ(ups, (std::vector<uint32_t>{0x58, 0x59}));
    EXPECT_EQ(text, "确定y") << "the initial title, then only the key the host passed";
}

TEST(Windows, NewInstancesHaveTheirOwnControls) {
    host::Script script;
    host::App app;
    host::Recorder main, second;
    XuiWindow *window = nullptr, *copy = nullptr;
    app.start = [&] {
        window = XUI_WIN_REGISTER("w.main", &main);
        copy = XUI_WIN_REGISTER_NEWINSTANCE("w.main", &second);
        EXPECT_EQ(XUI_WIN_REGISTER_NEWINSTANCE("nope", &second), nullptr);
        ASSERT_NE(copy, nullptr);
        EXPECT_NE(copy, window);
        XuiControl* a = XUI_VCL_QUERY(window, "e.name");
        XuiControl* b = XUI_VCL_QUERY(copy, "e.name");
        ASSERT_TRUE(a && b);
        EXPECT_NE(a, b);
        EXPECT_EQ(XUI_WIN_REGISTER("w.main", &main), window) << "the name finds the loaded window";
    };
    main.react = [&](XuiControl*, int code, void*) {
        if (code == XUI_EVENT_CREATED) {
            script.after(50, [&] {
                EXPECT_EQ(XUI_WIN_CREATE(copy, nullptr), 1);
                XUI_WIN_DESTROY(window);
            });
        }
    };
    ASSERT_EQ(XUI_LOAD(&app, PackagePath(), ""), 0);
    ASSERT_FALSE(second.codesOf("w.main").empty()) << "the copy's own handler hears it";
    EXPECT_EQ(second.codesOf("w.main").front(), XUI_EVENT_CREATED);
}

TEST(Windows, KeyMessagesReachTheHostFilterFirst) {
    host::Script script;
    host::App app;
    host::Recorder main;
    XuiWindow* window = nullptr;
    std::string editText;
    app.consumeKey = 0x41;  // 'A'
    app.start = [&] { window = XUI_WIN_REGISTER("w.main", &main); };
    main.react = [&](XuiControl*, int code, void*) {
        if (code != XUI_EVENT_CREATED) {
            return;
        }
        script.until([&] { return host::Viewable(window); },
                     [&] {
                         host::MoveTo(window, 20, 20);
                         host::Key(window, GDK_KEY_a);
                         host::Key(window, GDK_KEY_b);
                         script.until([&] { return app.keyDowns >= 2; },
                                      [&] { XUI_WIN_DESTROY(window); });
                     });
    };
    ASSERT_EQ(XUI_LOAD(&app, PackagePath(), ""), 0);
    EXPECT_GE(app.keyDowns, 2);
    EXPECT_GT(app.afterMessages, app.keyDowns) << "every message is reported afterwards";
}

TEST(Exports, ResourcesAreReadByIdWhileLoaded) {
    host::App app;
    host::Recorder main;
    app.start = [&] {
        XuiWindow* w = XUI_WIN_REGISTER("w.main", &main);
        EXPECT_EQ(std::u16string(XUI_STRING_GET("s.title")), u"Test window");
        const char16_t* first = XUI_STRING_GET("s.ok");
        XUI_STRING_GET("missing");
        EXPECT_EQ(std::u16string(first), u"") << "the buffer holds the latest text";
        EXPECT_EQ(XUI_COLOR_GET("c.accent"), 0x004D48E5)
            << "red E5, green 48, blue 4D in native order";
        EXPECT_EQ(XUI_COLOR_GET("c.numbers"), 0) << "not in the en set";
        EXPECT_EQ(XUI_COLOR_GET("s.title"), 0);
        EXPECT_STREQ(XUI_GET_LANGUAGE(), "en");
        EXPECT_EQ(XUI_FONT_GET("f.body"), nullptr) << "not in the en set";
        XUI_WIN_DESTROY(w);  // nothing to destroy yet
    };
    main.react = [&](XuiControl* c, int code, void*) {
        if (code == XUI_EVENT_CREATED) {
            // Destroyed inside its own creation event: the creation failed.
            XUI_WIN_DESTROY(reinterpret_cast<XuiWindow*>(c));
        }
    };
    ASSERT_EQ(XUI_LOAD(&app, PackagePath(), "en"), -1);
    EXPECT_EQ(app.runs, (std::vector<int>{1}));
}

TEST(Exports, ResourcesOfTheChosenLanguage) {
    host::Script script;
    host::App app;
    host::Recorder main;
    XuiWindow* window = nullptr;
    app.start = [&] {
        window = XUI_WIN_REGISTER("w.main", &main);
        EXPECT_EQ(std::u16string(XUI_STRING_GET("s.title")), u"测试窗口");
        EXPECT_EQ(XUI_COLOR_GET("c.numbers"), 0x00563412);
        EXPECT_NE(XUI_FONT_GET("f.body"), nullptr);
        std::string notes(reinterpret_cast<const char*>(XUI_DATAFILE_GET("d.notes")),
                          XUI_DATAFILE_GET_LENTH("d.notes"));
        EXPECT_EQ(notes, "notes for the host\n");
        EXPECT_EQ(XUI_DATAFILE_GET("nope"), nullptr);
        EXPECT_EQ(XUI_DATAFILE_GET_LENTH("nope"), 0);
        XuiMenu* menu = XUI_MENU_QUERY("m.first");
        EXPECT_NE(menu, nullptr);
        EXPECT_EQ(XUI_MENU_QUERY("s.title"), nullptr);
        XUI_RESOURCE_FREE(menu);
        XUI_RESOURCE_FREE(menu);                                    // a second free is ignored
        XUI_RESOURCE_FREE(reinterpret_cast<XuiResource*>(window));  // not the host's: ignored
    };
    main.react = [&](XuiControl*, int code, void*) {
        if (code == XUI_EVENT_CREATED) {
            XuiControl* edit = XUI_VCL_QUERY(window, "e.name");
            char name[5], kind[3], tag[64];
            int row = 7;
            EXPECT_EQ(XUI_COMMON_GET(edit, name, sizeof(name), kind, sizeof(kind), tag, sizeof(tag),
                                     &row),
                      1);
            EXPECT_STREQ(name, "e.na") << "cut and terminated";
            EXPECT_STREQ(kind, "ed");
            EXPECT_STREQ(tag, "main") << "inherited through the included fragment";
            EXPECT_EQ(row, -1);
            EXPECT_EQ(XUI_COMMON_GET(edit, nullptr, 0, nullptr, 0, nullptr, 0, nullptr), 1);
            EXPECT_NE(XUI_VCL_QUERY(window, "l.note"), nullptr) << "included by src";
            script.after(50, [&] { XUI_WIN_DESTROY(window); });
        }
    };
    ASSERT_EQ(XUI_LOAD(&app, PackagePath(), "zh"), 0);
    EXPECT_EQ(XUI_STRING_GET("s.title"), std::u16string()) << "the registry is gone after the run";
}

TEST(Exports, NullHandlesDoNothing) {
    EXPECT_EQ(XUI_WIN_REGISTER(nullptr, nullptr), nullptr);
    EXPECT_EQ(XUI_WIN_REGISTER("w.main", nullptr), nullptr) << "nothing is loaded";
    EXPECT_EQ(XUI_WIN_REGISTER_NEWINSTANCE(nullptr, nullptr), nullptr);
    EXPECT_EQ(XUI_WIN_CREATE(nullptr, nullptr), 0);
    EXPECT_EQ(XUI_WIN_MODAL(nullptr, nullptr), 0);
    XUI_WIN_ENDMODAL(nullptr, 1);
    XUI_WIN_DESTROY(nullptr);
    EXPECT_EQ(XUI_WIN_RAW(nullptr), nullptr);
    EXPECT_EQ(XUI_VCL_QUERY(nullptr, "x"), nullptr);
    EXPECT_EQ(XUI_COMMON_GET(nullptr, nullptr, 0, nullptr, 0, nullptr, 0, nullptr), 0);
    EXPECT_EQ(std::u16string(XUI_STRING_GET(nullptr)), u"");
    EXPECT_EQ(XUI_COLOR_GET(nullptr), 0);
    EXPECT_EQ(XUI_FONT_GET(nullptr), nullptr);
    EXPECT_EQ(XUI_DATAFILE_GET(nullptr), nullptr);
    EXPECT_EQ(XUI_DATAFILE_GET_LENTH(nullptr), 0);
    EXPECT_EQ(XUI_MENU_QUERY(nullptr), nullptr);
    XUI_RESOURCE_FREE(nullptr);
    EXPECT_EQ(XUI_LOAD(nullptr, nullptr, nullptr), -1);
}

// Minimal package writer, so failure cases need no files in the tree.
std::string Package(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string out(4, '\0'), index;
    auto u32 = [](std::string& s, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            s.push_back(char(v >> (8 * i)));
    };
    for (const auto& [name, data] : entries) {
        u32(index, uint32_t(out.size()));
        index.push_back(char(name.size() & 0xFF));
        index.push_back(char(name.size() >> 8));
        index += name;
        u32(index, uint32_t(data.size()));
        out += data;
    }
    uint32_t at = uint32_t(out.size());
    for (int i = 0; i < 4; ++i)
        out[i] = char(at >> (8 * i));
    return out + index;
}

TEST(Load, FailuresReturnMinusOneAndOnlyLateOnesCallTheHost) {
    const std::string resources = "<resources><resource/></resources>";
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<int> runs;
    } cases[] = {
        {"not a package", "xy", {}},
        {"no window.xml", Package({{"resource.xml", resources}}), {}},
        {"no loadable window",
         Package({{"resource.xml", resources}, {"window.xml", "<windows><window/></windows>"}}),
         {}},
        {"main window is a child without owner",
         Package(
             {{"resource.xml", resources},
              {"window.xml", "<windows><window style=\"caption\"><layer/></window></windows>"}}),
         {1}},
    };
    char dir[] = "/tmp/zudoz-load-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string path = std::string(dir) + "/p.dat";
    for (const auto& c : cases) {
        std::ofstream(path, std::ios::binary) << c.bytes;
        host::App app;
        std::u16string wide(path.begin(), path.end());
        EXPECT_EQ(XUI_LOAD(&app, wide.c_str(), ""), -1) << c.what;
        EXPECT_EQ(app.runs, c.runs) << c.what;
    }
    std::u16string missing = u"/nonexistent/zudoz.dat";
    EXPECT_EQ(XUI_LOAD(nullptr, missing.c_str(), "zh"), -1);
    unlink(path.c_str());
    rmdir(dir);
}

// A window with its own frame: a 28-pixel bar with the three boxes over a
// client that leaves 4-pixel borders left, right and below.
const char* kFrameWindows = R"(<windows>
  <window id="w.frame" x="200" y="150" width="300" height="200"
          style="overlapped,visible,caption,thickframe,minbox,maxbox,closebox">
    <panel id="root" layout="vertical" color="c.border" ml="4" mr="4" mb="4">
      <panel id="bar" height="28" color="c.bar">
        <layer layoutItem="expand"/>
        <button id="NC.MIN" width="28" color="c.box" color-hover="c.hover"/>
        <button id="NC.MAX" width="28" color="c.box" color-hover="c.hover"/>
        <button id="NC.CLOSE" width="28" color="c.close" color-hover="c.hover"/>
      </panel>
      <panel id="NC.CLIENT" layoutItem="expand" color="c.client" layout="vertical" ml="10" mt="10">
        <button id="b.speed" width="60" height="30" speedclick="true" color="c.box"/>
        <edit id="e.num" height="24" style="number" edgecolor="c.box" edge2color="c.close" ml="2" mr="2" mt="2" mb="2"/>
        <edit id="e.lines" height="60" style="multiline,border" maxlength="5"/>
        <rawwin id="r.host" height="30" autochildsize="true"/>
      </panel>
    </panel>
  </window>
  <window id="w.pop" x="600" y="100" width="120" height="80" style="overlapped,popup,autohide-mouseout">
    <panel color="c.box"/>
  </window>
</windows>)";

const char* kFrameResources = R"(<resources><resource>
  <res id="c.border" type="color" color="#403830"/>
  <res id="c.bar" type="color" color="#6B4A2E"/>
  <res id="c.box" type="color" color="#A08060"/>
  <res id="c.close" type="color" color="#3030C0"/>
  <res id="c.hover" type="color" color="#E0E0E0"/>
  <res id="c.client" type="color" color="#F4F0EC"/>
</resource></resources>)";

// Real pointer input in screen coordinates.
void PointerAt(Display* d, int x, int y) {
    XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
    XFlush(d);
}
void LeftButton(Display* d, bool down) {
    XTestFakeButtonEvent(d, 1, down ? True : False, CurrentTime);
    XFlush(d);
}

struct FrameRun {
    host::Script script;
    host::App app;
    host::Recorder events;
    XuiWindow* window = nullptr;
    Display* display = nullptr;
    int originX = 0, originY = 0;  // of the client area on screen

    GtkWindow* top() const { return GTK_WINDOW(XUI_WIN_RAW(window)); }
    void readOrigin() {
        gdk_window_get_origin(gtk_widget_get_window(XUI_WIN_RAW(window)), &originX, &originY);
    }
    // A press at client point (x, y), moves by (dx, dy) in steps, a release.
    void drag(int x, int y, int dx, int dy, std::function<void()> then) {
        readOrigin();
        PointerAt(display, originX + x, originY + y);
        LeftButton(display, true);
        for (int i = 1; i <= 5; ++i) {
            script.after(60 * i, [=, this] {
                PointerAt(display, originX + x + dx * i / 5, originY + y + dy * i / 5);
            });
        }
        script.after(400, [this, then] {
            LeftButton(display, false);
            script.after(300, then);
        });
    }
};

// The frame package in a private folder for one test.
class FramePackage {
public:
    FramePackage() {
        if (mkdtemp(dir_)) {
            path_ = std::string(dir_) + "/frame.dat";
            std::ofstream(path_, std::ios::binary)
                << Package({{"resource.xml", kFrameResources}, {"window.xml", kFrameWindows}});
        }
    }
    ~FramePackage() {
        unlink(path_.c_str());
        rmdir(dir_);
    }
    std::u16string path() const { return std::u16string(path_.begin(), path_.end()); }

private:
    char dir_[32] = "/tmp/zudoz-frame-XXXXXX";
    std::string path_;
};

TEST(CustomFrame, CaptionDragsBordersResizeAndTheCloseBoxCloses) {
    FramePackage package;
    FrameRun run;
    bool decorated = true;
    int startX = 0, startY = 0, movedX = 0, movedY = 0, width0 = 0, width1 = 0;
    int closes = 0;
    std::vector<int> speed;
    run.app.start = [&] { run.window = XUI_WIN_REGISTER("w.frame", &run.events); };
    run.events.react = [&](XuiControl* c, int code, void* param) {
        if (code == XUI_EVENT_CLOSE) {
            // The first close is refused: the window stays.
            *static_cast<int*>(param) = closes++ == 0 ? 0 : 1;
        }
        if (host::NameOf(c) == "b.speed") {
            speed.push_back(code);
        }
        if (code != XUI_EVENT_CREATED) {
            return;
        }
        run.display = host::XDisplayOf(run.window);
        run.script.until(
            [&] { return host::Viewable(run.window); },
            [&] {
                decorated = gtk_window_get_decorated(run.top());
                if (const char* shots = getenv("ZUDOZ_TEST_SHOTS")) {
                    run.script.after(300, [&, shots] {
                        // The screen around the window: no frame of the window manager.
                        run.readOrigin();
                        GdkPixbuf* p = gdk_pixbuf_get_from_window(gdk_get_default_root_window(),
                                                                  run.originX - 20,
                                                                  run.originY - 40, 340, 260);
                        gdk_pixbuf_save(p, (std::string(shots) + "/frame.png").c_str(), "png",
                                        nullptr, nullptr);
                        g_object_unref(p);
                    });
                }
                run.script.after(500, [&] {
                    run.readOrigin();
                    startX = run.originX;
                    startY = run.originY;
                    // Caption: the bar left of the boxes, below the top strip.
                    run.drag(100, 15, 60, 40, [&] {
                        run.readOrigin();
                        movedX = run.originX - startX;
                        movedY = run.originY - startY;
                        width0 = gtk_widget_get_allocated_width(XUI_WIN_RAW(run.window));
                        // Right border, halfway down.
                        run.drag(298, 100, 50, 0, [&] {
                            width1 = gtk_widget_get_allocated_width(XUI_WIN_RAW(run.window));
                            // A double click on the speedclick button.
                            host::Click(run.window, 30, 50);
                            host::Click(run.window, 30, 50);
                            run.script.after(700, [&] {
                                // The close box (the right-most 28 pixels of the bar).
                                const int w =
                                    gtk_widget_get_allocated_width(XUI_WIN_RAW(run.window));
                                host::Click(run.window, w - 4 - 14, 14);
                                run.script.after(600, [&] {
                                    host::Click(
                                        run.window,
                                        gtk_widget_get_allocated_width(XUI_WIN_RAW(run.window)) -
                                            18,
                                        14);
                                });
                            });
                        });
                    });
                });
                run.script.after(15000, [&] { XUI_WIN_DESTROY(run.window); });
            });
    };
    ASSERT_EQ(XUI_LOAD(&run.app, package.path().c_str(), ""), 0);
    EXPECT_FALSE(decorated) << "NC.CLIENT: no system frame";
    EXPECT_NEAR(movedX, 60, 2) << "the caption dragged the window";
    EXPECT_NEAR(movedY, 40, 2);
    EXPECT_EQ(width0, 300);
    EXPECT_NEAR(width1, 350, 2) << "the right border resized it";
    EXPECT_EQ(speed, (std::vector<int>{XUI_EVENT_CLICK, XUI_EVENT_DBLCLICK}))
        << "a double click is one press and the double click, not two presses";
    EXPECT_EQ(closes, 2) << "the close box asks the host each time; the second one closed it";
}

GtkWidget* FindWidget(GtkWidget* widget, GType type) {
    if (G_TYPE_CHECK_INSTANCE_TYPE(widget, type)) {
        return widget;
    }
    GtkWidget* found = nullptr;
    if (GTK_IS_CONTAINER(widget)) {
        GList* kids = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* l = kids; l && !found; l = l->next) {
            found = FindWidget(GTK_WIDGET(l->data), type);
        }
        g_list_free(kids);
    }
    return found;
}

class FocusLog : public EditFocusListener {
public:
    std::vector<std::string> heard;
    void focusGained(const char* name) override { heard.push_back(std::string("+") + name); }
    void focusLost(const char* name) override { heard.push_back(std::string("-") + name); }
};

TEST(Edits, NumberEditsTakeDigitsAndMultilineEditsKeepTheirLimit) {
    FramePackage package;
    FrameRun run;
    FocusLog focus;
    std::string number, lines, pasted;
    GtkWidget* hosted = nullptr;
    std::pair<int, int> hostedSize;
    run.app.start = [&] {
        run.window = XUI_WIN_REGISTER("w.frame", &run.events);
        XUI_SET_EDITFOCUS(XUI_VCL_QUERY(run.window, "e.num"), &focus);
        XUI_SET_EDITFOCUS(XUI_VCL_QUERY(run.window, "e.lines"), &focus);
    };
    run.events.react = [&](XuiControl*, int code, void* param) {
        if (code == XUI_EVENT_RAW_CREATED) {
            // The host's own child of the area: sized to the whole area.
            hosted = gtk_label_new("hosted");
            g_object_ref_sink(hosted);
            gtk_fixed_put(GTK_FIXED(static_cast<GtkWidget*>(param)), hosted, 5, 5);
            gtk_widget_show(hosted);
        }
        if (code != XUI_EVENT_CREATED) {
            return;
        }
        run.script.until(
            [&] { return host::Viewable(run.window); },
            [&] {
                GtkWidget* entry = FindWidget(XUI_WIN_RAW(run.window), GTK_TYPE_ENTRY);
                GtkWidget* view = FindWidget(XUI_WIN_RAW(run.window), GTK_TYPE_TEXT_VIEW);
                ASSERT_TRUE(entry && view);
                host::Click(run.window, 100, 80);  // e.num, below the button
                run.script.after(200, [&] {
                    for (unsigned k : {GDK_KEY_a, GDK_KEY_1, GDK_KEY_b, GDK_KEY_2}) {
                        host::Key(run.window, k);
                    }
                });
                run.script.after(600, [&, entry, view] {
                    number = gtk_entry_get_text(GTK_ENTRY(entry));
                    // What a paste inserts goes through the same filter.
                    gtk_editable_set_position(GTK_EDITABLE(entry), -1);
                    int at = gtk_editable_get_position(GTK_EDITABLE(entry));
                    gtk_editable_insert_text(GTK_EDITABLE(entry), "x3-4", -1, &at);
                    pasted = gtk_entry_get_text(GTK_ENTRY(entry));
                    host::Click(run.window, 100, 120);  // e.lines
                    run.script.after(200, [&] {
                        for (unsigned k : {GDK_KEY_q, GDK_KEY_Return, GDK_KEY_w, GDK_KEY_e,
                                           GDK_KEY_r, GDK_KEY_t, GDK_KEY_y}) {
                            host::Key(run.window, k);
                        }
                    });
                    run.script.after(700, [&, view] {
                        GtkTextBuffer* b = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
                        GtkTextIter s, e;
                        gtk_text_buffer_get_bounds(b, &s, &e);
                        gchar* text = gtk_text_buffer_get_text(b, &s, &e, FALSE);
                        lines = text;
                        g_free(text);
                        hostedSize = {gtk_widget_get_allocated_width(hosted),
                                      gtk_widget_get_allocated_height(hosted)};
                        XUI_WIN_DESTROY(run.window);
                    });
                });
            });
        run.script.after(8000, [&] { XUI_WIN_DESTROY(run.window); });
    };
    ASSERT_EQ(XUI_LOAD(&run.app, package.path().c_str(), ""), 0);
    EXPECT_EQ(number, "12") << "typed letters are dropped";
    EXPECT_EQ(pasted, "1234") << "and pasted ones";
    EXPECT_EQ(lines, "q\nwer") << "five characters at most, the line break counted";
    EXPECT_EQ(focus.heard, (std::vector<std::string>{"+e.num", "-e.num", "+e.lines", "-e.lines"}))
        << "the last one as the window went";
    EXPECT_EQ(hostedSize, (std::pair<int, int>(282, 30))) << "autochildsize";
    if (hosted) {
        g_object_unref(hosted);
    }
}

// The text of the first shown label with text inside `widget`.
std::string ShownText(GtkWidget* widget) {
    if (!gtk_widget_get_visible(widget)) {
        return {};
    }
    if (GTK_IS_LABEL(widget) && *gtk_label_get_text(GTK_LABEL(widget))) {
        return gtk_label_get_text(GTK_LABEL(widget));
    }
    std::string found;
    if (GTK_IS_CONTAINER(widget)) {
        GList* kids = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* l = kids; l && found.empty(); l = l->next) {
            found = ShownText(GTK_WIDGET(l->data));
        }
        g_list_free(kids);
    }
    return found;
}

// The visible tooltip window's text, or empty when none is shown.
std::string ShownTip() {
    std::string text;
    GList* tops = gtk_window_list_toplevels();
    for (GList* l = tops; l; l = l->next) {
        GtkWidget* w = GTK_WIDGET(l->data);
        if (gtk_widget_get_visible(w) && std::string(G_OBJECT_TYPE_NAME(w)) == "GtkTooltipWindow") {
            text = ShownText(w);
        }
    }
    g_list_free(tops);
    return text;
}

TEST(Windows, TipsHostedAreasAndScreenPoints) {
    host::Script script;
    host::App app;
    host::Recorder main;
    XuiWindow* window = nullptr;
    std::string tipOver, tipAway;
    bool areaHidden = false, areaShownAgain = false;
    int screenX = 0, screenY = 0, originX = -1, originY = -1;
    app.start = [&] { window = XUI_WIN_REGISTER("w.main", &main); };
    main.react = [&](XuiControl*, int code, void*) {
        if (code != XUI_EVENT_CREATED) {
            return;
        }
        XuiControl* go = XUI_VCL_QUERY(window, "b.go");  // the bottom 30 pixels
        XuiControl* video = XUI_VCL_QUERY(window, "r.video");
        XUI_SET_TIPS(go, u"开始 start");
        script.until([&] { return host::Viewable(window); },
                     [&, go, video] {
                         // A window manager may still be placing the window.
                         script.after(300, [&] { host::MoveTo(window, 100, 280); });
                         script.after(1800, [&, go, video] {
                             tipOver = ShownTip();
                             int x = 0, y = 0, w = 0, h = 0;
                             XUI_SIZE_GET(go, &x, &y, &w, &h, 1);
                             screenX = x;
                             screenY = y;
                             gdk_window_get_origin(gtk_widget_get_window(XUI_WIN_RAW(window)),
                                                   &originX, &originY);
                             if (const char* shots = getenv("ZUDOZ_TEST_SHOTS")) {
                                 GdkPixbuf* p = gdk_pixbuf_get_from_window(
                                     gdk_get_default_root_window(), originX, originY, 400, 340);
                                 gdk_pixbuf_save(p, (std::string(shots) + "/tip.png").c_str(),
                                                 "png", nullptr, nullptr);
                                 g_object_unref(p);
                             }
                             host::MoveTo(window, 100, 20);
                             XUI_VISIBLE_SET(video, 0);
                             script.after(600, [&, video] {
                                 tipAway = ShownTip();
                                 GtkWidget* raw = FindWidget(XUI_WIN_RAW(window), GTK_TYPE_FIXED);
                                 areaHidden = raw && !gtk_widget_get_visible(raw);
                                 XUI_VISIBLE_SET(video, 1);
                                 areaShownAgain = raw && gtk_widget_get_visible(raw);
                                 // Clicks on the area once it is back on screen: a click,
                                 // a double click, a right click.
                                 script.after(300, [&] {
                                     host::Click(window, 100, 100);
                                     host::Click(window, 100, 100);
                                 });
                                 script.after(900, [&] {
                                     Display* d = host::XDisplayOf(window);
                                     XTestFakeButtonEvent(d, 3, True, CurrentTime);
                                     XTestFakeButtonEvent(d, 3, False, CurrentTime);
                                     XFlush(d);
                                     script.after(300, [&] { XUI_WIN_DESTROY(window); });
                                 });
                             });
                         });
                     });
    };
    ASSERT_EQ(XUI_LOAD(&app, PackagePath(), "zh"), 0);
    EXPECT_EQ(tipOver, "开始 start") << "the tip of the control under the pointer";
    EXPECT_EQ(tipAway, "") << "gone once the pointer left it";
    EXPECT_EQ(screenX, originX) << "b.go starts at the client's left edge";
    EXPECT_EQ(screenY, originY + 270);
    EXPECT_TRUE(areaHidden);
    EXPECT_TRUE(areaShownAgain);
    std::vector<int> clicks =
        Only(main.codesOf("r.video"), {XUI_EVENT_CLICK, XUI_EVENT_DBLCLICK, XUI_EVENT_RCLICK});
    EXPECT_EQ(clicks, (std::vector<int>{XUI_EVENT_CLICK, XUI_EVENT_DBLCLICK, XUI_EVENT_CLICK,
                                        XUI_EVENT_RCLICK}));
}

TEST(Windows, AutoHideOnMouseOutHidesAndTellsTheHost) {
    FramePackage package;
    FrameRun run;
    host::Recorder popEvents;
    XuiWindow* pop = nullptr;
    bool shownFirst = false, hiddenAfter = false;
    run.app.start = [&] {
        run.window = XUI_WIN_REGISTER("w.frame", &run.events);
        pop = XUI_WIN_REGISTER("w.pop", &popEvents);
    };
    run.events.react = [&](XuiControl*, int code, void*) {
        if (code != XUI_EVENT_CREATED) {
            return;
        }
        XUI_WIN_CREATE(pop, nullptr);
        XUI_VISIBLE_SET(reinterpret_cast<XuiControl*>(pop), 1);
        run.script.until([&] { return host::Viewable(pop); },
                         [&] {
                             shownFirst = gtk_widget_get_visible(XUI_WIN_RAW(pop));
                             host::MoveTo(pop, 60, 40);
                             run.script.after(300, [&] {
                                 host::MoveTo(pop, 200, 40);  // out to the right
                                 run.script.after(400, [&] {
                                     hiddenAfter = !gtk_widget_get_visible(XUI_WIN_RAW(pop));
                                     XUI_WIN_DESTROY(run.window);
                                 });
                             });
                         });
    };
    ASSERT_EQ(XUI_LOAD(&run.app, package.path().c_str(), ""), 0);
    EXPECT_TRUE(shownFirst);
    EXPECT_TRUE(hiddenAfter) << "the pointer left the window";
    EXPECT_EQ(Only(popEvents.codesOf("w.pop"), {XUI_EVENT_SHOW}).size(), 2u)
        << "shown by the host, hidden by itself";
    EXPECT_EQ(XUI_VISIBLE_GET(nullptr), 0);
}

// Client x of the centre of the box `n` places left of the right edge
// (0 close, 1 maximise, 2 minimise) of the frame window now.
int BoxX(XuiWindow* w, int n) {
    return gtk_widget_get_allocated_width(XUI_WIN_RAW(w)) - 4 - 28 * n - 14;
}

TEST(CustomFrame, BoxesMaximiseRestoreAndMinimiseUnderAWindowManager) {
    FramePackage package;
    FrameRun run;
    bool managed = false, maximised = false, restored = false, iconified = false;
    run.app.start = [&] { run.window = XUI_WIN_REGISTER("w.frame", &run.events); };
    run.events.react = [&](XuiControl*, int code, void*) {
        if (code != XUI_EVENT_CREATED) {
            return;
        }
        managed = gdk_x11_screen_supports_net_wm_hint(
            gdk_screen_get_default(),
            gdk_atom_intern_static_string("_NET_WM_STATE_MAXIMIZED_VERT"));
        if (!managed) {
            run.script.after(10, [&] { XUI_WIN_DESTROY(run.window); });
            return;
        }
        run.script.until(
            [&] { return host::Viewable(run.window); },
            [&] {
                run.script.after(300, [&] { host::Click(run.window, BoxX(run.window, 1), 14); });
                run.script.after(1000, [&] {
                    maximised = gtk_window_is_maximized(run.top());
                    host::Click(run.window, BoxX(run.window, 1), 14);
                });
                run.script.after(1700, [&] {
                    restored = !gtk_window_is_maximized(run.top());
                    host::Click(run.window, BoxX(run.window, 2), 14);
                });
                run.script.after(2400, [&] {
                    iconified =
                        gdk_window_get_state(gtk_widget_get_window(XUI_WIN_RAW(run.window))) &
                        GDK_WINDOW_STATE_ICONIFIED;
                    XUI_WIN_DESTROY(run.window);
                });
            });
    };
    ASSERT_EQ(XUI_LOAD(&run.app, package.path().c_str(), ""), 0);
    if (!managed) {
        GTEST_SKIP() << "needs a window manager";
    }
    EXPECT_TRUE(maximised);
    EXPECT_TRUE(restored) << "the maximise box of a maximised window restores it";
    EXPECT_TRUE(iconified);
}

}  // namespace
