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

SharpPicture::SharpPicture(Decode decode, int width, int height, std::string owner)
    : decode_(std::move(decode)), width_(width), height_(height), owner_(std::move(owner)) {}

GdkPixbuf* SharpPicture::get() {
    if (decode_) {
        Decode decode = std::move(decode_);
        decode_ = nullptr;
        zv::GObjectPtr<GdkPixbuf> picture = decode();
        if (picture && gdk_pixbuf_get_width(picture.get()) == width_ &&
            gdk_pixbuf_get_height(picture.get()) == height_) {
            picture_ = std::move(picture);
        } else if (picture) {
            ZV_TRACE("xui: 2x picture of %s is %dx%d, not %dx%d; not used", owner_.c_str(),
                     gdk_pixbuf_get_width(picture.get()), gdk_pixbuf_get_height(picture.get()),
                     width_, height_);
        }
    }
    return picture_.get();
}

namespace {

// The decoder of the 2× picture file beside `path`; empty when there is none.
SharpPicture::Decode FileDecoder(const std::string& path) {
    if (!g_file_test(path.c_str(), G_FILE_TEST_IS_REGULAR)) {
        return {};
    }
    return [path] { return DecodePictureFile(path); };
}

}  // namespace

std::unique_ptr<xImage> xImage::FromFile(const std::string& path) {
    auto image = std::make_unique<xImage>();
    image->mode = ImageMode::Stretch;
    image->sourcePath = path;
    image->setImage(DecodePictureFile(path), FileDecoder(Name2x(path)));
    return image;
}

void xImage::setImage(zv::GObjectPtr<GdkPixbuf> picture, zv::GObjectPtr<GdkPixbuf> picture2x) {
    SharpPicture::Decode decode2x;
    if (picture2x) {
        auto decoded = std::make_shared<zv::GObjectPtr<GdkPixbuf>>(std::move(picture2x));
        decode2x = [decoded] { return std::move(*decoded); };
    }
    setImage(std::move(picture), std::move(decode2x));
    if (image2x) {
        image2x->get();  // already decoded: checked now
    }
}

void xImage::setImage(zv::GObjectPtr<GdkPixbuf> picture, SharpPicture::Decode decode2x) {
    image = std::move(picture);
    int w = image ? gdk_pixbuf_get_width(image.get()) : 0;
    int h = image ? gdk_pixbuf_get_height(image.get()) : 0;
    frameWidth = w / count;
    frameHeight = h;
    image2x.reset();
    if (decode2x && image) {
        image2x = std::make_shared<SharpPicture>(std::move(decode2x), 2 * w, 2 * h, id);
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
    zv::GObjectPtr<GdkPixbuf> picture;
    SharpPicture::Decode decode2x;
    if (localFile) {
        sourcePath = context.directory + "/" + text;
        picture = DecodePictureFile(sourcePath);
        decode2x = FileDecoder(Name2x(sourcePath));
    } else {
        auto bytes = context.read(text, true);
        if (!bytes) {
            return false;
        }
        picture = DecodePicture(*bytes);
        if (auto bytes2x = context.readBeside(text, Name2x(text))) {
            auto encoded = std::make_shared<std::vector<uint8_t>>(std::move(*bytes2x));
            decode2x = [encoded] { return DecodePicture(*encoded); };
        }
    }
    // An undecodable picture still makes an image object (it draws nothing).
    setImage(std::move(picture), std::move(decode2x));
    return true;
}

std::unique_ptr<xImage> xImage::share(int frameIndex) const {
    auto copy = std::make_unique<xImage>();
    copy->id = id;
    copy->type = type;
    copy->image = image.share();
    copy->image2x = image2x;
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
