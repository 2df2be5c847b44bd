#include "window/inspect.h"

#include <charconv>
#include <cmath>

#include "controls/edit.h"
#include "controls/tree_node.h"
#include "platform/utf.h"
#include "res/image.h"

namespace Vcl::inspect {

namespace {

int Scaled(long long v, int scale) {
    return Rect::Saturate(v * scale);
}

void Collect(const TreeNode& node, int ox, int oy, int scale, std::vector<ControlState>& out) {
    const Layer* c = node.control.get();
    if (!c) {
        return;
    }
    if (!c->name.empty()) {
        ControlState s;
        s.name = c->name;
        s.kind = c->element;
        s.row = c->itemIndex;
        s.client = c->rect;
        s.screen = Rect{Rect::Saturate(static_cast<long long>(Scaled(c->rect.x, scale)) + ox),
                        Rect::Saturate(static_cast<long long>(Scaled(c->rect.y, scale)) + oy),
                        Scaled(c->rect.width, scale), Scaled(c->rect.height, scale)};
        s.visible = c->shown();
        s.enabled = c->enabled;
        s.checked = c->isChecked();
        s.text = zv::Utf16ToUtf8(c->text());
        if (const auto* edit = dynamic_cast<const Edit*>(c);
            edit && (edit->style & EditStyle::Password)) {
            // A password never leaves the entry: the record shows its length.
            s.text.clear();
            for (size_t k = 0, n = c->text().size(); k < n; ++k) {
                s.text += "\u2022";
            }
        }
        // imageSlot is not const: a slot read never changes the control.
        auto* mutableControl = const_cast<Layer*>(c);
        for (int slot = 1; slot <= 8; ++slot) {
            const Res::xImage* image = mutableControl->imageSlot(slot);
            s.frames[slot - 1] = image ? image->index : -1;
        }
        s.percent = c->percent();
        out.push_back(std::move(s));
    }
    for (const auto& child : node.children) {
        Collect(*child, ox, oy, scale, out);
    }
}

// Appends text escaped for JSON. Ill-formed UTF-8 becomes U+FFFD through
// the platform's converter, so the record is always valid JSON.
void AppendEscaped(std::string& out, std::string_view s) {
    static const char kHex[] = "0123456789abcdef";
    const std::string clean = zv::Utf16ToUtf8(zv::Utf8ToUtf16(s));
    for (const char c : clean) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80) {
            out += c;
            continue;
        }
        switch (b) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (b < 0x20) {
                    out += "\\u00";
                    out += kHex[b >> 4];
                    out += kHex[b & 15];
                } else {
                    out += static_cast<char>(b);
                }
        }
    }
}

class Writer {
public:
    std::string out;

    void str(std::string_view s) {
        out += '"';
        AppendEscaped(out, s);
        out += '"';
    }
    void key(std::string_view k) {
        comma();
        str(k);
        out += ':';
        fresh_ = true;
    }
    void num(long long v) {
        comma();
        char buf[24];
        auto r = std::to_chars(buf, buf + sizeof(buf), v);
        out.append(buf, r.ptr);
    }
    void real(double v) {
        comma();
        if (!std::isfinite(v)) {
            out += "null";
            return;
        }
        char buf[32];
        auto r = std::to_chars(buf, buf + sizeof(buf), v);
        out.append(buf, r.ptr);
    }
    void boolean(bool v) {
        comma();
        out += v ? "true" : "false";
    }
    void text(std::string_view s) {
        comma();
        str(s);
    }
    void open(char c) {
        comma();
        out += c;
        fresh_ = true;
    }
    void close(char c) {
        out += c;
        fresh_ = false;
    }
    void rect(std::string_view prefix, const Rect& r) {
        key(prefix);
        open('{');
        key("x"), num(r.x);
        key("y"), num(r.y);
        key("width"), num(r.width);
        key("height"), num(r.height);
        close('}');
    }

private:
    // A value or key right after '{', '[' or a key needs no comma.
    void comma() {
        if (!fresh_) {
            out += ',';
        }
        fresh_ = false;
    }
    bool fresh_ = true;
};

