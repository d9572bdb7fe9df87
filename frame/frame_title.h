// Fitting the window title into the caption, as plain functions over a text
// measurer, so the candidates and their trace lines can be checked without a
// device context.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vm::frame {

// Width in pixels of a text in the caption's font.
using MeasureText = std::function<int(const std::u16string&)>;
// Does this byte start a double-byte character (code page 949 on Windows)?
using IsLeadByte = std::function<bool(std::uint8_t)>;

struct TitleFit {
    std::u16string text;              // what to draw
    std::vector<std::u16string> trace;  // one debugger line per candidate tried
};

// The title if it is narrower than avail; otherwise the longest candidate
// "first n units" + "..." narrower than avail, trying n from the full length
// down, one unit a pass, or two when the unit at the cut tests as a lead byte.
// If none fits, the last candidate tried. Comparisons are signed.
TitleFit FitTitle(const std::u16string& title, int avail, const MeasureText& measure,
                  const IsLeadByte& isLeadByte);

// "%s, %04d - %04d\n" for a candidate, its width and the whole title's width.
std::u16string FormatTraceLine(const std::u16string& candidate, int candidateWidth, int titleWidth);

// A number padded with zeros to at least four characters, as %04d does
// (the sign counts towards the four).
std::u16string Pad04(int value);

// The title of a minimised window: at most 4 units, then "..." if cut.
std::u16string MinimisedTitle(const std::u16string& title);

// Lead bytes of code page 949, for hosts without the platform's table.
bool IsCp949LeadByte(std::uint8_t b);

}  // namespace vm::frame
