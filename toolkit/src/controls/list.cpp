#include "controls/list.h"

#include <climits>
#include <numeric>

#include "controls/list_rows.h"
#include "controls/registry.h"
#include "layout/layout.h"
#include "layout/rows.h"
#include "res/resource_manager.h"
#include "res/xml_attr.h"

namespace Vcl {

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

// The order that sorts `data` by `less`, by a bottom-up merge: every step
// stays inside its runs, so whatever the predicate answers the result is a
// permutation (sorted when the predicate is a strict weak order; stable).
std::vector<size_t> MergeOrder(const std::vector<int>& data,
                               const std::function<bool(int, int)>& less) {
    const size_t n = data.size();
    std::vector<size_t> from(n), to(n);
    std::iota(from.begin(), from.end(), size_t{0});
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            const size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) {
                to[k++] = less(data[from[j]], data[from[i]]) ? from[j++] : from[i++];
            }
            while (i < mid) {
                to[k++] = from[i++];
            }
            while (j < hi) {
                to[k++] = from[j++];
            }
        }
        from.swap(to);
    }
    return from;
}

std::unique_ptr<Res::xColor> CopyColor(const Res::xColor* color) {
    if (!color) {
        return nullptr;
    }
    auto copy = std::make_unique<Res::xColor>();
    copy->id = color->id;
    copy->type = color->type;
    copy->argb = color->argb;
    return copy;
}

}  // namespace

List::~List() = default;

bool List::load(const tinyxml2::XMLElement* e, const LoadScope& scope) {
    if (!Scroll::load(e, scope)) {
        return false;
    }
    resources_ = &scope.resources;
    colorOdd = scope.resources.readColor(e->Attribute("color-odd"));
    colorEven = scope.resources.readColor(e->Attribute("color-even"));
    const tinyxml2::XMLElement* item = e->FirstChildElement("item");
    const tinyxml2::XMLElement* templ = item ? item->FirstChildElement() : nullptr;
    if (!templ || !IsRowKind(templ->Name())) {
        return false;  // without a row description that can be copied it is no list
    }
    itemHeight = Res::xml::Decimal(item, "height", 12);
    if (itemHeight == 0) {
        itemHeight = 12;  // a zero row height would divide by zero when placing rows
    }
    rowTemplate = std::make_unique<tinyxml2::XMLDocument>();
    rowTemplate->InsertEndChild(templ->DeepClone(rowTemplate.get()));
    return true;
}

Rect List::rowArea() const {
    Rect area = rect.inset(ml, mt, mr, mb);
    const int t = thickness();
    if (t > 0) {
        // The rows stop at the bar, so they do not paint over it.
        if (horizontal) {
            const long long end = static_cast<long long>(rect.bottom()) - t - margin;
            area.height = Rect::Saturate(std::clamp<long long>(end - area.y, 0, area.height));
        } else {
            const long long end = static_cast<long long>(rect.right()) - t - margin;
            area.width = Rect::Saturate(std::clamp<long long>(end - area.x, 0, area.width));
        }
    }
    return area;
}

int List::viewLength() const {
    const Rect inner = rect.inset(ml, mt, mr, mb);
    return std::max(0, horizontal ? inner.width : inner.height);
}

int List::rowLength(size_t index) const {
    return itemHeight > 0 ? itemHeight : rows_[index]->length;
}

size_t List::firstRowChild() const {
    return node ? node->children.size() - rows_.size() : 0;
}

size_t List::indexOf(int id) const {
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i]->id == id) {
            return i;
        }
    }
    return kNone;
}

void List::placed() {
    const int view = viewLength();
    visibleRatio = content_ > view && content_ > 0 ? static_cast<double>(view) / content_ : 1.0;
    Scroll::placed();
    layoutRows();
}

void List::setPosition(double fraction) {
    Scroll::setPosition(fraction);
    layoutRows();
}

void List::layoutRows() {
    if (!node) {
        return;
    }
    const int view = viewLength();
    const long long hidden = content_ - view;
    // Saturated: row counts times row lengths may pass the int range.
    offset_ = hidden > 0
                  ? static_cast<int>(std::min<double>(
                        static_cast<double>(hidden) * std::clamp(position, 0.0, 1.0), INT_MAX))
                  : 0;
    const int count = itemCount();
    const RowRange r =
        itemHeight > 0
            ? FixedRowRange(count, itemHeight, offset_, view)
            : VariableRowRange(
                  count, [this](int i) { return rows_[size_t(i)]->length; }, offset_, view);
    // Painting and hit testing see the placed rows that reach into the view.
    const int base = static_cast<int>(firstRowChild());
    node->first = base + r.first;
    node->last = base + std::max(r.lastShown, r.first - 1);

    const Rect area = rowArea();
    long long pos = (horizontal ? area.x : area.y) + r.start - offset_;
    for (int i = r.first; i <= r.last; ++i) {
        const int len = rowLength(size_t(i));
        const int at = Rect::Saturate(pos);
        TreeNode& row = *rows_[size_t(i)]->node;
        row.control->rect =
            horizontal ? Rect{at, area.y, len, area.height} : Rect{area.x, at, area.width, len};
        row.control->placed();
        LayoutNode(row);
        pos += len;
    }
}

