// The version information dialog over the bench's resource library, shown
// under Xvfb: its controls as a user sees them, and a screenshot.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "comm/version_dialog.h"
#include "support/bed_fixture.h"

using namespace vix;

namespace {

struct Seen {
    std::string texts[9];
    bool visible[9] = {};
};

HWND FindDialog(DWORD timeoutMs) {
    for (DWORD t = 0; t < timeoutMs; t += 50) {
        HWND h = FindWindowA(MAKEINTATOM(32770), "Version Information");
        if (h && IsWindowVisible(h)) return h;
        Sleep(50);
    }
    return nullptr;
}

TEST(VersionDialog, ShowsTheBenchModulesVersions) {
    vixtest::BedPrinter p;
    // Any module with a version resource stands in for the launcher.
    p.Key().strings["Z_SENV"] = vixbed::ProgramDirectory() + "zvset32.dll";
    ASSERT_TRUE(p.Create());
    VersionDialogData data = GatherVersionDialogData(p.Driver().c_str(), p.Model().c_str());
    EXPECT_FALSE(data.coreVersion.empty()) << "this program's own version resource";
    EXPECT_FALSE(data.launcherVersion.empty());
    EXPECT_TRUE(data.showEnvControls) << "QKAPI.DLL without QKGetEnvInfo";
    EXPECT_FALSE(data.library.showSecondModule);

    HMODULE res = LoadLibraryExA((p.InstallDir() + "\\ZVRES_EN.DLL").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!res) res = LoadLibraryExA("ZVRES_EN.DLL", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(res, nullptr);
    CVersionInfoDlg dlg(res, data);
    Seen seen;
    std::string shot;
    std::thread user([&] {
        HWND h = FindDialog(10000);
        if (!h) return;
        Sleep(300);
        for (int i = 0; i < 9; ++i) {
            char buf[128] = "";
            HWND c = GetDlgItem(h, 289 + i);
            GetWindowTextA(c, buf, sizeof(buf));
            seen.texts[i] = buf;
            seen.visible[i] = IsWindowVisible(c) != FALSE;
        }
        shot = std::string(VIX_TEST_OUTPUT_DIR) + "/version-dialog-" + (sizeof(void*) == 8 ? "x64" : "x86") + ".png";
        if (!vixtest::Screenshot(shot)) shot.clear();
        PostMessageA(h, WM_COMMAND, IDOK, 0);
    });
    INT_PTR r = dlg.DoModal(nullptr);
    user.join();
    FreeLibrary(res);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(seen.texts[0], "1.20.0") << "ZVWVER of the model's profile section";
    EXPECT_EQ(seen.texts[3], "Ver. 4.0.0.1");
    EXPECT_EQ(seen.texts[1], data.launcherVersion);
    EXPECT_EQ(seen.texts[2], data.coreVersion);
    EXPECT_EQ(seen.visible[3], data.library.showLibraryVersion);
    EXPECT_FALSE(seen.visible[4]) << "293 is for QKAPI3.DLL only";
    EXPECT_TRUE(seen.visible[5]);
    EXPECT_FALSE(shot.empty()) << "the screenshot was taken";
}

TEST(VersionDialog, MissingTemplateIsMinusOne) {
    CVersionInfoDlg dlg(GetModuleHandleA(nullptr), VersionDialogData());
    EXPECT_EQ(dlg.DoModal(nullptr), -1);
}

}  // namespace
