// The installer's engine in this process against files, registry and
// spooler of the prefix: comparison, locking, replacement now and at the
// restart, and the rules that find an installed module under its names.
#include <gtest/gtest.h>
#include <windows.h>

#include <ostream>
#include <string>

#include "expected_texts.h"
#include "installer/file_replace.h"
#include "installer/update_engine.h"
#include "installer/wow64.h"
#include "installer_bench.h"
#include "support/bed_fixture.h"

using namespace zvu;
using namespace zvutest;

namespace {

// A scratch directory as both the updater's directory (new files) and the
// library's install directory (installed files).
struct Bench {
    TempDir src{"zvu-src"}, dest{"zvu-dest"};
    UpdaterLog log;
    UpdateEnvironment Env() const {
        UpdateEnvironment env = ReadEnvironment();
        env.updaterDir = src.Path();
        env.libraryDir = dest.Path();
        return env;
    }
};

std::string Module(const char* name) { return BinFile(name); }

}  // namespace

struct CompareCase {
    const char* name;
    const char* file1;  // bench module, "text" for a file without version, nullptr for missing
    int time1;
    const char* file2;
    int time2;
    int result;
    const char* logLine;
    friend void PrintTo(const CompareCase& c, std::ostream* os) { *os << c.name; }
};

class CompareFiles : public ::testing::TestWithParam<CompareCase> {};

TEST_P(CompareFiles, VersionFirstThenTime) {
    const auto& c = GetParam();
    Bench b;
    auto place = [&](const char* what, int t, const std::string& path) {
        if (!what) return;
        if (std::string(what) == "text") ASSERT_TRUE(WriteText(path, "no version here"));
        else ASSERT_TRUE(CopyInto(Module(what), path));
        ASSERT_TRUE(SetWriteTime(path, t));
    };
    place(c.file1, c.time1, b.src / "ONE.DLL");
    place(c.file2, c.time2, b.dest / "TWO.DLL");
    EXPECT_EQ(CompareTimeStamp(b.src / "ONE.DLL", b.dest / "TWO.DLL"), c.result);
    EXPECT_TRUE(b.log.Has(c.logLine)) << b.log.Text();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareFiles,
    ::testing::Values(
        CompareCase{"NewerVersionWinsOverTime", "bedmod_v2.dll", 0, "bedmod_v1.dll", 100, 0,
                    "QKP_COMP_FILE1_IS_NEW (1)"},
        CompareCase{"OlderVersion", "bedmod_v1.dll", 100, "bedmod_v3.dll", 0, 1, "QKP_COMP_FILE2_IS_NEW (1)"},
        CompareCase{"SameVersionSameTime", "bedmod_v2.dll", 0, "bedmod_v2.dll", 0, 2, "QKP_COMP_SAME (3)."},
        CompareCase{"SameVersionLaterTime", "bedmod_v2.dll", 10, "bedmod_v2.dll", 0, 0, "QKP_COMP_FILE1_IS_NEW (4)"},
        CompareCase{"SameVersionEarlierTime", "bedmod_v2.dll", 0, "bedmod_v2.dll", 10, 1,
                    "QKP_COMP_FILE2_IS_NEW (4)"},
        CompareCase{"NoVersionTimeDecides", "text", 10, "bedmod_v3.dll", 0, 0, "QkpGetVersion is faild [0:1]"},
        CompareCase{"FirstMissing", nullptr, 0, "bedmod_v1.dll", 0, 3, "CompareTimeStamp [2] - Not exist"},
        CompareCase{"SecondMissing", "bedmod_v1.dll", 0, nullptr, 0, 4, "CompareTimeStamp [1] - Not exist"},
        CompareCase{"BothMissing", nullptr, 0, nullptr, 0, 5, "CompareTimeStamp [3] - Not exist"}));

