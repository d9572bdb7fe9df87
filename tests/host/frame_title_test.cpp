// Title fitting over a fake measurer: the candidates, the trace lines and the
// double-byte cut rule.
#include "frame/frame_title.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace vm::frame;

std::string Narrow(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            char buf[12];
            snprintf(buf, sizeof buf, "<%04X>", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out;
}

// Every unit, the dots included, is 7 pixels wide.
int Seven(const std::u16string& s) { return 7 * static_cast<int>(s.size()); }

bool NoLeadBytes(std::uint8_t) { return false; }

TEST(FrameTitle, FitsWholeOnlyWhenStrictlyNarrower) {
    struct Case {
        int avail;
        const char16_t* expected;
        size_t traceLines;
    };
    const Case cases[] = {
        {43, u"abcdef", 0},     // 42 < 43: drawn whole, nothing traced
        {42, u"ab...", 5},      // exactly as wide as avail does not fit; "abc..." (42) does not either
        {36, u"ab...", 5},      // 35 < 36
        {35, u"a...", 6},       // "ab..." is exactly 35: not narrower
        {0, u"a...", 6},        // nothing fits: the last candidate tried is drawn
        {-40, u"a...", 6},      // a negative avail is compared as a number, not as a huge one
    };
    for (const Case& c : cases) {
        const TitleFit fit = FitTitle(u"abcdef", c.avail, Seven, NoLeadBytes);
        EXPECT_EQ(Narrow(fit.text), Narrow(c.expected)) << c.avail;
        EXPECT_EQ(fit.trace.size(), c.traceLines) << c.avail;
    }
}

TEST(FrameTitle, TenUnitsAt7PixelsInto50) {
    const TitleFit fit = FitTitle(u"ABCDEFGHIJ", 50, Seven, NoLeadBytes);
    EXPECT_EQ(Narrow(fit.text), "ABCD...");
    const std::vector<std::string> expected = {
        "ABCDEFGHIJ..., 0091 - 0070\n", "ABCDEFGHI..., 0084 - 0070\n", "ABCDEFGH..., 0077 - 0070\n",
        "ABCDEFG..., 0070 - 0070\n",    "ABCDEF..., 0063 - 0070\n",    "ABCDE..., 0056 - 0070\n",
        "ABCD..., 0049 - 0070\n",
    };
    std::vector<std::string> got;
    for (const auto& line : fit.trace) got.push_back(Narrow(line));
    EXPECT_EQ(got, expected);
}

TEST(FrameTitle, LeadByteAtTheCutTakesOneUnitMore) {
    // Nothing fits, so every candidate is tried. The syllable sits at index 1:
    // when the cut reaches it, a lead-byte low byte drops it with the cut.
    struct Case {
        char16_t syllable;
        std::vector<std::string> candidates;
    };
    const Case cases[] = {
        {u'\uB098', {"X<B098>YZ...", "X<B098>Y...", "X<B098>...", "..."}},  // low byte 0x98
        {u'\uB2E4', {"X<B2E4>YZ...", "X<B2E4>Y...", "X<B2E4>...", "..."}},  // 0xE4
        {u'\uAC00', {"X<AC00>YZ...", "X<AC00>Y...", "X<AC00>...", "X..."}},  // 0x00
        {u'\uB77C', {"X<B77C>YZ...", "X<B77C>Y...", "X<B77C>...", "X..."}},  // 0x7C
    };
    for (const Case& c : cases) {
        const std::u16string title = std::u16string(u"X") + c.syllable + u"YZ";
        const TitleFit fit = FitTitle(title, 1, Seven, IsCp949LeadByte);
        std::vector<std::string> got;
        for (const auto& line : fit.trace) got.push_back(Narrow(line.substr(0, line.find(u','))));
        EXPECT_EQ(got, c.candidates) << std::hex << static_cast<unsigned>(c.syllable);
        EXPECT_EQ(Narrow(fit.text), c.candidates.back());
    }
}

TEST(FrameTitle, LeadByteCheckSeesTheUnitAtTheCut) {
    // Record which bytes are asked about: the terminator first, then each
    // unit at the cut, low byte only.
    std::vector<int> asked;
    auto lead = [&](std::uint8_t b) {
        asked.push_back(b);
        return false;
    };
    FitTitle(u"a\u3131\u0141", 0, Seven, lead);
    EXPECT_EQ(asked, (std::vector<int>{0x00, 0x41, 0x31}));
}

TEST(FrameTitle, EmptyTitleDrawsNothing) {
    for (int avail : {-5, 0, 10}) {
        const TitleFit fit = FitTitle(u"", avail, Seven, NoLeadBytes);
        EXPECT_TRUE(fit.text.empty()) << avail;
        EXPECT_TRUE(fit.trace.empty()) << avail;
    }
}

TEST(FrameTitle, TraceNumbersPadLikePercent04d) {
    struct Case {
        int value;
        const char* expected;
    };
    const Case cases[] = {{0, "0000"}, {7, "0007"}, {49, "0049"}, {1234, "1234"}, {12345, "12345"},
                          {-5, "-005"}, {-1234, "-1234"}, {-2147483647 - 1, "-2147483648"}};
    for (const Case& c : cases) EXPECT_EQ(Narrow(Pad04(c.value)), c.expected) << c.value;
    EXPECT_EQ(Narrow(FormatTraceLine(u"%s\uB098...", 5, 170)), "%s<B098>..., 0005 - 0170\n");
}

TEST(FrameTitle, MinimisedTitleKeepsFourUnits) {
    struct Case {
        const char16_t* title;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"", u""},
        {u"Kelv", u"Kelv"},
        {u"Kelva", u"Kelv..."},
        {u"Kelvask", u"Kelv..."},
        {u"\uB124\uD2B8\uC6CC\uD06C \uC5F0\uACB0", u"\uB124\uD2B8\uC6CC\uD06C..."},
    };
    for (const Case& c : cases) EXPECT_EQ(Narrow(MinimisedTitle(c.title)), Narrow(c.expected)) << Narrow(c.title);
}

TEST(FrameTitle, Cp949LeadBytes) {
    EXPECT_FALSE(IsCp949LeadByte(0x00));
    EXPECT_FALSE(IsCp949LeadByte(0x80));
    EXPECT_TRUE(IsCp949LeadByte(0x81));
    EXPECT_TRUE(IsCp949LeadByte(0xFE));
    EXPECT_FALSE(IsCp949LeadByte(0xFF));
}

}  // namespace