// "name": [each(item) for every item]
template <typename Items, typename F>
void WriteArray(Writer& w, std::string_view name, const Items& items, F each) {
    w.key(name);
    w.open('[');
    for (const auto& item : items) {
        each(w, item);
    }
    w.close(']');
}

void WriteControl(Writer& w, const ControlState& c) {
    w.open('{');
    w.key("name"), w.text(c.name);
    w.key("kind"), w.text(c.kind);
    w.key("row"), w.num(c.row);
    w.rect("client", c.client);
    w.rect("screen", c.screen);
    w.key("visible"), w.boolean(c.visible);
    w.key("enabled"), w.boolean(c.enabled);
    w.key("checked"), w.boolean(c.checked);
    w.key("text"), w.text(c.text);
    WriteArray(w, "images", c.frames, [](Writer& out, int f) { out.num(f); });
    w.key("percent"), w.real(c.percent);
    w.close('}');
}

void WriteWindow(Writer& w, const WindowState& win) {
    w.open('{');
    w.key("id"), w.text(win.id);
    w.key("xid"), w.num(static_cast<long long>(win.xid));
    w.key("main"), w.boolean(win.main);
    w.key("visible"), w.boolean(win.visible);
    w.key("scale"), w.num(win.scale);
    w.rect("screen", win.screen);
    WriteArray(w, "controls", win.controls, WriteControl);
    w.close('}');
}

void WriteMessageBox(Writer& w, const MessageBoxState& box) {
    w.open('{');
    w.key("caption"), w.text(box.caption);
    w.key("text"), w.text(box.text);
    w.key("secondary"), w.text(box.secondary);
    w.key("type"), w.text(box.type);
    WriteArray(w, "buttons", box.buttons, [](Writer& out, const std::string& b) { out.text(b); });
    w.key("flags"), w.num(box.flags);
    w.rect("screen", box.screen);
    w.close('}');
}

void WriteMenuItem(Writer& w, const MenuItemState& item) {
    w.open('{');
    w.key("id"), w.text(item.id);
    w.key("text"), w.text(item.text);
    w.key("command"), w.num(item.command);
    w.key("separator"), w.boolean(item.separator);
    w.key("submenu"), w.boolean(item.submenu);
    w.key("enabled"), w.boolean(item.enabled);
    w.key("checked"), w.boolean(item.checked);
    w.rect("screen", item.screen);
    w.close('}');
}

void WriteMenu(Writer& w, const MenuState& menu) {
    w.open('{');
    w.rect("screen", menu.screen);
    WriteArray(w, "items", menu.items, WriteMenuItem);
    w.close('}');
}

}  // namespace

std::vector<ControlState> CollectControls(const TreeNode& root, int originX, int originY,
                                          int scale) {
    std::vector<ControlState> out;
    Collect(root, originX, originY, scale > 0 ? scale : 1, out);
    return out;
}

int MessageBoxFlags(const std::string& type, const std::vector<std::string>& buttons) {
    int icon = 0;
    if (type == "error") {
        icon = 16;
    } else if (type == "question") {
        icon = 32;
    } else if (type == "warning") {
        icon = 48;
    } else if (type == "info") {
        icon = 64;
    }
    auto has = [&](const char* b) {
        for (const auto& x : buttons) {
            if (x == b) {
                return true;
            }
        }
        return false;
    };
    int set = 0;
    if (has("yes") && has("no")) {
        set = has("cancel") ? 3 : 4;
    } else if (has("ok") && has("cancel")) {
        set = 1;
    }
    return icon | set;
}

std::string JsonString(std::string_view utf8) {
    std::string out = "\"";
    AppendEscaped(out, utf8);
    out += '"';
    return out;
}

std::string ToJson(const Snapshot& snapshot) {
    Writer w;
    w.open('{');
    WriteArray(w, "windows", snapshot.windows, WriteWindow);
    WriteArray(w, "messageBoxes", snapshot.messageBoxes, WriteMessageBox);
    WriteArray(w, "menus", snapshot.menus, WriteMenu);
    w.close('}');
    w.out += '\n';
    return std::move(w.out);
}

}  // namespace Vcl::inspect
