// The custom frame of a window whose description names "NC.CLIENT": the
// window has no system frame, and presses outside the client start the
// window manager's move or resize as the frame's hit test says. Maximised
// windows need no inset here: X11 frames have no invisible borders.
#include "host/ms_window_signals.h"
#include "window/window.h"

namespace HostWin {

namespace {

GdkWindowEdge EdgeOf(Vcl::FrameHit hit) {
    using Vcl::FrameHit;
    switch (hit) {
        case FrameHit::Left:
            return GDK_WINDOW_EDGE_WEST;
        case FrameHit::Right:
            return GDK_WINDOW_EDGE_EAST;
        case FrameHit::Top:
            return GDK_WINDOW_EDGE_NORTH;
        case FrameHit::Bottom:
            return GDK_WINDOW_EDGE_SOUTH;
        case FrameHit::TopLeft:
            return GDK_WINDOW_EDGE_NORTH_WEST;
        case FrameHit::TopRight:
            return GDK_WINDOW_EDGE_NORTH_EAST;
        case FrameHit::BottomLeft:
            return GDK_WINDOW_EDGE_SOUTH_WEST;
        default:
            return GDK_WINDOW_EDGE_SOUTH_EAST;
    }
}

}  // namespace

void MsWindow::lookUpFrame() {
    frame_.lookUp(window_);
}

bool MsWindow::framePress(const GdkEventButton& b) {
    using Vcl::FrameHit;
    const FrameHit hit =
        Vcl::HitFrame(frame_.geometry(clientWidth_, clientHeight_), int(b.x), int(b.y));
    frameButtons_.press(hit);
    if (hit == FrameHit::Client || Vcl::IsFrameButton(hit)) {
        return false;  // the controls there hear the press
    }
    GtkWindow* top = GTK_WINDOW(top_);
    const int rx = int(b.x_root), ry = int(b.y_root);
    if (hit == FrameHit::Caption) {
        gtk_window_begin_move_drag(top, int(b.button), rx, ry, b.time);
    } else if ((window_.styles.style & Vcl::StyleBits::ThickFrame) &&
               gtk_window_get_resizable(top)) {
        gtk_window_begin_resize_drag(top, EdgeOf(hit), int(b.button), rx, ry, b.time);
    }
    return true;
}

void MsWindow::frameRelease(const GdkEventButton& b) {
    if (!top_) {
        return;  // the host closed the window on the click
    }
    const Vcl::FrameHit box = frameButtons_.release(
        Vcl::HitFrame(frame_.geometry(clientWidth_, clientHeight_), int(b.x), int(b.y)));
    if (box != Vcl::FrameHit::Client) {
        frameCommand(box);
    }
}

void MsWindow::frameCommand(Vcl::FrameHit box) {
    if (!top_ || childWindow_) {
        return;
    }
    GtkWindow* top = GTK_WINDOW(top_);
    switch (box) {
        case Vcl::FrameHit::Close:
            requestClose();
            break;
        case Vcl::FrameHit::Maximize:
            if (gtk_window_is_maximized(top)) {
                gtk_window_unmaximize(top);
            } else {
                gtk_window_maximize(top);
            }
            break;
        case Vcl::FrameHit::Minimize:
            gtk_window_iconify(top);
            break;
        default:
            break;
    }
}

void MsWindow::requestClose() {
    if (window_.isDialog) {
        window_.command(2);  // the system close of a dialog is its Cancel
        return;
    }
    if (window_.askClose() && top_) {
        destroy();
    }
}

}  // namespace HostWin
