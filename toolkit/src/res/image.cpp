#include "res/image.h"

#include "platform/trace.h"
#include "res/load_context.h"
#include "res/xml_attr.h"

namespace Res {

zv::GObjectPtr<GdkPixbuf> DecodePicture(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) {
        return {};
    }
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
    GError* error = nullptr;
    bool ok = gdk_pixbuf_loader_write(loader, bytes.data(), bytes.size(), &error);
    // close() must run even after a failed write, or the loader complains.
    ok = gdk_pixbuf_loader_close(loader, ok ? &error : nullptr) && ok;
    zv::GObjectPtr<GdkPixbuf> picture;
    if (ok) {
        GdkPixbuf* p = gdk_pixbuf_loader_get_pixbuf(loader);
        if (p) {
            picture = zv::GObjectPtr<GdkPixbuf>::Ref(p);
        }
    } else {
        ZV_TRACE("xui: picture not decoded: %s", error ? error->message : "unknown format");
    }
    if (error) {
        g_error_free(error);
    }
    g_object_unref(loader);
    return picture;
}

zv::GObjectPtr<GdkPixbuf> DecodePictureFile(const std::string& path) {
    GError* error = nullptr;
    zv::GObjectPtr<GdkPixbuf> picture(gdk_pixbuf_new_from_file(path.c_str(), &error));
    if (error) {
        ZV_TRACE("xui: image %s: %s", path.c_str(), error->message);
        g_error_free(error);
    }
    return picture;
}

std::unique_ptr<xImage> xImage::FromFile(const std::string& path) {
    auto image = std::make_unique<xImage>();
    image->mode = ImageMode::Stretch;
    image->sourcePath = path;
    image->setImage(DecodePictureFile(path));
    return image;
}

void xImage::setImage(zv::GObjectPtr<GdkPixbuf> picture) {
    image = std::move(picture);
    int w = image ? gdk_pixbuf_get_width(image.get()) : 0;
    int h = image ? gdk_pixbuf_get_height(image.get()) : 0;
    frameWidth = w / count;
    frameHeight = h;
}

bool xImage::load(const tinyxml2::XMLElement* element, const LoadContext& context) {
    // A frame count below 1 would divide by zero; such images have one frame.
    count = xml::Decimal(element, "count", 1);
    if (count < 1) {
        count = 1;
    }
    index = xml::Decimal(element, "index", 0);
    std::string stretch = xml::Text(element, "stretch");
    mode = stretch == "tile"       ? ImageMode::Tile
           : stretch == "stretch"  ? ImageMode::Stretch
           : stretch == "stretch9" ? ImageMode::Stretch9
                                   : ImageMode::Original;
    ml = xml::Decimal(element, "ml");
    mr = xml::Decimal(element, "mr");
    mt = xml::Decimal(element, "mt");
    mb = xml::Decimal(element, "mb");
    bool localFile = xml::LooseBool(element, "localfile");
    std::string text = xml::ElementText(element);
    if (text.empty()) {
        return false;
    }
    zv::GObjectPtr<GdkPixbuf> picture;
    if (localFile) {
        sourcePath = context.directory + "/" + text;
        picture = DecodePictureFile(sourcePath);
    } else {
        auto bytes = context.read(text, true);
        if (!bytes) {
            return false;
        }
        picture = DecodePicture(*bytes);
    }
    // An undecodable picture still makes an image object (it draws nothing).
    setImage(std::move(picture));
    return true;
}

std::unique_ptr<xImage> xImage::share(int frameIndex) const {
    auto copy = std::make_unique<xImage>();
    copy->id = id;
    copy->type = type;
    copy->image = image.share();
    copy->mode = mode;
    copy->count = count;
    copy->index = frameIndex;
    copy->frameWidth = frameWidth;
    copy->frameHeight = frameHeight;
    copy->ml = ml, copy->mr = mr, copy->mt = mt, copy->mb = mb;
    copy->sourcePath = sourcePath;
    return copy;
}

}  // namespace Res
