// Damaged skin files: each of the 26 files in turn is replaced by a damaged
// copy (empty, cut short, wrong magic, absurd sizes, an icon directory with
// no images or with images outside the file) in a copy of the program, and
// the program runs the whole job: it starts, shows the dialog with the free
// letters, takes the request and maps the drive, exiting 18. A damaged file
// may leave its slot empty; it must never stop the program.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <ios>
#include <string>
#include <vector>

#include "dialog_test_util.h"
#include "reliability_util.h"
#include "skinstore/skin_names.h"
#include "wintest_util.h"

namespace {

constexpr wchar_t kLetter = L'X';
const wchar_t kSucceeded[] = L"드라이브 연결에 성공하였습니다";

using Bytes = std::vector<unsigned char>;

void Put16(Bytes& b, size_t at, unsigned v) {
    if (at + 2 > b.size()) return;
    b[at] = static_cast<unsigned char>(v);
    b[at + 1] = static_cast<unsigned char>(v >> 8);
}

void Put32(Bytes& b, size_t at, unsigned long v) {
    if (at + 4 > b.size()) return;
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

unsigned long Get32(const Bytes& b, size_t at) {
    if (at + 4 > b.size()) return 0;
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<unsigned long>(b[at + 3]) << 24);
}

Bytes Cut(const Bytes& b, size_t n) {
    return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(std::min(n, b.size())));
}

struct Damage {
    const char* name;
    std::function<Bytes(const Bytes&)> apply;
};

// A .bmp: 14-byte file header ("BM", size, offset of the pixels at 10), then
// the info header (width at 18, height at 22).
std::vector<Damage> BmpDamage() {
    return {
        {"zero bytes", [](const Bytes&) { return Bytes(); }},
        {"cut in the headers", [](const Bytes& b) { return Cut(b, 20); }},
        {"cut in the pixels", [](const Bytes& b) { return Cut(b, b.size() - 1); }},
        {"wrong magic",
         [](Bytes b) {
             Put16(b, 0, 0x424D);  // "MB"
             return b;
         }},
        {"100000 x 100000 claimed",
         [](Bytes b) {
             Put32(b, 18, 100000);
             Put32(b, 22, 100000);
             return b;
         }},
        {"pixels past the end",
         [](Bytes b) {
             Put32(b, 10, 0x7FFFFFF0);
             return b;
         }},
    };
}

// An .ico: a 6-byte directory header (reserved, type 1, count at 4), then
// 16-byte entries (bytes of the image at +8, its offset at +12).
size_t IcoCount(const Bytes& b) { return b.size() >= 6 ? static_cast<size_t>(b[4] | (b[5] << 8)) : 0; }

std::vector<Damage> IcoDamage() {
    auto eachEntry = [](Bytes b, const std::function<void(Bytes&, size_t)>& f) {
        for (size_t i = 0; i < IcoCount(b); ++i) f(b, 6 + 16 * i);
        return b;
    };
    return {
        {"zero bytes", [](const Bytes&) { return Bytes(); }},
        {"cut in the directory", [](const Bytes& b) { return Cut(b, 10); }},
        {"cut in an image", [](const Bytes& b) { return Cut(b, b.size() - 1); }},
        {"wrong magic",
         [](Bytes b) {
             Put16(b, 0, 0x4D42);  // "BM"
             Put16(b, 2, 0);
             return b;
         }},
        {"100000 x 200000 images claimed",
         [eachEntry](const Bytes& b) {
             return eachEntry(b, [](Bytes& d, size_t e) {
                 d[e] = 0;  // 256 x 256 in the directory
                 d[e + 1] = 0;
                 const size_t image = Get32(d, e + 12);
                 Put32(d, image + 4, 100000);
                 Put32(d, image + 8, 200000);
             });
         }},
        {"no images",
         [](Bytes b) {
             Put16(b, 4, 0);
             return b;
         }},
        {"images past the end",
         [eachEntry](const Bytes& b) {
             return eachEntry(b, [](Bytes& d, size_t e) { Put32(d, e + 12, 0x7FFFFFF0); });
         }},
        {"image sizes past the end",
         [eachEntry](const Bytes& b) {
             return eachEntry(b, [](Bytes& d, size_t e) { Put32(d, e + 8, 0x7FFFFFF0); });
         }},
    };
}

// "skin\name.bmp" -> "name.bmp".
std::wstring SkinFile(const std::u16string& relative) {
    const std::wstring w(reinterpret_cast<const wchar_t*>(relative.c_str()), relative.size());
    return w.substr(w.find_last_of(L'\\') + 1);
}

bool EndsWith(const std::wstring& s, const std::wstring& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// One damaged skin: how to make it from the good files, and how to undo it.
struct SkinSet {
    std::string name;
    std::function<bool(const ProgramCopy&)> make;
    std::function<bool(const ProgramCopy&)> undo;
};

class CorruptSkins : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = MakeTempDir();
        ASSERT_FALSE(m_dir.empty());
        m_log = m_dir + L"\\np.log";
        ForgetLetter(kLetter);
    }
    void TearDown() override {
        ForgetLetter(kLetter);
        RemoveTree(m_dir);
    }

    std::wstring m_dir, m_log;
};

