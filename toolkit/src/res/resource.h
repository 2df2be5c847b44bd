#pragma once
// The six resource kinds of "resource.xml". Every kind loads itself from its
// "res" element; the registry (xResourceManager) owns the loaded objects.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <tinyxml2.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "res/gobject_ptr.h"

typedef struct _PangoFontDescription PangoFontDescription;
typedef struct _GtkWidget GtkWidget;

namespace Res {

class xResource {
public:
    virtual ~xResource() = default;
    virtual bool load(const tinyxml2::XMLElement* element) = 0;

    std::string id;
    std::string type = "unkown";
};

class xText : public xResource {
public:
    bool load(const tinyxml2::XMLElement* element) override;
    std::u16string text;
};

// "#p1p2p3[,AA]" with red = p3, green = p2, blue = p1; 0 when malformed.
uint32_t ParseColor(const std::string& value);

class xColor : public xResource {
public:
    bool load(const tinyxml2::XMLElement* element) override;
    uint32_t argb = 0xFF000000u;
    // Native order 0x00BBGGRR, alpha dropped.
    uint32_t native() const {
        return ((argb & 0xFF) << 16) | (argb & 0xFF00) | ((argb >> 16) & 0xFF);
    }
};

class xImage : public xResource {
public:
    enum Mode { Original = 0, Tile = 1, Stretch = 2, Stretch9 = 3 };

    bool load(const tinyxml2::XMLElement* element) override;
    // Sets the decoded picture and derives the frame size from it.
    void setImage(GObjectPtr<GdkPixbuf> picture);
    // A copy sharing the picture (copies take their own reference, so the
    // picture lives as long as any image that shows it).
    std::unique_ptr<xImage> share(int frameIndex) const;

    GObjectPtr<GdkPixbuf> image;
    int mode = Original;
    int count = 1;
    int index = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    int ml = 0, mr = 0, mt = 0, mb = 0;
    std::string sourcePath;  // for pictures read from disk
};

// Decodes picture bytes of any format gdk-pixbuf knows; null when it cannot.
GObjectPtr<GdkPixbuf> DecodePicture(const std::vector<uint8_t>& bytes);

class xFont : public xResource {
public:
    ~xFont() override;
    bool load(const tinyxml2::XMLElement* element) override;

    // Text drawing font: the face (or the generic sans-serif family when the
    // face is not installed) at the em size in points.
    PangoFontDescription* font = nullptr;
    // The native counterpart for edits and captions: the same face at the
    // pixel height size * dpi / 72.
    PangoFontDescription* nativeFont = nullptr;
    std::string face;
    double emSize = 10.0;
    int pixelHeight = 0;
    int styleBits = 0;  // 1 bold, 2 italic, 4 underline, 8 strikeout
};

class xData : public xResource {
public:
    bool load(const tinyxml2::XMLElement* element) override;
    std::vector<uint8_t> content;
    std::string source;
    std::string path;  // the file the content was read from
};

class xMenu : public xResource {
public:
    struct Item {
        enum Kind { Command, Separator, Popup };
        Kind kind = Command;
        int command = 0;
        std::string id;
        std::u16string text;
        bool enabled = true;
        bool checked = false;
        std::vector<Item> children;
    };

    ~xMenu() override;
    bool load(const tinyxml2::XMLElement* element) override;
    // A copy for the host: same items and maps, its own native menu.
    std::unique_ptr<xMenu> duplicate() const;
    // The GtkMenu of the items, built on first use (needs GTK); owned here.
    GtkWidget* nativeMenu();

    std::vector<Item> items;
    std::map<int, std::string> commandToId;
    std::map<std::string, int> idToCommand;
    std::map<std::string, std::u16string> idToText;

private:
    void buildLevel(const tinyxml2::XMLElement* first, std::vector<Item>& out, int depth);
    GtkWidget* native_ = nullptr;
};

// The class for a "type" value; null for unknown types.
std::unique_ptr<xResource> CreateResource(const std::string& type);

}  // namespace Res
