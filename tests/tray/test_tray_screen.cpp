// The agent's icon in the notification area of a Wine desktop and its open
// menu, as a user sees and uses them: screenshots into the test output, and
// an entry chosen from the menu with the keyboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "provision/provision.h"
#include "tray/tray_bench.h"

using namespace traytest;

namespace {

constexpr UINT WM_TRAYICON_NOTIFY = WM_USER + 100;
const char* Arch() { return sizeof(void*) == 8 ? "x64" : "x86"; }
// A host path as this program opens it.
std::string WinPath(std::string host) {
    for (char& c : host)
        if (c == '/') c = '\\';
    return "Z:" + host;
}

}  // namespace

TEST(TrayScreen, IconInTheNotificationAreaAndItsMenu) {
    AgentTrace trace;
    LaunchLog launches;
    TrayPrinter printer;
    auto& key = printer.Bed().Key();
    std::string aux = printer.Bed().InstallDir() + "\\ZVAUX.EXE";
    key.menu["920"] = aux;
    key.menu["925"] = "C:\\windows\\notepad.exe";
    key.menu["Separators"] = "2";
    ASSERT_TRUE(printer.Create());
    ASSERT_TRUE(CopyFileA((vixbed::ProgramDirectory() + "traystub.exe").c_str(), aux.c_str(), FALSE));
    ASSERT_TRUE(printer.SetTargetDword("TrayIconSelected", 1));

    AgentRun agent;
    ASSERT_TRUE(agent.Start("vixtray.exe", LongArgs(printer.Printer(), printer.Port(), printer.Model())));
    ASSERT_TRUE(trace.WaitAnotherRunning()) << trace.Text();
    HWND hWnd = agent.WaitWindow();
    ASSERT_NE(hWnd, nullptr);
    Sleep(1500);  // the task bar paints the new icon
    std::string iconShot = OutputPath(std::string("tray-icon-") + Arch() + ".png");
    EXPECT_TRUE(vixtest::Screenshot(iconShot)) << iconShot;

    // The right button opens the menu where the pointer is.
    SetCursorPos(420, 380);
    PostMessageA(hWnd, WM_TRAYICON_NOTIFY, 0, WM_RBUTTONDOWN);
    ASSERT_TRUE(trace.WaitFor("CMainFrame : menu shown")) << trace.Text();
    HWND hMenu = nullptr;
    for (int i = 0; i < 50 && !hMenu; ++i) {
        for (HWND h : WindowsOf(agent.Pid(), "#32768"))
            if (HasVisibleStyle(h)) hMenu = h;
        if (!hMenu) Sleep(100);
    }
    ASSERT_NE(hMenu, nullptr) << "the popup menu shows";
    // The keyboard walks to the first extra entry (drawn by the agent, here
    // selected); the menu is painted on the screen once it has input.
    for (int i = 0; i < 3; ++i) {
        PostMessageA(hMenu, WM_KEYDOWN, VK_DOWN, 0);
        Sleep(150);
    }
    // The screen shows the menu once the picture differs from the one
    // before it opened (the display may take a moment to show it).
    std::string menuShot = OutputPath(std::string("tray-menu-") + Arch() + ".png");
    std::string before = vixtest::ReadFileText(WinPath(iconShot)), after;
    for (int i = 0; i < 8 && (after.empty() || after == before); ++i) {
        Sleep(500);
        DeleteFileA(WinPath(menuShot).c_str());
        ASSERT_TRUE(vixtest::Screenshot(menuShot)) << menuShot;
        after = vixtest::ReadFileText(WinPath(menuShot));
    }
    EXPECT_NE(after, before) << "the open menu is on the screen";
    EXPECT_TRUE(IsWindow(hMenu) && HasVisibleStyle(hMenu)) << "the menu stayed open for the picture";

    // Enter chooses the selected entry: its program starts with the
    // printer's switches, and the menu closes.
    PostMessageA(hMenu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(launches.WaitStubCommandLine(), aux + " /P \"" + printer.Printer() + "\" /M \"" + printer.Model() +
                                                  "\" /D \"" + printer.Driver() + "\" /O \"USB001\"");
    for (int i = 0; i < 50 && IsWindow(hMenu) && HasVisibleStyle(hMenu); ++i) Sleep(100);
    EXPECT_FALSE(IsWindow(hMenu) && HasVisibleStyle(hMenu));
    EXPECT_TRUE(agent.Running());
    EXPECT_EQ(agent.Close(), 0);
}
