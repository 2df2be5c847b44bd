#pragma once
// Decoded pictures (gdk-pixbuf) as cairo image surfaces, converted by hand
// so that nothing of GDK is needed.
#include <gdk-pixbuf/gdk-pixbuf.h>

#include "draw/surface.h"

namespace Vcl {

// A premultiplied CAIRO_FORMAT_ARGB32 copy of an 8-bit RGB or RGBA pixbuf
// (any rowstride). Null for null, empty, other layouts (colour space, bits,
// channel count) or sizes cairo cannot hold.
SurfacePtr PictureFromPixbuf(const GdkPixbuf* pixbuf);

}  // namespace Vcl
