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

std::string Name2x(const std::string& name) {
    const size_t slash = name.rfind('/');
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
        dot == (slash == std::string::npos ? 0 : slash + 1)) {
        return name + "@2x";  // no extension (a leading dot names, it does not extend)
    }
    return name.substr(0, dot) + "@2x" + name.substr(dot);
}

namespace {

zv::GObjectPtr<GdkPixbuf> DecodeFileIfPresent(const std::string& path) {
    if (!g_file_test(path.c_str(), G_FILE_TEST_IS_REGULAR)) {
        return {};
    }
    return DecodePictureFile(path);
}

}  // namespace

std::unique_ptr<xImage> xImage::FromFile(const std::string& path) {
    auto image = std::make_unique<xImage>();
    image->mode = ImageMode::Stretch;
    image->sourcePath = path;
    image->setImage(DecodePictureFile(path), DecodeFileIfPresent(Name2x(path)));
    return image;
}

void xImage::setImage(zv::GObjectPtr<GdkPixbuf> picture, zv::GObjectPtr<GdkPixbuf> picture2x) {
    image = std::move(picture);
    int w = image ? gdk_pixbuf_get_width(image.get()) : 0;
    int h = image ? gdk_pixbuf_get_height(image.get()) : 0;
    frameWidth = w / count;
    frameHeight = h;
    image2x.reset();
    if (picture2x && image) {
        const int w2 = gdk_pixbuf_get_width(picture2x.get());
        const int h2 = gdk_pixbuf_get_height(picture2x.get());
        if (w2 == 2 * w && h2 == 2 * h) {
            image2x = std::move(picture2x);
        } else {
            ZV_TRACE("xui: 2x picture of %s is %dx%d, not twice %dx%d; not used", id.c_str(), w2,
                     h2, w, h);
        }
    }
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
    zv::GObjectPtr<GdkPixbuf> picture, picture2x;
    if (localFile) {
        sourcePath = context.directory + "/" + text;
        picture = DecodePictureFile(sourcePath);
        picture2x = DecodeFileIfPresent(Name2x(sourcePath));
    } else {
        auto bytes = context.read(text, true);
        if (!bytes) {
            return false;
        }
        picture = DecodePicture(*bytes);
        if (auto bytes2x = context.readBeside(text, Name2x(text))) {
            picture2x = DecodePicture(*bytes2x);
        }
    }
    // An undecodable picture still makes an image object (it draws nothing).
    setImage(std::move(picture), std::move(picture2x));
    return true;
}

std::unique_ptr<xImage> xImage::share(int frameIndex) const {
    auto copy = std::make_unique<xImage>();
    copy->id = id;
    copy->type = type;
    copy->image = image.share();
    copy->image2x = image2x.share();
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
