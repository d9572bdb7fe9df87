// The area an off-screen drawing pass buffers: the target's clip box, as a
// bitmap of the box's size whose first pixel is the box's top-left corner.
#pragma once

#include "fw/geometry.h"

namespace vm {

struct OffscreenArea {
    Size bitmap;   // never negative
    Point origin;  // window origin of the memory DC: the box's top-left
};

OffscreenArea OffscreenAreaFor(const Rect& clipBox);

}  // namespace vm
