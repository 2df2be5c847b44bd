#include "view_host.h"

#include <gtk/gtk.h>

namespace zv::browser {

namespace {

constexpr char kPlacementKey[] = "zv-view-placement";

struct HostedPlacement {
    ViewRect rect;
    bool haveBase = false;
    int baseWidth = 0;
    int baseHeight = 0;
};

bool IsAllocated(GtkWidget* widget) {
    GtkAllocation a;
    gtk_widget_get_allocation(widget, &a);
    // GTK's mark of a widget that was never allocated.
    return !(a.x == -1 && a.y == -1 && a.width == 1 && a.height == 1);
}

void Apply(GtkWidget* area, GtkWidget* view, const GtkAllocation& areaAllocation) {
    auto* state = static_cast<HostedPlacement*>(g_object_get_data(G_OBJECT(view), kPlacementKey));
    if (!state || gtk_widget_get_parent(view) != area) {
        return;
    }
    if (!state->haveBase) {
        state->haveBase = true;
        state->baseWidth = areaAllocation.width;
        state->baseHeight = areaAllocation.height;
    }
    const Placement p = TrackRect(state->rect, state->baseWidth, state->baseHeight,
                                  areaAllocation.width, areaAllocation.height);
    GtkAllocation child{p.x, p.y, p.width, p.height};
    // Children of a container without a window of its own are placed in the
    // coordinates of the nearest ancestor that has one.
    if (!gtk_widget_get_has_window(area)) {
        child.x += areaAllocation.x;
        child.y += areaAllocation.y;
    }
    GtkRequisition minimum;
    gtk_widget_get_preferred_size(view, &minimum, nullptr);
    gtk_widget_size_allocate(view, &child);
}

// Runs after the container placed its children, so the view's rectangle wins.
void OnAreaAllocated(GtkWidget* area, GdkRectangle* allocation, gpointer view) {
    Apply(area, GTK_WIDGET(view), *allocation);
}

}  // namespace

bool CanHostView(GtkWidget* area) {
    return area && GTK_IS_CONTAINER(area);
}

bool PlaceInArea(GtkWidget* area, GtkWidget* view, const ViewRect& rect) {
    if (!CanHostView(area) || !view) {
        return false;
    }
    auto* state = new HostedPlacement{rect};
    if (IsAllocated(area)) {
        state->haveBase = true;
        state->baseWidth = gtk_widget_get_allocated_width(area);
        state->baseHeight = gtk_widget_get_allocated_height(area);
    }
    g_object_set_data_full(G_OBJECT(view), kPlacementKey, state,
                           [](gpointer p) { delete static_cast<HostedPlacement*>(p); });
    if (GTK_IS_FIXED(area)) {
        gtk_fixed_put(GTK_FIXED(area), view, rect.left, rect.top);
    } else if (GTK_IS_LAYOUT(area)) {
        gtk_layout_put(GTK_LAYOUT(area), view, rect.left, rect.top);
    } else {
        gtk_container_add(GTK_CONTAINER(area), view);
    }
    // Disconnected automatically when the view is finalized; a destroyed view
    // that someone still references is skipped because it has no parent.
    g_signal_connect_object(area, "size-allocate", G_CALLBACK(OnAreaAllocated), view,
                            G_CONNECT_AFTER);
    gtk_widget_show(view);
    // Placed now when the area is laid out already: a view created while the
    // area is being allocated would otherwise wait for the next layout, since
    // GTK drops resize requests made during allocation.
    if (IsAllocated(area)) {
        GtkAllocation areaAllocation;
        gtk_widget_get_allocation(area, &areaAllocation);
        Apply(area, view, areaAllocation);
    }
    gtk_widget_queue_resize(area);
    return true;
}

void SetViewRect(GtkWidget* view, const ViewRect& rect) {
    if (!view) {
        return;
    }
    auto* state = static_cast<HostedPlacement*>(g_object_get_data(G_OBJECT(view), kPlacementKey));
    GtkWidget* area = gtk_widget_get_parent(view);
    if (!state || !area) {
        return;
    }
    state->rect = rect;
    state->haveBase = IsAllocated(area);
    if (state->haveBase) {
        state->baseWidth = gtk_widget_get_allocated_width(area);
        state->baseHeight = gtk_widget_get_allocated_height(area);
    }
    gtk_widget_queue_resize(area);
}

}  // namespace zv::browser
