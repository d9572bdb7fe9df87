// Malformed connection requests sent to the running program from another
// process, as a careless or hostile companion would send them. After each one
// the program must still be alive and answering, and its user name, password
// and host must be what the request rules give. The members are read back
// through a Connect: the test network provider logs the remote name
// (\\host\user), the user name and the password's length (and whether it is
// the expected one), never the password itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "dialog_test_util.h"
#include "reliability_util.h"
#include "wintest_util.h"

namespace {

constexpr wchar_t kLetter = L'W';
constexpr DWORD kRefused = 1222;  // the provider refuses every mapping, so the dialog stays
const wchar_t kFailed[] = L"드라이브 연결에 실패하였습니다";
// The password the provider compares with: equal lengths still tell apart.
const wchar_t kPassword[] = L"pw";

// Sent before every case, so that a case which must leave the members alone
// shows them unchanged.
const wchar_t kPrior[] = L"prior#pw#priorhost";

enum class Data { Block, Null, Unaligned };

struct RequestCase {
    std::string name;
    ULONG_PTR type;
    std::vector<unsigned char> payload;  // the sender's bytes
    DWORD cbData;
    Data data;
    bool unchanged;  // the members keep the prior request's values
    std::wstring user, password, host;
};

// The UTF-16LE bytes of `text`, with its terminator when `nul` is set.
std::vector<unsigned char> Units(const std::wstring& text, bool nul = true) {
    std::vector<unsigned char> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<unsigned char>(c & 0xFF));
        bytes.push_back(static_cast<unsigned char>(c >> 8));
    }
    if (nul) bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

DWORD Size(const std::vector<unsigned char>& bytes) { return static_cast<DWORD>(bytes.size()); }

RequestCase Fields(std::string name, const std::vector<unsigned char>& payload, DWORD cbData, std::wstring user,
                   std::wstring password, std::wstring host, Data data = Data::Block) {
    return {std::move(name), 1004, payload, cbData, data, false, std::move(user), std::move(password), std::move(host)};
}

RequestCase Empty(std::string name, const std::vector<unsigned char>& payload, DWORD cbData, Data data = Data::Block) {
    return Fields(std::move(name), payload, cbData, L"", L"", L"", data);
}

RequestCase Untouched(std::string name, ULONG_PTR type, const std::vector<unsigned char>& payload, DWORD cbData,
                      Data data = Data::Block) {
    return {std::move(name), type, payload, cbData, data, true, L"", L"", L""};
}

RequestCase Split(std::string name, const std::wstring& text, std::wstring user, std::wstring password,
                  std::wstring host) {
    const std::vector<unsigned char> bytes = Units(text);
    return Fields(std::move(name), bytes, Size(bytes), std::move(user), std::move(password), std::move(host));
}

std::vector<RequestCase> Cases() {
    const std::wstring text = L"kim#pw#fileserver";  // 17 units
    const std::vector<unsigned char> whole = Units(text);
    const std::vector<unsigned char> bare = Units(text, false);
    std::vector<unsigned char> oddTail = whole;
    oddTail.push_back(0x41);

    // Long texts: a 200-unit user, the password and a host that fills the
    // rest. 511 units are kept whole; anything longer is cut after 511.
    const std::wstring user(200, L'u');
    auto longText = [&](size_t units) { return user + L"#pw#" + std::wstring(units - user.size() - 4, L'h'); };
    const std::wstring keptHost(511 - user.size() - 4, L'h');
    const std::vector<unsigned char> fits = Units(longText(511));
    const std::vector<unsigned char> oneOver = Units(longText(512));
    const std::vector<unsigned char> over = Units(longText(600));
    const std::vector<unsigned char> huge = Units(longText(32767));  // 64 KiB with its terminator

    const std::vector<unsigned char> other = Units(L"evil#bad#evilhost");
    const std::vector<unsigned char> innerNul = Units(std::wstring(L"kim#pw\0#evil", 12));
    const std::vector<unsigned char> leadingNul = Units(std::wstring(L"\0kim#pw#fileserver", 18));

    return {
        Fields("whole text, terminator counted", whole, Size(whole), L"kim", L"pw", L"fileserver"),
        Fields("terminator not counted", whole, Size(whole) - 2, L"kim", L"pw", L"fileserve"),
        Fields("no terminator sent", bare, Size(bare), L"kim", L"pw", L"fileserve"),
        Fields("odd size, one byte past the terminator", oddTail, Size(oddTail), L"kim", L"pw", L"fileserver"),
        Fields("odd size, half of the last unit", whole, Size(whole) - 3, L"kim", L"pw", L"fileserv"),
        Empty("cbData 0", whole, 0),
        Empty("cbData 1", whole, 1),
        Empty("cbData 2", whole, 2),
        Empty("cbData 3", whole, 3),
        Fields("cbData 4, one unit", whole, 4, L"k", L"", L""),
        Fields("NUL inside the counted bytes", innerNul, Size(innerNul), L"kim", L"pw", L""),
        Empty("NUL first", leadingNul, Size(leadingNul)),
        Fields("511 units fit whole", fits, Size(fits), user, L"pw", keptHost),
        Fields("512 units, cut after 511", oneOver, Size(oneOver), user, L"pw", keptHost),
        Fields("600 units, cut after 511", over, Size(over), user, L"pw", keptHost),
        Fields("64 KiB, cut after 511", huge, Size(huge), user, L"pw", keptHost),
        // Wine delivers these to another process as cbData 0 and no data; a
        // null pointer with a count reaches the handler only from its own
        // thread.
        Empty("null data, cbData 64", {}, 64, Data::Null),
        Empty("null data, cbData 0", {}, 0, Data::Null),
        // The sender's block starts at an odd address; Wine copies it for the
        // other process, which may then see it aligned.
        Fields("unaligned data", whole, Size(whole), L"kim", L"pw", L"fileserver", Data::Unaligned),
        Fields("unaligned data, odd size", oddTail, Size(oddTail), L"kim", L"pw", L"fileserver", Data::Unaligned),
        Untouched("dwData 0", 0, other, Size(other)),
        Untouched("dwData 1003", 1003, other, Size(other)),
        Untouched("dwData 1005", 1005, other, Size(other)),
        Untouched("dwData 1004 plus 2^32", static_cast<ULONG_PTR>(0x1000003ECull), other, Size(other)),
        Untouched("dwData all ones", ~static_cast<ULONG_PTR>(0), other, Size(other)),
        Untouched("dwData 0, no data", 0, {}, 0, Data::Null),
        Untouched("dwData 1003, 64 KiB", 1003, huge, Size(huge)),
        Split("runs of '#' count as one", L"##kim###pw##fileserver###", L"kim", L"pw", L"fileserver"),
        Split("empty password moves the host forward", L"kim##fileserver", L"kim", L"fileserver", L""),
        Split("user name only", L"kim", L"kim", L"", L""),
        Split("only '#'", L"####", L"", L"", L""),
        Split("fields after the third are dropped", L"a#pw#h#extra#more", L"a", L"pw", L"h"),
        Split("blanks belong to the fields", L" kim #pw# host ", L" kim ", L"pw", L" host "),
        Split("Korean text passes unchanged", L"김철수#pw#서버", L"김철수", L"pw", L"서버"),
    };
}

