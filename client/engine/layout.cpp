#include "layout.h"

namespace zv {

Size CameraBoxSize(int canvasWidth, int canvasHeight) {
    return {canvasWidth / 3, canvasHeight / 3};
}

Point MergeCornerPosition(int corner, int canvasWidth, int canvasHeight) {
    const int right = 2 * (canvasWidth / 3) - 10;
    const int bottom = 2 * (canvasHeight / 3) - 10;
    switch (corner) {
        case 0:
            return {10, 10};
        case 1:
            return {right, 10};
        case 2:
            return {10, bottom};
        default:
            return {right, bottom};
    }
}

Point LogoCornerPosition(int corner, int canvasWidth, int canvasHeight, int logoWidth,
                         int logoHeight) {
    const int right = canvasWidth - logoWidth - 16;
    const int bottom = canvasHeight - logoHeight - 16;
    switch (corner) {
        case 0:
            return {16, 16};
        case 1:
            return {16, bottom};
        case 2:
            return {right, 16};
        default:
            return {right, bottom};
    }
}

}  // namespace zv
