#include "window.h"
#include "xml_attr.h"

namespace Vcl {

WindowStyle ParseWindowStyle(const char* style, const char* styleEx, bool dialog) {
    using namespace StyleBits;
    WindowStyle s;
    if (dialog) {
        if (!style) {
            s.style = 0x10C80880u;
        } else {
            s.style = ClipChildren | ModalFrame;
            for (const auto& k : xml::SplitList(style)) {
                if (k == "visible")
                    s.style |= Visible;
                else if (k == "caption")
                    s.style |= Caption;
                else if (k == "border")
                    s.style |= Border;
                else if (k == "thickframe")
                    s.style |= ThickFrame;
                else if (k == "minbox")
                    s.style |= MinBox;
                else if (k == "maxbox")
                    s.style |= MaxBox;
                else if (k == "closebox" || k == "sysmenu")
                    s.style |= SysMenu;
                else if (k == "center")
                    s.style |= DialogCenter;
                else if (k == "clipchildren")
                    s.style |= ClipChildren;
                else if (k == "clipsiblings")
                    s.style |= ClipSiblings;
            }
        }
        s.center = (s.style & DialogCenter) != 0;
        return s;  // dialogs take no extended style
    }
    if (!style) {
        s.style = 0x12CF0000u;
    } else {
        s.style = ClipChildren;
        bool overlapped = false, popup = false;
        for (const auto& k : xml::SplitList(style)) {
            if (k == "overlapped")
                overlapped = true;
            else if (k == "popup")
                popup = true;
            else if (k == "visible")
                s.style |= Visible;
            else if (k == "caption")
                s.style |= Caption;
            else if (k == "border")
                s.style |= Border;
            else if (k == "thickframe")
                s.style |= ThickFrame;
            else if (k == "minbox")
                s.style |= MinBox;
            else if (k == "maxbox")
                s.style |= MaxBox;
            else if (k == "closebox" || k == "sysmenu")
                s.style |= SysMenu;
            else if (k == "clipchildren")
                s.style |= ClipChildren;
            else if (k == "clipsiblings")
                s.style |= ClipSiblings;
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
            if (k == "staticedge")
                s.exStyle |= ExStaticEdge;
            else if (k == "appwindow")
                s.exStyle |= ExAppWindow;
            else if (k == "toolwindow")
                s.exStyle |= ExToolWindow;
            else if (k == "acceptfiles" || k == "dragdrop")
                s.exStyle |= ExAcceptFiles;
            else if (k == "windowedge")
                s.exStyle |= ExWindowEdge;
        }
    }
    return s;
}

}  // namespace Vcl
