#pragma once
// Keeps a page view at its rectangle inside a hosted area (a GTK container)
// while the area is laid out and resized.
#include "view_rect.h"

typedef struct _GtkWidget GtkWidget;

namespace zv::browser {

// True when `area` can hold child widgets.
bool CanHostView(GtkWidget* area);

// Adds `view` to `area` and keeps it at `rect` (the area's coordinates now)
// as the area is resized: the top-left corner stays, the distances to the
// right and bottom edges are kept. False when `area` is not a container.
bool PlaceInArea(GtkWidget* area, GtkWidget* view, const ViewRect& rect);

// Gives an already placed view a new rectangle in the area's coordinates.
void SetViewRect(GtkWidget* view, const ViewRect& rect);

}  // namespace zv::browser
