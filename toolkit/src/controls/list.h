#pragma once
// List: a scroll bar over rows built from a row template. The rows are the
// children of the list's node, placed in window coordinates by the list
// itself (only those in view, by the scroll offset), so the paint walk and
// the hit test reach the controls inside them. Other child elements of a
// list's description are built but never placed or shown.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/scroll.h"

namespace Vcl {

class List : public Scroll {
public:
    ~List() override;
    bool load(const tinyxml2::XMLElement* element, const LoadScope& scope) override;
    // The bar from the content length, then the rows in view.
    void placed() override;
    // Scrolls the rows to the fraction of what does not fit.
    void setPosition(double fraction) override;

    // A new row at the end holding `data`; its id (from 1, never reused
    // within the list), or -1 when the template could not be copied.
    int appendItem(int data);
    // Safe from inside an event of one of the row's own controls: that
    // control is freed once its event returns.
    void removeItem(int id);
    void resetItems();
    // Reorders rows by their data. Any predicate is safe (one that is not a
    // strict weak order gives some order); a predicate that changes the list
    // abandons the sort.
    void sortItems(const std::function<bool(int, int)>& less);
    int itemCount() const { return static_cast<int>(rows_.size()); }
    std::optional<int> itemData(int id) const;
    // The control of that name in that row, or null.
    Layer* itemQuery(int id, const std::string& name) const;
    // Scrolls to the row's place among the rows (index / (rows - 1)).
    void moveToItem(int id);
    // A row's own length in a list of per-row heights (negative "height").
    void updateItemSize(int id, int height);

    std::unique_ptr<Res::xColor> colorOdd, colorEven;
    // The "item" "height": rows of that length when positive; when negative,
    // each row keeps its own length, starting from the magnitude.
    int itemHeight = 12;
    // The row template (the first child element of "item"), kept as its own
    // document; rows are built from it.
    std::unique_ptr<tinyxml2::XMLDocument> rowTemplate;

    // Where the rows lie (the inner rectangle less the bar's band), the
    // content's length along the axis, and the scroll offset into it.
    Rect rowArea() const;
    long long contentLength() const { return content_; }
    int scrollOffset() const { return offset_; }

private:
    struct Row {
        int id = 0;
        int data = 0;
        int length = 0;
        TreeNode* node = nullptr;  // owned by the list's node
        std::map<std::string, Layer*> names;
    };

    int rowLength(size_t index) const;
    int viewLength() const;
    // Rows are the last children of the list's node.
    size_t firstRowChild() const;
    size_t indexOf(int id) const;
    void renumber();
    // Ratio, bar, rows in view; then repaint.
    void refresh();
    void layoutRows();
    void hideTips(const Row& row);

    const Res::xResourceManager* resources_ = nullptr;
    std::vector<std::unique_ptr<Row>> rows_;
    int nextId_ = 1;
    long long content_ = 0;
    int offset_ = 0;
    unsigned changes_ = 0;  // bumped by every change of the rows
};

}  // namespace Vcl
