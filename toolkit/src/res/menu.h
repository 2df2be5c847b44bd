#pragma once
// "menu" resources: nested items with command numbers shared by every menu,
// and the maps between commands, ids and texts. The native menu is built by
// the host side on first use and owned here through NativeMenu.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "res/resource.h"

typedef struct _GtkWidget GtkWidget;

namespace Res {

// A native menu built from an xMenu; destroyed with it.
class NativeMenu {
public:
    virtual ~NativeMenu() = default;
    virtual GtkWidget* widget() const = 0;
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

    bool load(const tinyxml2::XMLElement* element, const LoadContext& context) override;
    // A copy for the host: same items and maps, no native menu yet.
    std::unique_ptr<xMenu> duplicate() const;

    std::vector<Item> items;
    std::map<int, std::string> commandToId;
    std::map<std::string, int> idToCommand;
    std::map<std::string, std::u16string> idToText;
    std::unique_ptr<NativeMenu> native;  // set by the host on first use

    // Host changes by item id ("id" of a command item); an undefined id
    // changes nothing and gives false. Each change drops the native menu,
    // which is built anew at the next use.
    bool setChecked(const std::string& itemId, bool checked);
    bool setEnabled(const std::string& itemId, bool enabled);
    bool remove(const std::string& itemId);
    // Removes submenus left empty and separators at either end of a level or
    // next to another separator.
    void tidy();
    // The command number of a chosen native item back to its id ("" if none).
    std::string idOfCommand(int command) const;

private:
    void buildLevel(const tinyxml2::XMLElement* first, std::vector<Item>& out, int depth,
                    const LoadContext& context);
};

}  // namespace Res
