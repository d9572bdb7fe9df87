// Whether a skin image file holds everything its headers promise. The
// platform's image loader trusts those headers: a file cut short loads
// whatever lies past its end, and a pixel offset beyond the end crashes the
// process. The store checks each file first and leaves the slot empty when
// the check fails. Plain code: the file is read through a callback.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace vm {

// Reads `length` bytes at `offset` into `out`; false when they are not there.
using ReadAt = std::function<bool(uint64_t offset, void* out, size_t length)>;

// A .bmp: "BM", a known info header, a supported depth and compression, the
// colour table inside the file, and every pixel row before the end.
bool BmpFileIsWhole(uint64_t fileSize, const ReadAt& read);

// An .ico: an icon directory with at least one image, every image inside the
// file, and each bitmap image's colour rows, mask rows and colour table
// inside its own entry (PNG images: the signature).
bool IcoFileIsWhole(uint64_t fileSize, const ReadAt& read);

}  // namespace vm
