#pragma once
// The inspection record: what tests and scripted sessions read about the
// windows on screen (named controls with their rectangles and states, open
// message boxes and popup menus), and its JSON text. Collecting from the
// native side is the host's; this part only walks the control tree and
// writes text, so it runs without a display.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "draw/rect.h"

namespace Vcl {

struct TreeNode;

namespace inspect {

struct ControlState {
    std::string name;
    std::string kind;      // the element keyword, e.g. "button"
    int row = -1;          // list row id (itemIndex), -1 outside rows
    Rect client;           // in the window's client coordinates (logical pixels)
    Rect screen;           // on the screen, in X pixels
    bool visible = false;  // shown: itself and every ancestor visible
    bool enabled = false;
    bool checked = false;
    std::string text;             // UTF-8
    std::array<int, 8> frames{};  // frame index per image slot 1..8, -1 when empty
    double percent = 0.0;
};

struct WindowState {
    std::string id;
    uint64_t xid = 0;
    bool main = false;
    bool visible = false;
    int scale = 1;  // the window's device pixels per logical pixel
    Rect screen;    // the client area on the screen, in X pixels
    std::vector<ControlState> controls;
};

struct MessageBoxState {
    std::string caption;
    std::string text;
    std::string secondary;
    std::string type;                  // "info", "warning", "question", "error", "other"
    std::vector<std::string> buttons;  // "ok", "cancel", "yes", "no", "close"
    int flags = 0;                     // the message-box flags these make (48 warning + OK, ...)
    Rect screen;
};

struct MenuItemState {
    std::string id;  // empty for items without one, separators and submenus
    std::string text;
    int command = 0;
    bool separator = false;
    bool submenu = false;
    bool enabled = true;
    bool checked = false;
    Rect screen;
};

struct MenuState {
    Rect screen;
    std::vector<MenuItemState> items;
};

struct Snapshot {
    std::vector<WindowState> windows;
    std::vector<MessageBoxState> messageBoxes;
    std::vector<MenuState> menus;
};

// Every named control under `root` in document order (list rows included,
// with their row id). Its screen rectangle is in X pixels: the logical
// rectangle times the window's `scale`, offset by the client area's screen
// origin (X pixels too), so tests drive input by it at any scale.
std::vector<ControlState> CollectControls(const TreeNode& root, int originX, int originY,
                                          int scale = 1);

// The message-box flags for a type and button set: icon 16 error, 32
// question, 48 warning, 64 information; buttons 0 OK, 1 OK/Cancel, 4 Yes/No,
// 3 Yes/No/Cancel.
int MessageBoxFlags(const std::string& type, const std::vector<std::string>& buttons);

// The text: one JSON object {"windows": [...], "messageBoxes": [...],
// "menus": [...]}, with a trailing newline.
std::string ToJson(const Snapshot& snapshot);
// A JSON string literal of UTF-8 text: quotes, backslashes and control
// characters escaped; ill-formed UTF-8 becomes U+FFFD, so the output is
// always valid JSON in valid UTF-8.
std::string JsonString(std::string_view utf8);

}  // namespace inspect
}  // namespace Vcl