TEST(LockDest, FreeMissingAndInUse) {
    Bench b;
    std::string path = b.dest / "ZVBEDMOD.DLL";
    EXPECT_EQ(LockDestFile(path), QKP_LOCK_NOTFOUND);
    ASSERT_TRUE(CopyInto(Module("bedmod_v1.dll"), path));
    EXPECT_EQ(LockDestFile(path), QKP_LOCK_SUCEES);
    HeldFile held(path);
    ASSERT_TRUE(held.Holding());
    EXPECT_EQ(LockDestFile(path), QKP_LOCK_INUSE);
    EXPECT_TRUE(b.log.Has("LockDestFile : QKP_LOCK_INUSE \"" + path + "\".\r\n"));
}

class Replace : public ::testing::Test {
protected:
    Bench b;
    UpdateEnvironment env = b.Env();
    long copied = 0;
    FileReplacer replacer{env, copied};

    unsigned long Run(const std::string& installedName) {
        return replacer.ReplaceFile(b.src / "ZVBEDMOD2.DLL", b.dest / installedName, b.dest.Path(), b.src.Path(),
                                    installedName, "ZVBEDMOD2.DLL");
    }
};

TEST_F(Replace, NewerReplacesNowOlderOrEqualStay) {
    ASSERT_TRUE(CopyInto(Module("bedmod_v2.dll"), b.src / "ZVBEDMOD2.DLL"));
    ASSERT_TRUE(CopyInto(Module("bedmod_v1.dll"), b.dest / "OLD.DLL"));
    ASSERT_TRUE(CopyInto(Module("bedmod_v3.dll"), b.dest / "NEWER.DLL"));
    ASSERT_TRUE(CopyInto(Module("bedmod_v2.dll"), b.dest / "EQUAL.DLL"));
    SetWriteTime(b.src / "ZVBEDMOD2.DLL", 0);
    SetWriteTime(b.dest / "EQUAL.DLL", 0);
    EXPECT_EQ(Run("OLD.DLL"), QKP_COPY_DONE);
    EXPECT_TRUE(ReadAll(b.dest / "OLD.DLL") == ReadAll(Module("bedmod_v2.dll")));
    EXPECT_EQ(Run("NEWER.DLL"), QKP_COPY_SKIP);
    EXPECT_EQ(Run("EQUAL.DLL"), QKP_COPY_SKIP);
    EXPECT_EQ(Run("MISSING.DLL"), QKP_COPY_SKIP);
    EXPECT_TRUE(ReadAll(b.dest / "NEWER.DLL") == ReadAll(Module("bedmod_v3.dll")));
    EXPECT_EQ(copied, 1);
    // Nothing but the three modules is left in the directory.
    EXPECT_EQ(ListDir(b.dest.Path()).size(), 3u);
    RemoveFile(b.src / "ZVBEDMOD2.DLL");
    EXPECT_EQ(Run("OLD.DLL"), QKP_COPY_NOTFOUND);
}

TEST_F(Replace, CopyFailingHalfWayLeavesTheInstalledFileWhole) {
    ASSERT_TRUE(CopyInto(Module("bedmod_v2.dll"), b.src / "ZVBEDMOD2.DLL"));
    ASSERT_TRUE(CopyInto(Module("bedmod_v1.dll"), b.dest / "OLD.DLL"));
    std::string before = ReadAll(b.dest / "OLD.DLL");
    // The copy writes half of the file, then the disk gives out.
    replacer.SetCopy([](const std::string& from, const std::string& to) {
        std::string data = ReadAll(from);
        WriteText(to, data.substr(0, data.size() / 2));
        SetLastError(ERROR_DISK_FULL);
        return false;
    });
    EXPECT_EQ(Run("OLD.DLL"), QKP_COPY_FAILED);
    EXPECT_TRUE(ReadAll(b.dest / "OLD.DLL") == before);
    EXPECT_EQ(ListDir(b.dest.Path()), std::vector<std::string>{"OLD.DLL"});
    EXPECT_EQ(copied, 0);
    EXPECT_TRUE(b.log.Has("CopyTargetFile - CopyFile is failed.(112)")) << b.log.Text();
}

