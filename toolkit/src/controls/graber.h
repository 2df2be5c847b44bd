#pragma once
// Graber: a handle that drags its window.
#include "controls/control.h"

namespace Vcl {

class Graber : public Control {
public:
    bool dragging = false;
};

}  // namespace Vcl