void List::refresh() {
    placed();
    invalidate();
}

void List::renumber() {
    for (size_t k = 0; k < rows_.size(); ++k) {
        rows_[k]->node->parity = k % 2 == 0 ? 1 : 0;  // the first row is odd
    }
}

void List::hideTips(const Row& row) {
    if (owner && row.node) {
        ForEachControl(*row.node, [this](Layer& c) { owner->hideTip(c); });
    }
}

int List::appendItem(int data) {
    const tinyxml2::XMLElement* templ = rowTemplate ? rowTemplate->FirstChildElement() : nullptr;
    if (!templ || !node || !resources_ || nextId_ == INT_MAX) {
        return -1;
    }
    auto row = std::make_unique<Row>();
    const LoadScope scope{*resources_, owner, this};
    auto rowNode = BuildRow(*templ, scope, node, nextId_, row->names);
    if (!rowNode) {
        return -1;
    }
    row->id = nextId_++;
    row->data = data;
    row->length = itemHeight > 0 ? itemHeight : -itemHeight;
    row->node = rowNode.get();
    rowNode->rowColorOdd = CopyColor(colorOdd.get());
    rowNode->rowColorEven = CopyColor(colorEven.get());
    rowNode->parity = rows_.size() % 2 == 0 ? 1 : 0;
    node->children.push_back(std::move(rowNode));
    content_ += row->length;
    const int id = row->id;
    rows_.push_back(std::move(row));
    ++changes_;
    refresh();
    return id;
}

void List::removeItem(int id) {
    const size_t i = indexOf(id);
    if (i == kNone || !node) {
        return;
    }
    const size_t child = firstRowChild() + i;
    std::unique_ptr<Row> row = std::move(rows_[i]);
    rows_.erase(rows_.begin() + static_cast<long>(i));
    hideTips(*row);
    content_ -= row->length;
    // A row control inside its own event is parked and freed when it ends.
    RemoveChild(*node, child);
    ++changes_;
    renumber();
    refresh();
}

void List::resetItems() {
    if (node) {
        while (!rows_.empty()) {
            hideTips(*rows_.back());
            rows_.pop_back();
            RemoveChild(*node, node->children.size() - 1);
        }
    }
    rows_.clear();
    content_ = 0;
    ++changes_;
    refresh();
}

void List::sortItems(const std::function<bool(int, int)>& less) {
    if (!less || !node) {
        return;
    }
    std::vector<int> data;
    data.reserve(rows_.size());
    for (const auto& row : rows_) {
        data.push_back(row->data);
    }
    const unsigned before = changes_;
    const std::vector<size_t> order = MergeOrder(data, less);
    if (changes_ != before) {
        return;  // the predicate changed the rows: the order no longer fits them
    }
    const size_t base = firstRowChild();
    std::vector<std::unique_ptr<Row>> rows;
    std::vector<std::unique_ptr<TreeNode>> nodes;
    for (size_t k : order) {
        rows.push_back(std::move(rows_[k]));
        nodes.push_back(std::move(node->children[base + k]));
    }
    rows_ = std::move(rows);
    std::move(nodes.begin(), nodes.end(), node->children.begin() + static_cast<long>(base));
    ++changes_;
    renumber();
    refresh();
}

std::optional<int> List::itemData(int id) const {
    const size_t i = indexOf(id);
    if (i == kNone) {
        return std::nullopt;
    }
    return rows_[i]->data;
}

Layer* List::itemQuery(int id, const std::string& name) const {
    const size_t i = indexOf(id);
    if (i == kNone) {
        return nullptr;
    }
    auto it = rows_[i]->names.find(name);
    return it == rows_[i]->names.end() ? nullptr : it->second;
}

void List::moveToItem(int id) {
    const size_t i = indexOf(id);
    if (i == kNone) {
        return;
    }
    const double fraction = rows_.size() > 1 ? static_cast<double>(i) / (rows_.size() - 1) : 0.0;
    setPercent(fraction, true);
}

void List::updateItemSize(int id, int height) {
    const size_t i = indexOf(id);
    // Rows of a fixed-height list are placed by that height alone.
    if (i == kNone || itemHeight > 0) {
        return;
    }
    height = std::max(0, height);
    content_ += static_cast<long long>(height) - rows_[i]->length;
    rows_[i]->length = height;
    ++changes_;
    refresh();
}

ZUDOZ_CONTROL_KIND("list", Kind::List, List);

}  // namespace Vcl
