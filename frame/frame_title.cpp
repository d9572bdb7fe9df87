#include "frame/frame_title.h"

namespace vm::frame {

namespace {
const std::u16string kEllipsis = u"...";
}

std::u16string Pad04(int value) {
    const bool negative = value < 0;
    unsigned long long magnitude =
        negative ? static_cast<unsigned long long>(-static_cast<long long>(value)) : static_cast<unsigned long long>(value);
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    const size_t width = negative ? 3 : 4;
    if (digits.size() < width) digits.insert(0, width - digits.size(), u'0');
    return negative ? u"-" + digits : digits;
}

// Formatted here rather than with swprintf, whose %s reads a narrow or a
// wide string depending on the C runtime it is linked with.
std::u16string FormatTraceLine(const std::u16string& candidate, int candidateWidth, int titleWidth) {
    return candidate + u", " + Pad04(candidateWidth) + u" - " + Pad04(titleWidth) + u"\n";
}

TitleFit FitTitle(const std::u16string& title, int avail, const MeasureText& measure, const IsLeadByte& isLeadByte) {
    TitleFit fit;
    const int full = measure(title);
    if (avail > full) {
        fit.text = title;
        return fit;
    }
    int n = static_cast<int>(title.size());
    while (n > 0) {
        // The unit at the cut; at the first pass that is the terminator.
        const char16_t unit = static_cast<size_t>(n) < title.size() ? title[static_cast<size_t>(n)] : u'\0';
        // The double-byte rule is applied to the unit's low byte.
        if (isLeadByte(static_cast<std::uint8_t>(unit & 0xFF))) --n;
        fit.text = title.substr(0, static_cast<size_t>(n)) + kEllipsis;
        const int width = measure(fit.text);
        fit.trace.push_back(FormatTraceLine(fit.text, width, full));
        if (width < avail) break;
        --n;
    }
    return fit;
}

std::u16string MinimisedTitle(const std::u16string& title) {
    if (title.size() > 4) return title.substr(0, 4) + kEllipsis;
    return title;
}

bool IsCp949LeadByte(std::uint8_t b) { return b >= 0x81 && b <= 0xFE; }

}  // namespace vm::frame