TEST_F(Replace, InUseIsStagedForTheRestart) {
    PendingRenames pending;
    ASSERT_TRUE(CopyInto(Module("bedmod_v2.dll"), b.src / "ZVBEDMOD2.DLL"));
    ASSERT_TRUE(CopyInto(Module("bedmod_v1.dll"), b.dest / "ZVXMON.DLL"));
    WriteText(b.dest / "ZVXMON.DLM", "taken");
    WriteText(b.dest / "ZVXMON.DLN", "taken");
    std::string before = ReadAll(b.dest / "ZVXMON.DLL");
    {
        HeldFile held(b.dest / "ZVXMON.DLL");
        ASSERT_TRUE(held.Holding());
        EXPECT_EQ(Run("ZVXMON.DLL"), QKP_COPY_RESTART);
    }
    EXPECT_TRUE(ReadAll(b.dest / "ZVXMON.DLL") == before);  // never written in place
    EXPECT_TRUE(ReadAll(b.dest / "ZVXMON.DLO") == ReadAll(Module("bedmod_v2.dll")));
    EXPECT_TRUE(PendingRenames::Has(b.dest / "ZVXMON.DLO", b.dest / "ZVXMON.DLL"));
    EXPECT_EQ(copied, 1);
}

TEST_F(Replace, InUseNameEndingInADigitCannotBeStaged) {
    PendingRenames pending;
    ASSERT_TRUE(CopyInto(Module("bedmod_v2.dll"), b.src / "ZVBEDMOD2.DLL"));
    ASSERT_TRUE(CopyInto(Module("bedmod_v1.dll"), b.dest / "MODULE.DL1"));
    HeldFile held(b.dest / "MODULE.DL1");
    ASSERT_TRUE(held.Holding());
    EXPECT_EQ(Run("MODULE.DL1"), QKP_COPY_FAILED);
    EXPECT_TRUE(b.log.Has("MoveOnReboot - Not copy by failed making temporary name.\r\n"));
    EXPECT_EQ(copied, 0);
}

TEST_F(Replace, Windows9xWritesTheRenameEntry) {
    env.osClass = 0;
    env.windowsDir = b.dest.Path();  // where this test's WININIT.INI goes
    ASSERT_TRUE(CopyInto(Module("bedmod_v2.dll"), b.src / "ZVBEDMOD2.DLL"));
    ASSERT_TRUE(CopyInto(Module("bedmod_v1.dll"), b.dest / "ZVXMON.DLL"));
    HeldFile held(b.dest / "ZVXMON.DLL");
    ASSERT_TRUE(held.Holding());
    EXPECT_EQ(Run("ZVXMON.DLL"), QKP_COPY_RESTART);
    std::string shortDest = GetShortPathNameCS(b.dest / "ZVXMON.DLL");
    std::string shortTemp = GetShortPathNameCS(b.dest / "ZVXMON.DLM");
    ASSERT_FALSE(shortTemp.empty());
    char value[MAX_PATH] = "";
    GetPrivateProfileStringA("Rename", shortDest.c_str(), "", value, MAX_PATH, (b.dest / "WININIT.INI").c_str());
    EXPECT_STREQ(value, shortTemp.c_str());
}

// The rules in front of ReplaceFile: which installed files are the module.
class Rules : public ::testing::Test {
protected:
    Bench b;
    UpdateEngine engine{b.Env()};
};

TEST_F(Rules, OtherModuleFoundUnderItsOriginalName) {
    ASSERT_TRUE(CopyInto(Module("bedmod_v2.dll"), b.src / "ZVBEDMOD2.DLL"));
    ASSERT_TRUE(CopyInto(Module("bedmod_v1.dll"), b.dest / "zvbedmod.dll"));  // replaced: (3)
    ASSERT_TRUE(CopyInto(Module("bedmod_v1.dll"), b.dest / "renamed.dll"));   // replaced: (3)
    ASSERT_TRUE(CopyInto(Module("bedmod_v3.dll"), b.dest / "newer.dll"));     // same module, newer
    ASSERT_TRUE(CopyInto(Module("bedother.dll"), b.dest / "other.dll"));      // another module
    ASSERT_TRUE(WriteText(b.dest / "notes.txt", "text"));
    ASSERT_TRUE(WriteText(b.dest / "fake.dll", std::string("MZ") + std::string(200, '\0')));  // no PE header
    unsigned long r = engine.CopyTargetFile(0, kTypeLibrary, "ZVBEDMOD2.DLL", std::string());
    EXPECT_EQ(r, QKP_COPY_DONE | QKP_COPY_SKIP);
    EXPECT_EQ(engine.ModuleRules().ReplaceFiles().size(), 3u);
    std::string v2 = ReadAll(Module("bedmod_v2.dll"));
    EXPECT_TRUE(ReadAll(b.dest / "zvbedmod.dll") == v2);
    EXPECT_TRUE(ReadAll(b.dest / "renamed.dll") == v2);
    EXPECT_TRUE(ReadAll(b.dest / "newer.dll") == ReadAll(Module("bedmod_v3.dll")));
    EXPECT_TRUE(ReadAll(b.dest / "other.dll") == ReadAll(Module("bedother.dll")));
    EXPECT_TRUE(b.log.Has("[MATCHED] \"renamed.dll\" is same as original name. (3)\r\n"));
    EXPECT_TRUE(b.log.Has("<\"" + (b.dest / "fake.dll") + "\" can be run in DOS mode.> (1)\r\n"));
    EXPECT_EQ(engine.CopiedCount(), 2);
}

