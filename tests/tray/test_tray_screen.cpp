// The agent's icon in the notification area of a Wine desktop and its open
// menu, as a user sees them: screenshots into the test output.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tray/tray_bench.h"

using namespace traytest;

namespace {

constexpr UINT WM_TRAYICON_NOTIFY = WM_USER + 100;
const char* Arch() { return sizeof(void*) == 8 ? "x64" : "x86"; }

}  // namespace

TEST(TrayScreen, IconInTheNotificationAreaAndItsMenu) {
    AgentTrace trace;
    TrayPrinter printer;
    auto& key = printer.Bed().Key();
    key.menu["920"] = "C:\\windows\\notepad.exe";
    key.menu["925"] = "C:\\windows\\notepad.exe";
    key.menu["Separators"] = "2";
    ASSERT_TRUE(printer.Create());
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
    Sleep(800);
    std::string menuShot = OutputPath(std::string("tray-menu-") + Arch() + ".png");
    EXPECT_TRUE(vixtest::Screenshot(menuShot)) << menuShot;

    // Leaving the menu, then the agent.
    PostMessageA(hMenu, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(hWnd, WM_CANCELMODE, 0, 0);
    for (int i = 0; i < 50 && HasVisibleStyle(hMenu) && IsWindow(hMenu); ++i) Sleep(100);
    EXPECT_EQ(agent.Close(), 0);
}
