// Figures for the layout pass and the package reader:
//   zudoz_layout_bench [controls]
// prints the time of one full pass over a tree of that many controls, the
// heap allocations the pass made (it must make none), and package open and
// entry read times.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "layout/layout.h"
#include "res/package.h"

namespace {

size_t g_allocations = 0;

}  // namespace

void* operator new(size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace {

using Clock = std::chrono::steady_clock;

// A window-like tree: rows of panels with a few levels, mixing fixed and
// expanding children, alignments and a grid.
std::unique_ptr<Vcl::TreeNode> Build(int& budget, int depth) {
    auto node = std::make_unique<Vcl::TreeNode>();
    node->control = std::make_unique<Vcl::Layer>();
    Vcl::Layer& c = *node->control;
    c.node = node.get();
    c.layout = depth % 3 == 2 ? Vcl::LayoutMode::Grid
               : depth % 2    ? Vcl::LayoutMode::Vertical
                              : Vcl::LayoutMode::Horizontal;
    c.layoutItem = budget % 3 == 0 ? Vcl::LayoutItem::Expand : Vcl::LayoutItem::Fixed;
    c.align = budget % 5 == 0 ? Vcl::Align::Center : Vcl::Align::Expand;
    c.rect.width = 40 + budget % 17;
    c.rect.height = 20 + budget % 13;
    --budget;
    if (depth < 6) {
        for (int i = 0; i < 6 && budget > 0; ++i) {
            auto child = Build(budget, depth + 1);
            child->control->parent = &c;
            node->children.push_back(std::move(child));
        }
    }
    return node;
}

double Millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int controls = argc > 1 ? std::atoi(argv[1]) : 20000;
    int budget = controls;
    auto root = Build(budget, 0);
    const int built = controls - budget;
    root->control->rect.width = 1920;
    root->control->rect.height = 1080;

    Vcl::LayoutNode(*root);  // warm-up
    const int passes = 200;
    size_t before = g_allocations;
    auto t0 = Clock::now();
    for (int i = 0; i < passes; ++i) {
        root->control->rect.width = 1920 - (i % 7);
        Vcl::LayoutNode(*root);
    }
    auto t1 = Clock::now();
    size_t allocations = g_allocations - before;
    double perPass = Millis(t1 - t0) / passes;
    std::printf(
        "layout: %d controls, %.3f ms per pass, %.1f ns per control, %zu allocations in %d "
        "passes\n",
        built, perPass, perPass * 1e6 / built, allocations, passes);

    // Package: 2000 entries of 4 KiB in memory.
    Res::xPackageWriter writer;
    for (int i = 0; i < 2000; ++i) {
        writer.add("entry/" + std::to_string(i) + ".png", std::vector<uint8_t>(4096, uint8_t(i)));
    }
    auto bytes = writer.build();
    auto t2 = Clock::now();
    Res::xPackage package;
    bool opened = package.openBytes(*bytes);
    auto t3 = Clock::now();
    size_t read = 0;
    for (int i = 0; i < 2000; ++i) {
        read += package.read("entry/" + std::to_string(i) + ".png")->size();
    }
    auto t4 = Clock::now();
    std::printf("package: %s, %zu entries indexed in %.3f ms, %zu bytes read in %.3f ms\n",
                opened ? "opened" : "FAILED", package.entries().size(), Millis(t3 - t2), read,
                Millis(t4 - t3));
    return allocations == 0 && opened ? 0 : 1;
}
