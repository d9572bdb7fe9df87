// Where the skin button's images and caption go. Plain code: the Win32 class
// gathers the sizes and flags and draws at the rectangles computed here.
#pragma once

#include "fw/geometry.h"

namespace vm {

// Places one image (icon or bitmap) in the item rectangle and returns the
// image rectangle; only its left and top matter, its right and bottom stay
// those of the item. With a caption the image sits at margin.x from the left
// and the caption's left edge moves past it; without one the image is centred
// across and the caption is left alone. margin.y is not used: the image is
// always centred down. A pressed button moves the image by pressedShift.
Rect LayoutImage(const Rect& item, Rect& caption, bool hasCaption, bool pressed, Size image, Point margin,
                 Point pressedShift);

// Centres the measured text block (which starts at the area's top-left) in the
// area. Halves truncate toward zero, so text larger than the area moves up or
// left by half the overflow rounded toward zero (-3 gives -1).
Rect CentreText(const Rect& area, const Rect& measured);

}  // namespace vm
