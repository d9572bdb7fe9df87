#include "button/button_mask.h"

#include <cstddef>

namespace vm {

std::vector<std::uint8_t> ApplyTransparencyRule(std::vector<std::uint32_t>& pixels, int cx, int cy,
                                                std::uint32_t clrTransparent) {
    std::vector<std::uint8_t> mask;
    if (cx <= 0 || cy <= 0) return mask;
    const std::size_t count = static_cast<std::size_t>(cx) * static_cast<std::size_t>(cy);
    if (pixels.size() < count) return mask;
    mask.resize(count, 0);
    for (std::size_t i = 0; i < count; ++i) {
        // Only the colour bytes count, as in GDI's colour-to-monochrome copy.
        if ((pixels[i] & 0xFFFFFF) == (clrTransparent & 0xFFFFFF)) {
            mask[i] = 1;
            pixels[i] = 0x000000;
        }
    }
    return mask;
}

}  // namespace vm