TEST_F(Rules, NewFileWithoutOriginalNameReplacesNothing) {
    ASSERT_TRUE(WriteText(b.src / "ZVBEDMOD2.DLL", std::string("MZ") + std::string(200, '\0')));
    ASSERT_TRUE(CopyInto(Module("bedmod_v1.dll"), b.dest / "ZVBEDMOD2.DLL"));
    EXPECT_EQ(engine.CopyTargetFile(0, kTypeLibrary, "ZVBEDMOD2.DLL", std::string()), QKP_COPY_SKIP);
    EXPECT_TRUE(b.log.Has("AllowReplaceOther - Not found match module ZVBEDMOD2.DLL.\r\n"));
}

TEST_F(Rules, EmptyDestinationDirectoryIsNoOtherDirectory) {
    UpdateEnvironment env = b.Env();
    env.libraryDir.clear();
    UpdateEngine noLibrary(env);
    ASSERT_TRUE(CopyInto(Module("bedmod_v2.dll"), b.src / "ZVBEDMOD2.DLL"));
    EXPECT_EQ(noLibrary.CopyTargetFile(0, kTypeLibrary, "ZVBEDMOD2.DLL", std::string()), QKP_COPY_SKIP);
    EXPECT_TRUE(b.log.Has("CopyTargetFile - No destination directory for 3:ZVBEDMOD2.DLL.\r\n"));
}

struct MonitorCase {
    const char* name;
    const char* maker;
    std::vector<std::string> rules;
    bool replaced;
    const char* logLine;
    friend void PrintTo(const MonitorCase& c, std::ostream* os) { *os << c.name; }
};

class Monitors : public ::testing::TestWithParam<MonitorCase> {};

