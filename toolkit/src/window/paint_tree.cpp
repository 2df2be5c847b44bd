#include "window/paint_tree.h"

#include <algorithm>

namespace Vcl {

namespace {

void PaintNode(Painter& painter, const TreeNode& node, const Rect& update);

void PaintChildren(Painter& painter, const TreeNode& node, const Rect& update) {
    const long long count = static_cast<long long>(node.children.size());
    const long long last = std::min<long long>(node.last, count - 1);
    for (long long i = std::max(0, node.first); i <= last; ++i) {
        PaintNode(painter, *node.children[static_cast<size_t>(i)], update);
    }
}

const Res::xColor* RowColor(const TreeNode& node) {
    switch (node.parity) {
        case 1:
            return node.rowColorOdd.get();
        case 0:
            return node.rowColorEven.get();
        default:
            return nullptr;
    }
}

void PaintNode(Painter& painter, const TreeNode& node, const Rect& update) {
    Layer* c = node.control.get();
    if (!c || !c->visible) {
        return;
    }
    if (c->kind == Kind::ScrollPanel) {
        {
            auto scope = painter.scope();
            painter.clip(c->rect.inset(c->ml, c->mt, c->mr, c->mb));
            PaintChildren(painter, node, update);
        }
        c->paint(painter, update);
        c->cache.markValid();
        return;
    }
    if (const Res::xColor* row = RowColor(node)) {
        painter.fill(c->rect, Color::FromArgb(row->argb));
    }
    c->paint(painter, update);
    c->cache.markValid();
    if (c->kind == Kind::List) {
        // Rows cut by the scroll offset stay inside the list.
        auto scope = painter.scope();
        painter.clip(c->rect);
        PaintChildren(painter, node, update);
        return;
    }
    PaintChildren(painter, node, update);
}

}  // namespace

void PaintTree(Painter& painter, const TreeNode& root, const Rect& update) {
    PaintNode(painter, root, update);
}

void RepaintArea(Painter& painter, const TreeNode& root, const Rect& update) {
    auto scope = painter.scope();
    painter.clip(update);
    cairo_t* cr = painter.context();
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_restore(cr);
    PaintTree(painter, root, update);
}

}  // namespace Vcl
