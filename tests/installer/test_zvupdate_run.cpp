// zvupdate as the set-up starts it: a real process beside its copy-rule
// file; the tests read its result dialog as the user sees it and press OK.
#include <gtest/gtest.h>
#include <windows.h>

#include <ostream>
#include <string>

#include "expected_texts.h"
#include "installer/update_log.h"
#include "installer_bench.h"
#include "support/bed_fixture.h"

using namespace zvutest;

namespace {

const wchar_t* Text(int id) {
    for (const auto& t : kExpectedTexts)
        if (t.id == id) return t.text;
    return L"";
}

constexpr const char* kLibraryKey = "Software\\ZARVO\\QKAPIInfo";

// zvupdate in its own directory, the library's install directory pointed at
// a scratch directory, and its log read from where it writes it.
class Updater : public ::testing::Test {
protected:
    UpdaterRun run;
    TempDir lib{"zvu-lib"};
    ScopedRegString installDir{HKEY_LOCAL_MACHINE, kLibraryKey, "InstallDir", lib.Path()};
    UpdaterLog log;  // removes the log before and after

    void Rules(const std::string& body, const char* name = nullptr) {
        ASSERT_TRUE(WriteText(run.Dir() / (name ? name : RuleFileName()), "[Log]\nON\n[Install]\n2:5, 2:6, 2:10\n" + body));
    }
    void NewFile(const char* module, const char* as) { ASSERT_TRUE(CopyInto(BinFile(module), run.Dir() / as)); }
    void Installed(const char* module, const std::string& path) { ASSERT_TRUE(CopyInto(BinFile(module), path)); }
    std::wstring RunToResult() {
        EXPECT_TRUE(run.Start());
        std::wstring text = run.WaitForResult();
        EXPECT_EQ(run.PressOk(), 0);
        return text;
    }
};

}  // namespace

TEST_F(Updater, NoCopyRuleFileDoesNotApply) { EXPECT_EQ(RunToResult(), Text(109)); }

TEST_F(Updater, OnlyTheOtherArchitecturesRuleFileDoesNotApply) {
    Rules("[File]\nE:ZVBEDMOD2.DLL\n", OtherRuleFileName());
    NewFile("bedmod_v2.dll", "ZVBEDMOD2.DLL");
    Installed("bedmod_v1.dll", lib / "zvbedmod.dll");
    EXPECT_EQ(RunToResult(), Text(109));
    EXPECT_TRUE(ReadAll(lib / "zvbedmod.dll") == ReadAll(BinFile("bedmod_v1.dll")));
}

TEST_F(Updater, EverythingUpToDateDoesNotApply) {
    Rules("[File]\nE:ZVBEDMOD2.DLL\n");
    NewFile("bedmod_v2.dll", "ZVBEDMOD2.DLL");
    Installed("bedmod_v3.dll", lib / "zvbedmod.dll");
    Installed("bedmod_v2.dll", lib / "same.dll");
    SetWriteTime(run.Dir() / "ZVBEDMOD2.DLL", 0);
    SetWriteTime(lib / "same.dll", 0);
    EXPECT_EQ(RunToResult(), Text(109));
    EXPECT_TRUE(log.Has("!!! Copied Count = 0. !!!\r\n")) << log.Text();
    EXPECT_TRUE(ReadAll(lib / "zvbedmod.dll") == ReadAll(BinFile("bedmod_v3.dll")));
}

TEST_F(Updater, NewerReplacesOlderUnderAnotherNameOthersStay) {
    Rules("[File]\nE:ZVBEDMOD2.DLL\n");
    NewFile("bedmod_v2.dll", "ZVBEDMOD2.DLL");
    Installed("bedmod_v1.dll", lib / "zvbedmod.dll");
    Installed("bedmod_v3.dll", lib / "newer.dll");
    Installed("bedother.dll", lib / "other.dll");
    EXPECT_EQ(RunToResult(), Text(106));
    EXPECT_TRUE(ReadAll(lib / "zvbedmod.dll") == ReadAll(BinFile("bedmod_v2.dll")));
    EXPECT_TRUE(ReadAll(lib / "newer.dll") == ReadAll(BinFile("bedmod_v3.dll")));
    EXPECT_TRUE(ReadAll(lib / "other.dll") == ReadAll(BinFile("bedother.dll")));
    EXPECT_TRUE(log.Has("!!! Copied Count = 1. !!!\r\n"));
    EXPECT_TRUE(log.Has("EngingMessage[0x3] - Module installation complete.\r\n")) << log.Text();
}

