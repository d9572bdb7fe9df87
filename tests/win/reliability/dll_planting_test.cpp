// DLL planting: a stranger's mpr.dll beside the program or in its working
// folder must never be loaded; the network functions come from the system
// folder only. The planted copy (a canary built with the tests) writes a
// marker file when anything loads it, and Wine is told to prefer a native
// mpr.dll (mpr=n,b), so a program that searched the usual places would take
// it. A probe that loads mpr.dll by bare name shows that the placement is
// live; then Volmark maps a drive with the canary in place, through the real
// MPR and the test provider, and the marker must never appear.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "dialog_test_util.h"
#include "reliability_util.h"
#include "wintest_util.h"

namespace {

constexpr wchar_t kLetter = L'Y';
const wchar_t kSucceeded[] = L"드라이브 연결에 성공하였습니다";

std::wstring CanaryDir() {
    std::wstring bin = BinDir();
    return bin.substr(0, bin.find_last_of(L'\\')) + L"\\canary";
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The DLL names a PE file imports, at load time and delay-loaded, read from
// the file itself.
struct PeImports {
    bool ok = false;
    std::vector<std::string> direct;
    std::vector<std::string> delayed;
};

PeImports ReadImports(const std::vector<unsigned char>& f) {
    PeImports out;
    auto u16 = [&](size_t at) -> unsigned { return at + 2 <= f.size() ? f[at] | (f[at + 1] << 8) : 0; };
    auto u32 = [&](size_t at) -> unsigned long {
        if (at + 4 > f.size()) return 0;
        return f[at] | (f[at + 1] << 8) | (f[at + 2] << 16) | (static_cast<unsigned long>(f[at + 3]) << 24);
    };
    if (u16(0) != 0x5A4D) return out;  // "MZ"
    const size_t pe = u32(0x3C);
    if (u32(pe) != 0x00004550) return out;  // "PE\0\0"
    const size_t sections = u16(pe + 6);
    const size_t optSize = u16(pe + 20);
    const size_t opt = pe + 24;
    if (u16(opt) != 0x20B) return out;  // PE32+: the 64-bit build
    const size_t dirs = opt + 112;
    const size_t table = opt + optSize;
    auto fileOffset = [&](unsigned long rva) -> size_t {
        for (size_t i = 0; i < sections; ++i) {
            const size_t s = table + 40 * i;
            const unsigned long va = u32(s + 12), size = std::max(u32(s + 8), u32(s + 16)), raw = u32(s + 20);
            if (rva >= va && rva < va + size) return raw + (rva - va);
        }
        return 0;
    };
    auto name = [&](unsigned long rva) {
        std::string n;
        for (size_t at = fileOffset(rva); at && at < f.size() && f[at]; ++at) n += static_cast<char>(f[at]);
        return n;
    };
    // Import descriptors are 20 bytes (name RVA at +12), delay-load ones 32
    // (name RVA at +4); both lists end with an all-zero entry.
    auto walk = [&](size_t dirIndex, size_t entrySize, size_t nameAt, std::vector<std::string>& names) {
        const unsigned long rva = u32(dirs + 8 * dirIndex);
        if (!rva) return;
        for (size_t at = fileOffset(rva); at && at + entrySize <= f.size(); at += entrySize) {
            const unsigned long n = u32(at + nameAt);
            if (!n) break;
            names.push_back(Lower(name(n)));
        }
    };
    walk(1, 20, 12, out.direct);
    walk(13, 32, 4, out.delayed);
    out.ok = true;
    return out;
}

class DllPlanting : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = MakeTempDir();
        ASSERT_FALSE(m_dir.empty());
        m_marker = m_dir + L"\\canary-loaded.txt";
        m_log = m_dir + L"\\np.log";
        m_planted = m_dir + L"\\planted";
        ASSERT_TRUE(CreateDirectoryW(m_planted.c_str(), nullptr));
        ASSERT_TRUE(CopyFileW((CanaryDir() + L"\\mpr.dll").c_str(), (m_planted + L"\\mpr.dll").c_str(), FALSE))
            << "no canary mpr.dll in " << Narrow(CanaryDir());
        ForgetLetter(kLetter);

        // mpr=n,b for the two programs. A child started from here keeps the
        // session's WINEDLLOVERRIDES whatever this process sets, so the same
        // override goes through Wine's per-program registry settings.
        for (const wchar_t* exe : {L"Volmark.exe", L"mpr-probe.exe"}) {
            const std::wstring app = std::wstring(L"Software\\Wine\\AppDefaults\\") + exe;
            // Whatever this test creates it removes again; a key that was
            // there before only loses the value added here.
            for (const std::wstring& key : {app, app + L"\\DllOverrides"}) {
                HKEY h = nullptr;
                DWORD disposition = 0;
                ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                                          &disposition),
                          ERROR_SUCCESS);
                if (disposition == REG_CREATED_NEW_KEY) m_createdKeys.insert(m_createdKeys.begin(), key);
                if (key != app) {
                    const wchar_t order[] = L"native,builtin";
                    RegSetValueExW(h, L"mpr", 0, REG_SZ, reinterpret_cast<const BYTE*>(order), sizeof(order));
                    m_overrideKeys.push_back(key);
                }
                RegCloseKey(h);
            }
        }
        m_markerEnv = std::make_unique<ScopedEnv>(L"VOLMARK_CANARY_MARKER", m_marker.c_str());
    }
    void TearDown() override {
        for (const std::wstring& key : m_overrideKeys) RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"mpr");
        for (const std::wstring& key : m_createdKeys) RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
        m_markerEnv.reset();
        ForgetLetter(kLetter);
        RemoveTree(m_dir);
    }

    // mpr-probe.exe run from `exeDir` with the working folder `workDir`:
    // 0 it took the planted copy, 2 the system's.
    long Probe(const std::wstring& exeDir, const std::wstring& workDir) {
        const std::wstring exe = exeDir + L"\\mpr-probe.exe";
        if (!FileExists(exe) && !CopyFileW((CanaryDir() + L"\\mpr-probe.exe").c_str(), exe.c_str(), FALSE)) return -1;
        ProcessRunner probe;
        if (!probe.Start(exe, {}, workDir)) return -1;
        DWORD code = 0;
        return probe.Wait(15000, &code) ? static_cast<long>(code) : -1;
    }

    // The whole job with this copy of the program and working folder: the
    // mapping must go through and the canary must stay unloaded.
    void MapWith(const ProgramCopy& program, const std::wstring& workDir) {
        DeleteFileW(m_log.c_str());
        ScopedEnv log(L"VOLMARK_NP_LOG", m_log.c_str());
        ScopedEnv noFail(L"VOLMARK_NP_FAIL", nullptr);
        ScopedEnv password(L"VOLMARK_NP_PASSWORD", L"pa55");
        VolmarkProcess app;
        ASSERT_TRUE(app.Launch(program.exe(), workDir));
        ASSERT_TRUE(app.Send(L"kim#pa55#fileserver"));
        ASSERT_TRUE(app.Select(kLetter));
        EXPECT_EQ(app.ConnectAndCloseBox(), kSucceeded);
        DWORD code = 0;
        ASSERT_TRUE(app.WaitExit(15000, &code));
        EXPECT_EQ(code, 18u);
        const std::vector<std::wstring> adds = LinesStartingWith(ReadLogLines(m_log), L"NPAddConnection3");
        ASSERT_EQ(adds.size(), 1u);
        EXPECT_EQ(adds[0], AddConnectionLine(kLetter, L"kim", L"fileserver", L"len:4,match", 0));
        EXPECT_TRUE(LetterInUse(kLetter));
        const std::vector<unsigned char> marker = ReadBytes(m_marker);
        EXPECT_FALSE(FileExists(m_marker)) << "canary " << std::string(marker.begin(), marker.end());
        ForgetLetter(kLetter);
    }

    std::wstring m_dir, m_marker, m_log, m_planted;
    std::vector<std::wstring> m_overrideKeys, m_createdKeys;  // created: deepest first
    std::unique_ptr<ScopedEnv> m_markerEnv;
};

