#pragma once
// Geometry of the scene items: pure functions of the canvas size and the
// corner choices, so every table entry is testable without libobs.

namespace zv {

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

// Camera box of the picture-in-picture scene: a third of the canvas each way.
Size CameraBoxSize(int canvasWidth, int canvasHeight);

// Top-left point of the camera box. Corner 0 top left, 1 top right,
// 2 bottom left, 3 and any other value bottom right; 10 pixels from the edge
// the box touches.
Point MergeCornerPosition(int corner, int canvasWidth, int canvasHeight);

// Top-left point of the logo. Corner 0 top left, 1 bottom left, 2 top right,
// 3 and any other value bottom right; 16 pixels from the edges.
Point LogoCornerPosition(int corner, int canvasWidth, int canvasHeight, int logoWidth,
                         int logoHeight);

}  // namespace zv
