// The connection request: bounded copy of the WM_COPYDATA payload and the
// "#" split.
#include "dialog/connection_request.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

using vm::CopyConnectionRequest;
using vm::kRequestBufferUnits;
using vm::RequestCopy;

// A payload in a heap block of exactly cbData bytes (plus `offset` leading
// bytes to misalign it), so that any read past cbData trips ASan and any
// aligned-only load trips UBSan.
struct Payload {
    std::unique_ptr<unsigned char[]> block;
    const void* data = nullptr;
};

Payload MakePayload(const std::u16string& units, std::uint32_t cbData, std::size_t offset = 0) {
    Payload p;
    p.block.reset(new unsigned char[offset + cbData]);
    std::memset(p.block.get(), 0xAB, offset + cbData);
    std::memcpy(p.block.get() + offset, units.data(), std::min<std::size_t>(cbData, units.size() * 2));
    p.data = p.block.get() + offset;
    return p;
}

std::uint32_t WithTerminator(const std::u16string& s) { return static_cast<std::uint32_t>(2 * (s.size() + 1)); }

struct CopyCase {
    const char* name;
    std::u16string payload;  // the units laid out in memory (NULs included)
    std::uint32_t cbData;
    std::size_t offset;
    std::u16string expected;
};

class RequestCopyTest : public ::testing::TestWithParam<CopyCase> {};

TEST_P(RequestCopyTest, CopiesAtMostTheCountedUnitsUpToTheFirstNul) {
    const CopyCase& c = GetParam();
    std::u16string withNul = c.payload + u'\0';
    Payload p = MakePayload(withNul, c.cbData, c.offset);
    char16_t buffer[kRequestBufferUnits];
    std::fill(std::begin(buffer), std::end(buffer), u'X');
    std::size_t length = 999;
    EXPECT_EQ(CopyConnectionRequest(1004, c.cbData, p.data, buffer, &length), RequestCopy::Copied);
    EXPECT_EQ(std::u16string(buffer), c.expected);
    EXPECT_EQ(length, c.expected.size());
    EXPECT_LE(length, vm::kRequestMaxUnits);
}

const std::u16string kText = u"kim#pa55#fileserver";
const std::u16string k511(511, u'a');
const std::u16string k512(512, u'b');
const std::u16string k600 = std::u16string(300, u'가') + std::u16string(300, u'#');

INSTANTIATE_TEST_SUITE_P(
    Table, RequestCopyTest,
    ::testing::Values(
        CopyCase{"TextAndTerminator", kText, WithTerminator(kText), 0, kText},
        CopyCase{"TerminatorNotCounted_LosesLastUnit", kText, WithTerminator(kText) - 2, 0, u"kim#pa55#fileserve"},
        CopyCase{"OddCountDropsTheOddByte", kText, WithTerminator(kText) + 1, 0, kText},
        CopyCase{"OddCountWithoutTerminator", kText, WithTerminator(kText) - 1, 0, u"kim#pa55#fileserve"},
        CopyCase{"CountOfTwoIsEmpty", kText, 2, 0, u""},
        CopyCase{"CountOfThreeIsEmpty", kText, 3, 0, u""},
        CopyCase{"CountOfOneIsEmpty", kText, 1, 0, u""},
        CopyCase{"EmbeddedNulEndsTheText", std::u16string(u"kim#pw\0#host", 12), 26, 0, u"kim#pw"},
        CopyCase{"LeadingNul", std::u16string(u"\0kim", 4), 10, 0, u""},
        CopyCase{"UnalignedPayload", kText, WithTerminator(kText), 1, kText},
        CopyCase{"KoreanTextPassesUnchanged", u"김#비밀#서버", 16, 0, u"김#비밀#서버"},
        CopyCase{"Exactly511UnitsFitWhole", k511, WithTerminator(k511), 0, k511},
        CopyCase{"512UnitsAreCutAfter511", k512, WithTerminator(k512), 0, k512.substr(0, 511)},
        CopyCase{"LongTextWithoutTerminatorInCount", k600, 1200, 0, k600.substr(0, 511)}),
    [](const ::testing::TestParamInfo<CopyCase>& info) { return std::string(info.param.name); });

