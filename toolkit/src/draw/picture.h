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

// The pixbuf's cairo copy, converted on first use and kept with the pixbuf
// (freed with it), so the images sharing a picture convert it once. Not
// owned by the caller; null where PictureFromPixbuf gives null. Pixbufs are
// treated as immutable: a changed picture is a new pixbuf.
cairo_surface_t* SharedPicture(GdkPixbuf* pixbuf);

}  // namespace Vcl
