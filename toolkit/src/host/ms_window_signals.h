#pragma once
// The GTK signal handlers of MsWindow, shared by its files.
#include <gtk/gtk.h>

#include "host/ms_window.h"

namespace HostWin {

struct MsWindow::Signals {
    static gboolean Delete(GtkWidget*, GdkEvent*, gpointer self);
    static void Destroyed(GtkWidget* widget, gpointer self);
    static void CanvasAllocated(GtkWidget*, GdkRectangle* a, gpointer self);
    static gboolean ChildPosition(GtkOverlay*, GtkWidget* widget, GdkRectangle* out, gpointer);
    static gboolean Configured(GtkWidget*, GdkEventConfigure* e, gpointer self);
    static gboolean Draw(GtkWidget*, cairo_t* cr, gpointer self);
    static void ScaleChanged(GObject*, GParamSpec*, gpointer self);
    static gboolean Pointer(GtkWidget* widget, GdkEvent* e, gpointer self);
    static void Dropped(GtkWidget*, GdkDragContext* context, gint, gint, GtkSelectionData* data,
                        guint, guint time, gpointer self);
    static gboolean FocusOut(GtkWidget* widget, GdkEvent*, gpointer self);
    static gboolean Left(GtkWidget* widget, GdkEventCrossing* e, gpointer self);
    static gboolean FirstPaint(gpointer self);
    static gboolean QueryTooltip(GtkWidget*, gint x, gint y, gboolean keyboard, GtkTooltip* tip,
                                 gpointer self);
};

// X11 sizes are 16-bit; descriptions may ask for anything.
int NativeSize(int v);

}  // namespace HostWin
