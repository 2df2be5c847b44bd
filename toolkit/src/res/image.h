#pragma once
// "image" resources: a decoded picture cut into frames, with the mode and
// margins it is drawn with. Image attributes make copies that share the
// picture and choose their own frame.
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "res/gobject_ptr.h"
#include "res/resource.h"

namespace Res {

enum class ImageMode { Original = 0, Tile = 1, Stretch = 2, Stretch9 = 3 };

class xImage : public xResource {
public:
    bool load(const tinyxml2::XMLElement* element, const LoadContext& context) override;
    // Sets the decoded picture and derives the frame size from it.
    void setImage(GObjectPtr<GdkPixbuf> picture);
    // A copy sharing the picture (copies take their own reference, so the
    // picture lives as long as any image that shows it).
    std::unique_ptr<xImage> share(int frameIndex) const;

    GObjectPtr<GdkPixbuf> image;
    ImageMode mode = ImageMode::Original;
    int count = 1;
    int index = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    int ml = 0, mr = 0, mt = 0, mb = 0;
    std::string sourcePath;  // for pictures read from disk
};

// Decodes picture bytes of any format gdk-pixbuf knows; null when it cannot.
GObjectPtr<GdkPixbuf> DecodePicture(const std::vector<uint8_t>& bytes);

}  // namespace Res
