// The transparency rule of the skin button's bitmap, over a plain pixel
// buffer. The Win32 side does the same with two GDI block copies; this is the
// rule both must agree on.
#pragma once

#include <cstdint>
#include <vector>

namespace vm {

// pixels: cx * cy colours (0x00BBGGRR), row by row. Returns cx * cy mask bits
// row by row: 1 where the pixel has the transparent colour (the top byte of
// either is ignored), 0 elsewhere, and blackens exactly those pixels in place.
// A buffer shorter than cx * cy or a non-positive size gives an empty mask and
// leaves the pixels alone.
std::vector<std::uint8_t> ApplyTransparencyRule(std::vector<std::uint32_t>& pixels, int cx, int cy,
                                                std::uint32_t clrTransparent);

}  // namespace vm
