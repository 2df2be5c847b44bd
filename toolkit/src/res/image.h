#pragma once
// "image" resources: a decoded picture cut into frames, with the mode and
// margins it is drawn with. Image attributes make copies that share the
// picture and choose their own frame.
//
// A picture may come with a second one for high-density screens, twice as
// wide and high, in the entry (or file) named like the first with "@2x"
// before its extension: "btn.png" and "btn@2x.png". Frame sizes and margins
// stay those of the 1× picture; a 2× picture of any other size is ignored.
// It is decoded when a screen of scale 2 first draws it: on other screens
// it costs its encoded bytes, not four times the 1× picture's pixels.
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "draw/image_draw.h"
#include "platform/gobject_ptr.h"
#include "res/resource.h"

namespace Res {

// The drawing side knows the modes; images only carry theirs.
using ImageMode = Vcl::ImageMode;

// A 2× picture, decoded on first use and kept only at the size it must have.
// Copies of an image share one, so it is decoded once. UI thread only.
class SharpPicture {
public:
    using Decode = std::function<zv::GObjectPtr<GdkPixbuf>()>;
    // `owner` names the image in the trace of a picture of the wrong size.
    SharpPicture(Decode decode, int width, int height, std::string owner);
    // The picture, decoded on the first call; null when it cannot be
    // decoded or is not `width` × `height`.
    GdkPixbuf* get();
    bool decoded() const { return !decode_; }

private:
    Decode decode_;  // empty once run
    zv::GObjectPtr<GdkPixbuf> picture_;
    int width_;
    int height_;
    std::string owner_;
};

class xImage : public xResource {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadContext& context) override;
    // Sets the decoded picture and derives the frame size from it; a 2×
    // picture is kept only when it is exactly twice the size of the first.
    void setImage(zv::GObjectPtr<GdkPixbuf> picture, zv::GObjectPtr<GdkPixbuf> picture2x = {});
    // The same with a 2× picture decoded when it is first drawn (none when
    // `decode2x` is empty).
    void setImage(zv::GObjectPtr<GdkPixbuf> picture, SharpPicture::Decode decode2x);
    // A copy sharing the picture (each copy holds its own reference, so the
    // picture lives as long as any image that shows it).
    std::unique_ptr<xImage> share(int frameIndex) const;
    // A picture file as one stretched frame; a file that cannot be read or
    // decoded gives an image that draws nothing.
    static std::unique_ptr<xImage> FromFile(const std::string& path);

    // The 2× picture, decoding it on the first call; null when there is none.
    GdkPixbuf* picture2x() const { return image2x ? image2x->get() : nullptr; }

    zv::GObjectPtr<GdkPixbuf> image;
    std::shared_ptr<SharpPicture> image2x;  // null when there is none
    ImageMode mode = ImageMode::Original;
    int count = 1;
    int index = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    int ml = 0, mr = 0, mt = 0, mb = 0;
    std::string sourcePath;  // for pictures read from disk
};

// The name of the 2× picture beside `name`: "@2x" before the extension of
// its last path part ("a/b.png" → "a/b@2x.png", "b" → "b@2x").
std::string Name2x(const std::string& name);

// Decodes picture bytes of any format gdk-pixbuf knows; null when it cannot.
zv::GObjectPtr<GdkPixbuf> DecodePicture(const std::vector<uint8_t>& bytes);
zv::GObjectPtr<GdkPixbuf> DecodePictureFile(const std::string& path);

}  // namespace Res