bool SendCase(HWND dialog, const RequestCase& c) {
    std::vector<unsigned char> storage(c.payload.size() + 2, 0);
    unsigned char* data = storage.data() + (c.data == Data::Unaligned ? 1 : 0);
    std::copy(c.payload.begin(), c.payload.end(), data);
    COPYDATASTRUCT cds{c.type, c.cbData, c.data == Data::Null ? nullptr : data};
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(dialog, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, 5000,
                               &result) != 0;
}

std::wstring PasswordNote(const std::wstring& password) {
    return L"len:" + std::to_wstring(password.size()) + (password == kPassword ? L",match" : L",mismatch");
}

class MalformedRequests : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = MakeTempDir();
        ASSERT_FALSE(m_dir.empty());
        m_log = m_dir + L"\\np.log";
        ForgetLetter(kLetter);
    }
    void TearDown() override {
        m_app.Kill();
        ForgetLetter(kLetter);
        RemoveTree(m_dir);
    }

    bool Start() {
        ScopedEnv log(L"VOLMARK_NP_LOG", m_log.c_str());
        ScopedEnv fail(L"VOLMARK_NP_FAIL", std::to_wstring(kRefused).c_str());
        ScopedEnv password(L"VOLMARK_NP_PASSWORD", kPassword);
        return m_app.Launch(BinDir() + L"\\Volmark.exe") && m_app.Select(kLetter);
    }

    std::wstring m_dir, m_log;
    VolmarkProcess m_app;
};

TEST_F(MalformedRequests, LeaveTheProgramAliveWithTheMembersTheRulesGive) {
    const std::vector<RequestCase> cases = Cases();
    ASSERT_TRUE(Start());
    int crashes = 0, wrong = 0;
    for (const RequestCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(m_app.Send(kPrior));
        const bool delivered = SendCase(m_app.dialog(), c);
        EXPECT_TRUE(delivered) << "the request was not taken in time";
        if (!m_app.Answers()) {
            ++crashes;
            ADD_FAILURE() << "the program died or hangs";
            m_app.Kill();
            ASSERT_TRUE(Start());
            continue;
        }

        const std::wstring box = m_app.ConnectAndCloseBox();
        EXPECT_EQ(box, kFailed);
        const std::vector<std::wstring> adds = LinesStartingWith(ReadLogLines(m_log), L"NPAddConnection3");
        const std::wstring seen = adds.empty() ? L"(no mapping attempted)" : adds.back();
        const std::wstring expected =
            c.unchanged ? AddConnectionLine(kLetter, L"prior", L"priorhost", PasswordNote(L"pw"), kRefused)
                        : AddConnectionLine(kLetter, c.user, c.host, PasswordNote(c.password), kRefused);
        if (seen != expected || box != kFailed || !delivered) ++wrong;
        EXPECT_EQ(seen, expected);
        if (!m_app.Answers()) {
            ++crashes;
            ADD_FAILURE() << "the program died or hangs after Connect";
            m_app.Kill();
            ASSERT_TRUE(Start());
        }
    }
    RecordFigure("malformed requests",
                 std::to_string(cases.size()) + " cases, " + std::to_string(crashes) + " crashes, " +
                     (wrong == 0 ? std::string("members as expected")
                                 : std::to_string(wrong) + " cases with other members"));
}

}  // namespace
