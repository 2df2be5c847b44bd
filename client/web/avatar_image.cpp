#include "avatar_image.h"

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "platform/trace.h"

namespace zv {

namespace {

struct ObjectUnref {
    void operator()(void* object) const { g_object_unref(object); }
};
using Pixbuf = std::unique_ptr<GdkPixbuf, ObjectUnref>;
using Loader = std::unique_ptr<GdkPixbufLoader, ObjectUnref>;

struct SurfaceDestroy {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDestroy {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};

// Pictures from the network are decoded at most this large on a side; a
// bigger one is scaled down while it loads (aspect kept). The 64 x 64 result
// does not depend on it.
constexpr int kMaxDecodeSide = 4096;
// Most decoders build the whole picture before it is scaled down, so a few
// kilobytes of compressed data could demand gigabytes: such pictures are
// refused beyond this many pixels. JPEG decodes straight at a reduced size
// (down to 1/8 on a side) and SVG is drawn at the size asked for.
constexpr int64_t kMaxDecodePixels = int64_t{kMaxDecodeSide} * kMaxDecodeSide;

struct DecodeGuard {
    bool refused = false;
};

int64_t PixelLimit(GdkPixbufLoader* loader) {
    GdkPixbufFormat* format = gdk_pixbuf_loader_get_format(loader);
    gchar* name = format != nullptr ? gdk_pixbuf_format_get_name(format) : nullptr;
    const std::string kind = name != nullptr ? name : "";
    g_free(name);
    if (kind == "svg") {
        return std::numeric_limits<int64_t>::max();
    }
    return kind == "jpeg" ? kMaxDecodePixels * 64 : kMaxDecodePixels;
}

void LimitDecodeSize(GdkPixbufLoader* loader, int width, int height, gpointer data) {
    if (int64_t{width} * height > PixelLimit(loader)) {
        static_cast<DecodeGuard*>(data)->refused = true;
        // A zero size makes the decoder stop before it allocates the picture.
        gdk_pixbuf_loader_set_size(loader, 0, 0);
        return;
    }
    const int longer = std::max(width, height);
    if (longer <= kMaxDecodeSide) {
        return;
    }
    const double scale = static_cast<double>(kMaxDecodeSide) / longer;
    gdk_pixbuf_loader_set_size(loader, std::max(1, static_cast<int>(width * scale)),
                               std::max(1, static_cast<int>(height * scale)));
}

// Decodes a picture of any format gdk-pixbuf knows, detected from content.
Pixbuf LoadPicture(const std::string& path) {
    gchar* data = nullptr;
    gsize size = 0;
    if (!g_file_get_contents(path.c_str(), &data, &size, nullptr)) {
        return nullptr;
    }
    std::unique_ptr<gchar, decltype(&g_free)> owned(data, &g_free);
    if (size == 0) {
        return nullptr;
    }
    Loader loader(gdk_pixbuf_loader_new());
    DecodeGuard guard;
    g_signal_connect(loader.get(), "size-prepared", G_CALLBACK(LimitDecodeSize), &guard);
    GError* error = nullptr;
    // Fed in small pieces, so a refused size stops the decoding early.
    constexpr gsize kPiece = 16 * 1024;
    gboolean ok = TRUE;
    for (gsize offset = 0; ok && !guard.refused && offset < size; offset += kPiece) {
        ok = gdk_pixbuf_loader_write(loader.get(), reinterpret_cast<const guchar*>(data) + offset,
                                     std::min(kPiece, size - offset), &error);
    }
    if (guard.refused) {
        ZV_TRACE("MakeRoundAvatar: picture too large to decode");
        g_clear_error(&error);
        ok = FALSE;
    }
    // Close even after a failed write: the loader must not be finalised open.
    ok = gdk_pixbuf_loader_close(loader.get(), ok ? &error : nullptr) && ok;
    if (!ok) {
        ZV_TRACE("MakeRoundAvatar: not a picture: %s", error ? error->message : "?");
        g_clear_error(&error);
        return nullptr;
    }
    GdkPixbuf* picture = gdk_pixbuf_loader_get_pixbuf(loader.get());
    if (picture == nullptr) {
        return nullptr;
    }
    return Pixbuf(GDK_PIXBUF(g_object_ref(picture)));
}

// Multiplies the alpha of the RGBA `square` by the coverage of the ellipse
// that fills it, drawn antialiased by cairo, so the edge is smooth.
bool ApplyCircleAlpha(GdkPixbuf* square) {
    const int side = gdk_pixbuf_get_width(square);
    std::unique_ptr<cairo_surface_t, SurfaceDestroy> mask(
        cairo_image_surface_create(CAIRO_FORMAT_A8, side, side));
    if (cairo_surface_status(mask.get()) != CAIRO_STATUS_SUCCESS) {
        return false;
    }
    {
        std::unique_ptr<cairo_t, ContextDestroy> cr(cairo_create(mask.get()));
        cairo_arc(cr.get(), side / 2.0, side / 2.0, side / 2.0, 0, 2 * G_PI);
        cairo_fill(cr.get());
    }
    cairo_surface_flush(mask.get());
    const unsigned char* coverage = cairo_image_surface_get_data(mask.get());
    const int maskStride = cairo_image_surface_get_stride(mask.get());
    guchar* pixels = gdk_pixbuf_get_pixels(square);
    const int stride = gdk_pixbuf_get_rowstride(square);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            guchar& alpha = pixels[y * stride + x * 4 + 3];
            alpha = static_cast<guchar>((alpha * coverage[y * maskStride + x] + 127) / 255);
        }
    }
    return true;
}

}  // namespace

