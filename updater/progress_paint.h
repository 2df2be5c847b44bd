#pragma once
// The updater window's picture while it downloads: the two versions at the
// top, the progress bar with its percentage below. Drawn with cairo and
// Pango only, so tests render it off screen exactly as the window shows it.
#include <cairo.h>

#include <cstdint>
#include <string>

namespace zv::updater {

struct ProgressView {
    std::string latestVersion;     // UTF-8
    std::string installedVersion;  // UTF-8
    int32_t totalBytes = 0;        // 0 until the server announced a size
    int32_t receivedBytes = 0;
};

struct Rect {
    int left, top, right, bottom;
};

// Everything the painting places, for a client area of width x height.
struct ProgressLayout {
    Rect textArea;  // the versions, word-wrapped
    Rect barBack;   // light grey; the percentage is centred in it
    Rect bar;       // green; right == left while nothing is known
    double fraction = 0;
};

ProgressLayout LayoutProgress(int width, int height, int32_t totalBytes, int32_t receivedBytes);

// "您的软件有新的版本（<latest>）可用了!\r\n当前版本为（<installed>）。"
std::string HeadlineText(const std::string& latest, const std::string& installed);

// "下载 - 12.34 %"
std::string PercentText(double fraction);

// The background (the window colour, white), then the texts and the bar.
void PaintProgress(cairo_t* cr, int width, int height, const ProgressView& view);

}  // namespace zv::updater