// The bench's own copy-rule file: a module replaced now and a monitor in use
// staged for the restart.
TEST_F(Updater, OneReplacedOneInUseAsksForTheRestart) {
    PendingRenames pending;
    ASSERT_TRUE(CopyInto(BinFile(std::string("zvbench\\") + RuleFileName()), run.Dir() / RuleFileName()));
    NewFile("bedmod_v2.dll", "ZVBEDMOD2.DLL");
    NewFile("bedmon_v2.dll", "ZVBEDMON2.DLL");
    Installed("bedmod_v1.dll", lib / "zvbedmod.dll");
    Installed("bedmon_v1.dll", lib / "zvbmlan.dll");
    std::string monitorBefore = ReadAll(lib / "zvbmlan.dll");
    HeldFile held(lib / "zvbmlan.dll");
    ASSERT_TRUE(held.Holding());

    ASSERT_TRUE(run.Start());
    std::wstring text = run.WaitForResult();
    EXPECT_EQ(text, Text(107));
    EXPECT_TRUE(Screenshot(std::string("zvupdate-restart-") + (RunningUnderWow64() ? "x86" : "x64") + ".png"));
    EXPECT_EQ(run.PressOk(), 0);

    EXPECT_TRUE(ReadAll(lib / "zvbedmod.dll") == ReadAll(BinFile("bedmod_v2.dll")));
    EXPECT_TRUE(ReadAll(lib / "zvbmlan.dll") == monitorBefore);
    EXPECT_TRUE(ReadAll(lib / "zvbmlan.dlm") == ReadAll(BinFile("bedmon_v2.dll")));
    EXPECT_TRUE(PendingRenames::Has(lib / "zvbmlan.dlm", lib / "zvbmlan.dll")) << log.Text();
    EXPECT_TRUE(log.Has("!!! Copied Count = 2. !!!\r\n")) << log.Text();
}

TEST_F(Updater, SecondInstanceEndsWithoutAMessage) {
    Rules("[File]\nE:ZVBEDMOD2.DLL\n");
    ASSERT_TRUE(run.Start());
    ASSERT_EQ(run.WaitForResult(), Text(109));  // the first waits for its OK

    UpdaterRun second;
    Rules("[File]\n", nullptr);
    ASSERT_TRUE(WriteText(second.Dir() / RuleFileName(), "[Log]\nON\n"));
    ASSERT_TRUE(second.Start());
    EXPECT_EQ(second.WaitExit(30000), 0);
    EXPECT_TRUE(ResultDialogsOf(second.Pid()).empty());
    EXPECT_TRUE(log.Has("!!!ERROR_ALREADY_EXISTS!!!\r\n")) << log.Text();
    EXPECT_EQ(ResultDialogsOf(run.Pid()).size(), 1u);
    EXPECT_EQ(run.PressOk(), 0);
}

// A system-directory entry: a 32-bit updater on 64-bit Windows replaces the
// module of the real system directory, not of the 32-bit one. The 32-bit
// directory holds another module under the same name, so a single look at
// the redirected directory (the version resource read between two other
// steps) would miss the match.
TEST_F(Updater, SystemEntryReachesTheRealSystemDirectory) {
    std::string name = "zvbs" + std::to_string(GetCurrentProcessId()) + ".dll";
    std::string real = RealSystemDir() + "\\" + name, wow = Wow64SystemDir();
    struct Cleanup {
        std::string a, b;
        ~Cleanup() {
            RemoveFile(a);
            if (!b.empty()) RemoveFile(b);
        }
    } cleanup{real, wow.empty() ? std::string() : wow + "\\" + name};
    Installed("bedmod_v1.dll", real);
    if (!wow.empty()) {
        ASSERT_TRUE(CopyFileA(BinFile("bedother.dll").c_str(), cleanup.b.c_str(), FALSE));
    }
    Rules("[File]\nS:ZVBEDMOD2.DLL\n");
    NewFile("bedmod_v2.dll", "ZVBEDMOD2.DLL");
    EXPECT_EQ(RunToResult(), Text(106));
    EXPECT_TRUE(ReadAll(real) == ReadAll(BinFile("bedmod_v2.dll")));
    if (!wow.empty()) {
        EXPECT_TRUE(vixtest::ReadFileText(cleanup.b) == ReadAll(BinFile("bedother.dll")));
        EXPECT_TRUE(log.Has("This environment is x64.\r\n"));
        EXPECT_TRUE(log.Has("WOW64DISABLEWOW64FSREDIRECTION result=1.\r\n"));
    }
}