bool MakeRoundAvatar(const std::string& path) {
    Pixbuf picture = LoadPicture(path);
    if (!picture) {
        return false;
    }
    const int width = gdk_pixbuf_get_width(picture.get());
    const int height = gdk_pixbuf_get_height(picture.get());
    const int side = std::min(width, height);
    if (side <= 0) {
        return false;
    }
    const int left = (width - side) / 2;
    const int top = (height - side) / 2;
    Pixbuf crop(gdk_pixbuf_new_subpixbuf(picture.get(), left, top, side, side));
    // A private RGBA copy of the square (the sub-picture shares pixels).
    Pixbuf square(gdk_pixbuf_get_has_alpha(crop.get())
                      ? gdk_pixbuf_copy(crop.get())
                      : gdk_pixbuf_add_alpha(crop.get(), FALSE, 0, 0, 0));
    if (!square || gdk_pixbuf_get_n_channels(square.get()) != 4 ||
        gdk_pixbuf_get_bits_per_sample(square.get()) != 8 || !ApplyCircleAlpha(square.get())) {
        return false;
    }
    // HYPER is gdk-pixbuf's highest-quality filter, for shrinking and growing.
    Pixbuf avatar(
        gdk_pixbuf_scale_simple(square.get(), kAvatarSide, kAvatarSide, GDK_INTERP_HYPER));
    if (!avatar) {
        return false;
    }
    gchar* png = nullptr;
    gsize pngSize = 0;
    GError* error = nullptr;
    if (!gdk_pixbuf_save_to_buffer(avatar.get(), &png, &pngSize, "png", &error, nullptr)) {
        ZV_TRACE("MakeRoundAvatar: PNG encoding failed: %s", error ? error->message : "?");
        g_clear_error(&error);
        return false;
    }
    std::unique_ptr<gchar, decltype(&g_free)> ownedPng(png, &g_free);
    // Replaced in one step: a reader never sees a half-written avatar.
    if (!g_file_set_contents(path.c_str(), png, static_cast<gssize>(pngSize), &error)) {
        ZV_TRACE("MakeRoundAvatar: cannot save %s: %s", path.c_str(), error ? error->message : "?");
        g_clear_error(&error);
        return false;
    }
    return true;
}

}  // namespace zv
