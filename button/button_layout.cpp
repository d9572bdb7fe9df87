#include "button/button_layout.h"

namespace vm {

Rect LayoutImage(const Rect& item, Rect& caption, bool hasCaption, bool pressed, Size image, Point margin,
                 Point pressedShift) {
    Rect placed = item;
    if (hasCaption) {
        placed.left += margin.x;
        caption.left += margin.x + image.cx;
    } else {
        // C++ division truncates toward zero, which is the rounding wanted for
        // images larger than the button too.
        placed.left += (item.Width() - image.cx) / 2;
    }
    placed.top += (item.Height() - image.cy) / 2;
    if (pressed) placed = placed.Offset(pressedShift.x, pressedShift.y);
    return placed;
}

Rect CentreText(const Rect& area, const Rect& measured) {
    return measured.Offset((area.Width() - measured.Width()) / 2, (area.Height() - measured.Height()) / 2);
}

}  // namespace vm
