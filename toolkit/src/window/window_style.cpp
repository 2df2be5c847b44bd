#include "window/window_style.h"

#include <string_view>

#include "res/xml_attr.h"

namespace Vcl {

namespace {

using namespace StyleBits;
namespace xml = Res::xml;

struct Keyword {
    std::string_view name;
    uint32_t bits;
};

// Frame keywords that mean the same bits for windows and dialogs.
constexpr Keyword kFrameKeywords[] = {
    {"visible", Visible},           {"caption", Caption}, {"border", Border},
    {"thickframe", ThickFrame},     {"minbox", MinBox},   {"maxbox", MaxBox},
    {"closebox", SysMenu},          {"sysmenu", SysMenu}, {"clipchildren", ClipChildren},
    {"clipsiblings", ClipSiblings},
};

constexpr Keyword kExtendedKeywords[] = {
    {"staticedge", ExStaticEdge},   {"appwindow", ExAppWindow},  {"toolwindow", ExToolWindow},
    {"acceptfiles", ExAcceptFiles}, {"dragdrop", ExAcceptFiles}, {"windowedge", ExWindowEdge},
};

// ORs the bits of `keyword` from `table` into `bits`; false when unknown.
template <size_t N>
bool AddKeyword(const Keyword (&table)[N], std::string_view keyword, uint32_t& bits) {
    for (const auto& entry : table) {
        if (entry.name == keyword) {
            bits |= entry.bits;
            return true;
        }
    }
    return false;
}

}  // namespace

WindowStyle ParseWindowStyle(const char* style, const char* styleEx, bool dialog) {
    WindowStyle s;
    if (dialog) {
        if (!style) {
            s.style = DefaultDialog;
        } else {
            s.style = ClipChildren | ModalFrame;
            for (const auto& k : xml::SplitList(style)) {
                if (!AddKeyword(kFrameKeywords, k, s.style) && k == "center") {
                    s.style |= DialogCenter;
                }
            }
        }
        s.center = (s.style & DialogCenter) != 0;
        return s;  // dialogs take no extended style
    }
    if (!style) {
        s.style = DefaultWindow;
    } else {
        s.style = ClipChildren;
        bool overlapped = false, popup = false;
        for (const auto& k : xml::SplitList(style)) {
            if (AddKeyword(kFrameKeywords, k, s.style))
                continue;
            if (k == "overlapped")
                overlapped = true;
            else if (k == "popup")
                popup = true;
            else if (k == "center")
                s.center = true;
            else if (k == "topmost")
                s.topmost = true;
            else if (k == "autohide" || k == "autohide-lostfocus")
                s.autoHideOnFocusLoss = true;
            else if (k == "autohide-mouseout")
                s.autoHideOnMouseOut = true;
        }
        if (!overlapped) {
            s.style |= popup ? Popup : Child;
        }
    }
    if (styleEx) {
        for (const auto& k : xml::SplitList(styleEx)) {
            AddKeyword(kExtendedKeywords, k, s.exStyle);
        }
    }
    return s;
}

}  // namespace Vcl
