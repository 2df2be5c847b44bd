#include "draw/picture.h"

#include <cstdint>
#include <cstring>

namespace Vcl {

namespace {

// c × a / 255, rounded to nearest, without a division.
uint32_t Premultiply(uint32_t c, uint32_t a) {
    const uint32_t t = c * a + 0x80;
    return (t + (t >> 8)) >> 8;
}

}  // namespace

SurfacePtr PictureFromPixbuf(const GdkPixbuf* pixbuf) {
    if (!pixbuf || gdk_pixbuf_get_colorspace(pixbuf) != GDK_COLORSPACE_RGB ||
        gdk_pixbuf_get_bits_per_sample(pixbuf) != 8) {
        return nullptr;
    }
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const bool hasAlpha = gdk_pixbuf_get_has_alpha(pixbuf);
    if (channels != (hasAlpha ? 4 : 3)) {
        return nullptr;
    }
    const int width = gdk_pixbuf_get_width(pixbuf), height = gdk_pixbuf_get_height(pixbuf);
    const int rowstride = gdk_pixbuf_get_rowstride(pixbuf);
    const size_t rowBytes = size_t(width) * size_t(channels);
    if (width <= 0 || height <= 0 || rowstride < 0 || size_t(rowstride) < rowBytes) {
        return nullptr;
    }
    // The last row may stop after its pixels, without the padding.
    const size_t needed = size_t(rowstride) * size_t(height - 1) + rowBytes;
    if (gdk_pixbuf_get_byte_length(pixbuf) < needed) {
        return nullptr;
    }
    SurfacePtr surface = MakeImageSurface(width, height);
    if (!surface) {
        return nullptr;
    }
    cairo_surface_flush(surface.get());
    unsigned char* out = cairo_image_surface_get_data(surface.get());
    const int outStride = cairo_image_surface_get_stride(surface.get());
    const guint8* in = gdk_pixbuf_read_pixels(pixbuf);
    for (int y = 0; y < height; ++y) {
        const guint8* src = in + size_t(y) * size_t(rowstride);
        unsigned char* row = out + size_t(y) * size_t(outStride);
        for (int x = 0; x < width; ++x, src += channels) {
            const uint32_t a = hasAlpha ? src[3] : 0xFF;
            // ARGB32 is one native-endian 32-bit word per pixel.
            const uint32_t pixel = a << 24 | Premultiply(src[0], a) << 16 |
                                   Premultiply(src[1], a) << 8 | Premultiply(src[2], a);
            std::memcpy(row + size_t(x) * 4, &pixel, 4);
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

namespace {

void DestroySurface(gpointer surface) {
    cairo_surface_destroy(static_cast<cairo_surface_t*>(surface));
}

// Tells "not converted yet" from "cannot be converted" (qdata null either way).
constexpr char kNoPicture[] = "zudoz-no-picture";

}  // namespace

cairo_surface_t* SharedPicture(GdkPixbuf* pixbuf) {
    if (!pixbuf) {
        return nullptr;
    }
    static const GQuark key = g_quark_from_static_string("zudoz-cairo-picture");
    static const GQuark failed = g_quark_from_static_string(kNoPicture);
    if (auto* known = static_cast<cairo_surface_t*>(g_object_get_qdata(G_OBJECT(pixbuf), key))) {
        return known;
    }
    if (g_object_get_qdata(G_OBJECT(pixbuf), failed)) {
        return nullptr;
    }
    SurfacePtr made = PictureFromPixbuf(pixbuf);
    if (!made) {
        g_object_set_qdata(G_OBJECT(pixbuf), failed, const_cast<char*>(kNoPicture));
        return nullptr;
    }
    cairo_surface_t* surface = made.release();
    g_object_set_qdata_full(G_OBJECT(pixbuf), key, surface, DestroySurface);
    return surface;
}

}  // namespace Vcl