// Two drivers of the maker share one monitor; its file lives in the system
// directory under a name of its own.
TEST_P(Monitors, FoundThroughTheMakersDrivers) {
    const auto& c = GetParam();
    Bench b;
    std::string id = std::to_string(GetCurrentProcessId());
    std::string file = "zvbm" + id + ".dll", monitor = "VixBed Monitor " + id;
    std::string installed = RealSystemDir() + "\\" + file;
    ASSERT_TRUE(CopyInto(Module("bedmon_v1.dll"), installed));
    struct Cleanup {
        std::string f;
        ~Cleanup() { RemoveFile(f); }
    } cleanup{installed};
    BedMonitor first("VixBed Driver A " + id, monitor, file), second("VixBed Driver B " + id, monitor, file);
    ASSERT_TRUE(first.Ok() && second.Ok());
    ASSERT_TRUE(CopyInto(Module("bedmon_v2.dll"), b.src / "ZVBEDMON2.DLL"));
    UpdateEngine engine(b.Env());
    engine.MonitorRules().m_strMaker = c.maker;
    engine.MonitorRules().m_rules = c.rules;
    unsigned long r = engine.CopyTargetFile(1, kTypeSystem, "ZVBEDMON2.DLL", std::string());
    EXPECT_EQ(r, c.replaced ? QKP_COPY_DONE : QKP_COPY_SKIP);
    EXPECT_EQ(ReadAll(installed) == ReadAll(Module("bedmon_v2.dll")), c.replaced);
    EXPECT_TRUE(b.log.Has(c.logLine)) << b.log.Text();
    if (c.replaced) {
        std::string text = b.log.Text(), line = "AppendReplaceFileList " + file + " is Append Entry.";
        EXPECT_EQ(text.find(line), text.rfind(line)) << "listed once";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Monitors,
    ::testing::Values(
        MonitorCase{"MakerAndRuleMatch", "VIXBED", {"QK", "ZVBM"}, true, "is match name. -> Go RenameCopy."},
        MonitorCase{"NoRulesLetEveryMonitorThrough", "VIXBED", {}, true, "is same as original name. (3)"},
        MonitorCase{"OtherMaker", "ZARVOX", {}, false, "Not match Maker.[A] (VixBed Driver A"},
        MonitorCase{"DriverNameShorterThanMaker", "VIXBEDDRIVERWITHAVERYLONGNAMEPREFIXXXXXXXXXXXXX", {}, false,
                    "Not match Maker.[B]"},
        MonitorCase{"RuleLongerThanTheFileIsSkipped", "VIXBED", {"ZVBM0123456789012345678901234567890"}, false,
                    "is not match name."}));

TEST(Authority, NoAdministratorIsRefusedBeforeTheRulesAreRead) {
    Bench b;
    WriteText(b.src / RuleFileName(), "[Install]\n2:5,2:6,2:10\n[File]\nE:ZVBEDMOD2.DLL\n");
    UpdateEnvironment env = b.Env();
    env.admin = false;
    UpdateEngine engine(env);
    unsigned long flags = engine.RunUpdate();
    EXPECT_EQ(flags, QKP_COPY_NOTADMIN);
    EXPECT_TRUE(engine.InstallList().empty());
    EXPECT_EQ(ResultMessageId(flags, false), 108);
    EXPECT_EQ(ResultMessageId(flags, true), 104);
    EXPECT_TRUE(b.log.Has("HaveAuthority is FALSE. (QKP_COPY_NOTADMIN)\r\n"));
    EXPECT_EQ(b.log.Text().find("GetFileNameFirst"), std::string::npos);
}

TEST(Authority, UnsupportedWindowsDoesNotApply) {
    Bench b;
    UpdateEnvironment env = b.Env();
    env.osClass = -1;
    env.admin = false;
    UpdateEngine engine(env);
    EXPECT_EQ(engine.RunUpdate(), 0u);
    EXPECT_EQ(b.log.Text().find("HaveAuthority"), std::string::npos);
}

TEST(ResultMessage, PicksByTheStrongestFlag) {
    struct Row {
        unsigned long flags;
        int english;
    } rows[] = {{0, 109},   {2, 109},    {8, 109},   {128, 109}, {1, 106},     {1 | 2 | 128, 106},
                {4, 107},   {1 | 4, 107}, {16, 108}, {16 | 4 | 1, 108}};
    for (auto& r : rows) {
        EXPECT_EQ(ResultMessageId(r.flags, false), r.english) << r.flags;
        EXPECT_EQ(ResultMessageId(r.flags, true), r.english - 4) << r.flags;
    }
}

TEST(Resources, StringTableHoldsBothLanguages) {
    HMODULE exe = LoadLibraryExA(BinFile("zvupdate.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    for (const auto& t : kExpectedTexts) {
        const wchar_t* p = nullptr;
        int n = LoadStringW(exe, static_cast<UINT>(t.id), reinterpret_cast<LPWSTR>(&p), 0);
        EXPECT_EQ(std::wstring(p ? p : L"", n > 0 ? n : 0), t.text) << t.id;
    }
    for (int dialog : {100, 102, 129})
        EXPECT_NE(FindResourceA(exe, MAKEINTRESOURCEA(dialog), MAKEINTRESOURCEA(5)), nullptr) << dialog;
    EXPECT_NE(FindResourceA(exe, MAKEINTRESOURCEA(128), MAKEINTRESOURCEA(14)), nullptr);
    FreeLibrary(exe);
}