TEST_F(CorruptSkins, EachDamagedFileStillLetsTheProgramStartAndMap) {
    ProgramCopy program;
    ASSERT_TRUE(program.ok());
    // The 26 names from the program's own tables ("skin\caption_left.bmp").
    std::vector<std::wstring> files;
    for (int id = 0; id < SKIN_BITMAP_COUNT; ++id)
        files.push_back(SkinFile(vm::SkinBitmapFileName(static_cast<SkinBitmapId>(id))));
    for (int id = 0; id < SKIN_ICON_COUNT; ++id)
        files.push_back(SkinFile(vm::SkinIconFileName(static_cast<SkinIconId>(id))));
    ASSERT_EQ(files.size(), 26u);
    std::vector<Bytes> good;
    for (const std::wstring& f : files) {
        good.push_back(ReadBytes(program.skin(f)));
        ASSERT_FALSE(good.back().empty()) << Narrow(f);
    }

    std::vector<SkinSet> sets;
    for (size_t i = 0; i < files.size(); ++i) {
        const bool icon = EndsWith(files[i], L".ico");
        ASSERT_TRUE(icon || EndsWith(files[i], L".bmp")) << Narrow(files[i]);
        for (const Damage& d : icon ? IcoDamage() : BmpDamage()) {
            const std::wstring file = files[i];
            const Bytes original = good[i];
            const Bytes damaged = d.apply(original);
            sets.push_back({Narrow(file) + ", " + d.name,
                            [file, damaged](const ProgramCopy& p) { return WriteBytes(p.skin(file), damaged); },
                            [file, original](const ProgramCopy& p) { return WriteBytes(p.skin(file), original); }});
        }
    }
    auto writeAll = [&](bool empty) {
        return [&, empty](const ProgramCopy& p) {
            for (size_t i = 0; i < files.size(); ++i)
                if (!WriteBytes(p.skin(files[i]), empty ? Bytes() : good[i])) return false;
            return true;
        };
    };
    sets.push_back({"every file zero bytes", writeAll(true), writeAll(false)});
    auto moveSkin = [](const wchar_t* from, const wchar_t* to) {
        return [from, to](const ProgramCopy& p) {
            return MoveFileW((p.dir() + from).c_str(), (p.dir() + to).c_str()) != 0;
        };
    };
    sets.push_back({"no skin folder", moveSkin(L"\\skin", L"\\skin-away"), moveSkin(L"\\skin-away", L"\\skin")});

    ScopedEnv log(L"VOLMARK_NP_LOG", m_log.c_str());
    ScopedEnv noFail(L"VOLMARK_NP_FAIL", nullptr);
    ScopedEnv password(L"VOLMARK_NP_PASSWORD", L"pa55");
    const std::wstring expectedAdd = AddConnectionLine(kLetter, L"kim", L"fileserver", L"len:4,match", 0);

    int crashes = 0, mapped = 0;
    const double start = NowMs();
    for (const SkinSet& set : sets) {
        SCOPED_TRACE(set.name);
        ASSERT_TRUE(set.make(program));
        DeleteFileW(m_log.c_str());
        const std::vector<std::wstring> expectedLetters = ExpectedFreeLetters();

        VolmarkProcess app;
        bool ok = app.Launch(program.exe());
        if (!ok) {
            ADD_FAILURE() << "no dialog";
        } else {
            EXPECT_EQ(ComboItems(app.combo()), expectedLetters);
            ok = app.Send(L"kim#pa55#fileserver") && app.Select(kLetter);
            EXPECT_TRUE(ok) << "the request or the selection was not taken";
            if (ok) {
                const std::wstring box = app.ConnectAndCloseBox();
                EXPECT_EQ(box, kSucceeded);
                ok = box == kSucceeded;
            }
        }
        DWORD code = 0;
        const bool ended = app.WaitExit(ok ? 15000 : 0, &code);
        if (ended && code != 18) {
            ++crashes;
            ADD_FAILURE() << "the program ended with code 0x" << std::hex << code << std::dec;
        } else if (!ended) {
            EXPECT_FALSE(ok) << "still running after a successful mapping";
            app.Kill();
        }
        const std::vector<std::wstring> adds = LinesStartingWith(ReadLogLines(m_log), L"NPAddConnection3");
        const bool lineOk = adds.size() == 1 && adds[0] == expectedAdd;
        EXPECT_TRUE(lineOk) << (adds.empty() ? std::string("no mapping") : Narrow(adds.back()));
        const bool live = LetterInUse(kLetter);
        EXPECT_TRUE(live);
        if (ok && ended && code == 18 && lineOk && live) ++mapped;

        ForgetLetter(kLetter);
        ASSERT_FALSE(LetterInUse(kLetter));
        ASSERT_TRUE(set.undo(program));
    }
    const double seconds = (NowMs() - start) / 1000.0;
    char timing[96];
    std::snprintf(timing, sizeof(timing), " (%.1f s, %.0f ms a set)", seconds, 1000.0 * seconds / sets.size());
    RecordFigure("corrupt skins", std::to_string(sets.size()) + " sets, " + std::to_string(crashes) + " crashes, " +
                                      std::to_string(mapped) + " mapped" + timing);
}

}  // namespace