TEST(DllImports, VolmarkDoesNotImportMprAtLoadTime) {
    const PeImports imports = ReadImports(ReadBytes(BinDir() + L"\\Volmark.exe"));
    ASSERT_TRUE(imports.ok) << "Volmark.exe is no PE32+ file";
    // The reader works: the program imports these for certain.
    EXPECT_NE(std::find(imports.direct.begin(), imports.direct.end(), "kernel32.dll"), imports.direct.end());
    EXPECT_NE(std::find(imports.direct.begin(), imports.direct.end(), "user32.dll"), imports.direct.end());
    // A load-time or delay-load import of mpr.dll would be resolved by the
    // ordinary search, which starts beside the program.
    EXPECT_EQ(std::find(imports.direct.begin(), imports.direct.end(), "mpr.dll"), imports.direct.end());
    EXPECT_EQ(std::find(imports.delayed.begin(), imports.delayed.end(), "mpr.dll"), imports.delayed.end());
}

TEST_F(DllPlanting, CanaryBesideTheProgramOrInItsWorkingFolderIsNeverLoaded) {
    // The placements are live: a program that loads mpr.dll by bare name
    // takes the canary from beside itself.
    EXPECT_EQ(Probe(m_planted, m_planted), 0);
    EXPECT_TRUE(FileExists(m_marker)) << "the canary wrote no marker";
    DeleteFileW(m_marker.c_str());
    const std::wstring elsewhere = m_dir + L"\\elsewhere";
    ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
    const long fromWorkDir = Probe(elsewhere, m_planted);
    DeleteFileW(m_marker.c_str());

    int placements = 0;
    {
        SCOPED_TRACE("beside the program");
        ProgramCopy program;
        ASSERT_TRUE(program.ok());
        ASSERT_TRUE(CopyFileW((m_planted + L"\\mpr.dll").c_str(), (program.dir() + L"\\mpr.dll").c_str(), FALSE));
        MapWith(program, program.dir());
        ++placements;
    }
    {
        SCOPED_TRACE("in the working folder");
        ProgramCopy program;
        ASSERT_TRUE(program.ok());
        MapWith(program, m_planted);
        ++placements;
    }
    if (HasFailure()) return;
    RecordFigure("dll planting", "canary never loaded (" + std::to_string(placements) +
                                     " placements); a bare-name load takes it from beside the program, " +
                                     (fromWorkDir == 0 ? "and from the working folder"
                                                       : "not from the working folder") +
                                     "; no load-time or delay-load import of mpr.dll");
}

}  // namespace