TEST(RequestCopy, OtherTypesLeaveTheBufferUntouched) {
    Payload p = MakePayload(u"kim#pw#host", 24);
    for (std::uintptr_t type : {std::uintptr_t{0}, std::uintptr_t{1003}, std::uintptr_t{1005},
                                std::uintptr_t{1004} + (std::uintptr_t{1} << 31)}) {
        char16_t buffer[kRequestBufferUnits];
        std::fill(std::begin(buffer), std::end(buffer), u'X');
        EXPECT_EQ(CopyConnectionRequest(type, 24, p.data, buffer), RequestCopy::NotARequest) << type;
        EXPECT_EQ(buffer[0], u'X');
        EXPECT_EQ(buffer[kRequestBufferUnits - 1], u'X');
    }
}

TEST(RequestCopy, RequestWithoutDataIsEmpty) {
    char16_t buffer[kRequestBufferUnits];
    std::fill(std::begin(buffer), std::end(buffer), u'X');
    EXPECT_EQ(CopyConnectionRequest(1004, 24, nullptr, buffer), RequestCopy::Copied);
    EXPECT_EQ(buffer[0], u'\0');
    std::fill(std::begin(buffer), std::end(buffer), u'X');
    EXPECT_EQ(CopyConnectionRequest(1004, 0, nullptr, buffer), RequestCopy::Copied);
    EXPECT_EQ(buffer[0], u'\0');
}

TEST(RequestCopy, HugeCountNeverWritesPastTheBuffer) {
    // A sender that claims 4 GB but carries 600 units: the copy stops at the
    // buffer (reading only 511 units of the 1202-byte block), and the unit
    // after the buffer stays untouched.
    std::u16string text(600, u'z');
    Payload p = MakePayload(text + u'\0', 1202);
    struct {
        char16_t buffer[kRequestBufferUnits];
        char16_t guard;
    } s;
    s.guard = u'G';
    std::size_t length = 0;
    CopyConnectionRequest(1004, 0xFFFFFFFFu, p.data, s.buffer, &length);
    EXPECT_EQ(length, 511u);
    EXPECT_EQ(s.buffer[511], u'\0');
    EXPECT_EQ(s.guard, u'G');
}

struct SplitCase {
    const char* name;
    std::u16string text;
    std::u16string user, password, host;
};

class RequestSplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(RequestSplitTest, FillsTheThreeFields) {
    const SplitCase& c = GetParam();
    vm::RequestFields f = vm::SplitConnectionRequest(c.text);
    EXPECT_EQ(std::u16string(f.user), c.user);
    EXPECT_EQ(std::u16string(f.password), c.password);
    EXPECT_EQ(std::u16string(f.host), c.host);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RequestSplitTest,
    ::testing::Values(
        SplitCase{"ThreeFields", u"kim#pa55#fileserver", u"kim", u"pa55", u"fileserver"},
        SplitCase{"TrailingHash", u"kim#pa55#fileserver#", u"kim", u"pa55", u"fileserver"},
        SplitCase{"LeadingHash", u"#kim#pa55#fileserver", u"kim", u"pa55", u"fileserver"},
        SplitCase{"DoubledHash", u"kim##pa55###fileserver", u"kim", u"pa55", u"fileserver"},
        SplitCase{"EmptyPasswordShiftsHost", u"kim##fileserver", u"kim", u"fileserver", u""},
        SplitCase{"UserOnly", u"kim", u"kim", u"", u""},
        SplitCase{"UserAndPassword", u"kim#pa55", u"kim", u"pa55", u""},
        SplitCase{"Empty", u"", u"", u"", u""},
        SplitCase{"OnlyHashes", u"####", u"", u"", u""},
        SplitCase{"FourFieldsUseThree", u"a#b#c#d", u"a", u"b", u"c"},
        SplitCase{"ManyFieldsUseThree", u"a#b#c#d#e#f", u"a", u"b", u"c"},
        SplitCase{"BlanksBelongToTheField", u" kim # p w #\thost ", u" kim ", u" p w ", u"\thost "},
        SplitCase{"CaseAndContentUnchanged", u"Kim.Lee#P@ss w0rd!#FILE-server.local", u"Kim.Lee", u"P@ss w0rd!",
                  u"FILE-server.local"},
        SplitCase{"Korean", u"김철수#비밀번호#파일서버", u"김철수", u"비밀번호", u"파일서버"}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

TEST(RequestSplit, CopiedThenSplitAcrossTheBufferLimit) {
    // 509 units of user, "#", then the password: the cut after 511 units leaves
    // one unit of it and no host.
    std::u16string text = std::u16string(509, u'u') + u"#pw#host";
    Payload p = MakePayload(text + u'\0', WithTerminator(text));
    char16_t buffer[kRequestBufferUnits];
    std::size_t length = 0;
    CopyConnectionRequest(1004, WithTerminator(text), p.data, buffer, &length);
    vm::RequestFields f = vm::SplitConnectionRequest(std::u16string_view(buffer, length));
    EXPECT_EQ(f.user.size(), 509u);
    EXPECT_EQ(std::u16string(f.password), u"p");
    EXPECT_TRUE(f.host.empty());
}

struct TokenStep {
    std::u16string token;
    int posAfter;
};

TEST(RequestToken, PositionsFollowTheTokenRule) {
    const std::u16string text = u"##ab#c";
    const TokenStep steps[] = {{u"ab", 5}, {u"c", 7}, {u"", -1}};
    int pos = 0;
    for (const TokenStep& s : steps) {
        EXPECT_EQ(std::u16string(vm::NextRequestToken(text, pos)), s.token);
        EXPECT_EQ(pos, s.posAfter);
    }
    // Past the end mark the position stays invalid and no token comes back.
    EXPECT_TRUE(vm::NextRequestToken(text, pos).empty());
    EXPECT_EQ(pos, -1);
    int trailing = 0;
    EXPECT_EQ(std::u16string(vm::NextRequestToken(u"x##", trailing)), u"x");
    EXPECT_EQ(trailing, 2);
    EXPECT_TRUE(vm::NextRequestToken(u"x##", trailing).empty());
    EXPECT_EQ(trailing, -1);
}

struct ComposeCase {
    const char* name;
    std::u16string user, password, host;
    vm::ComposeError error;
    vm::RequestField field;
};

class RequestComposeTest : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(RequestComposeTest, RefusesWhatTheSplitCouldNotGiveBack) {
    const ComposeCase& c = GetParam();
    vm::ComposeResult r = vm::ComposeConnectionRequest(c.user, c.password, c.host);
    EXPECT_EQ(r.error, c.error);
    if (c.error != vm::ComposeError::None) {
        EXPECT_EQ(r.field, c.field);
        EXPECT_TRUE(r.text.empty());
        return;
    }
    EXPECT_EQ(r.text, c.user + u"#" + c.password + u"#" + c.host);
    // What is sent comes back unchanged through the receiver's copy and split.
    Payload p = MakePayload(r.text + u'\0', WithTerminator(r.text));
    char16_t buffer[kRequestBufferUnits];
    std::size_t length = 0;
    CopyConnectionRequest(1004, WithTerminator(r.text), p.data, buffer, &length);
    vm::RequestFields f = vm::SplitConnectionRequest(std::u16string_view(buffer, length));
    EXPECT_EQ(std::u16string(f.user), c.user);
    EXPECT_EQ(std::u16string(f.password), c.password);
    EXPECT_EQ(std::u16string(f.host), c.host);
}

using vm::ComposeError;
using vm::RequestField;

INSTANTIATE_TEST_SUITE_P(
    Table, RequestComposeTest,
    ::testing::Values(
        ComposeCase{"Plain", u"kim", u"pa55", u"fileserver", ComposeError::None, RequestField::User},
        ComposeCase{"KoreanAndBlanks", u" 김 ", u"비밀 번호", u"서버", ComposeError::None, RequestField::User},
        ComposeCase{"LongestThatFits", std::u16string(500, u'u'), std::u16string(5, u'p'), std::u16string(4, u'h'),
                    ComposeError::None, RequestField::User},
        ComposeCase{"OneTooLong", std::u16string(500, u'u'), std::u16string(5, u'p'), std::u16string(5, u'h'),
                    ComposeError::TooLong, RequestField::User},
        ComposeCase{"EmptyUser", u"", u"pw", u"host", ComposeError::EmptyField, RequestField::User},
        ComposeCase{"EmptyPassword", u"kim", u"", u"host", ComposeError::EmptyField, RequestField::Password},
        ComposeCase{"EmptyHost", u"kim", u"pw", u"", ComposeError::EmptyField, RequestField::Host},
        ComposeCase{"HashInPassword", u"kim", u"p#w", u"host", ComposeError::HashInField, RequestField::Password},
        ComposeCase{"HashInHost", u"kim", u"pw", u"host#", ComposeError::HashInField, RequestField::Host},
        ComposeCase{"NulInUser", std::u16string(u"k\0m", 3), u"pw", u"host", ComposeError::NulInField,
                    RequestField::User}),
    [](const ::testing::TestParamInfo<ComposeCase>& info) { return std::string(info.param.name); });

}  // namespace
