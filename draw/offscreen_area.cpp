#include "draw/offscreen_area.h"

namespace vm {

OffscreenArea OffscreenAreaFor(const Rect& clipBox) {
    OffscreenArea area;
    // An empty or inverted box buffers nothing; never ask GDI for a negative size.
    area.bitmap.cx = clipBox.right > clipBox.left ? clipBox.right - clipBox.left : 0;
    area.bitmap.cy = clipBox.bottom > clipBox.top ? clipBox.bottom - clipBox.top : 0;
    area.origin = Point{clipBox.left, clipBox.top};
    return area;
}

}  // namespace vm
